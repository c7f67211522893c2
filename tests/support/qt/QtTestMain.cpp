#include "TestSupport.h"

#include <QApplication>

#include <gtest/gtest.h>

// The main of the test programs that drive widgets: one application and one
// private home for the whole run.
int main(int argc, char **argv)
{
    const auto home = stubsetup::test::HomeForTheRun();
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
