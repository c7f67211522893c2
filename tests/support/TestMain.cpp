#include "TestSupport.h"

#include <gtest/gtest.h>

// The main of the test programs whose cases start Qt themselves, in child
// processes or in a module: one private home for the whole run.
int main(int argc, char **argv)
{
    const auto home = stubsetup::test::HomeForTheRun();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
