#include "TestHome.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    const stubsetup::test::TestHome home;
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
