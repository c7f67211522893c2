#include "InstallerLib/Environment.h"
#include "TestSupport.h"
#include "stubsetup/InstallerLib.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <string>

namespace stubsetup {
namespace {

using test::ScopedEnvironment;

TEST(ReadEnvironmentVariable, TellsUndefinedFromEmptyAndReadsLongValuesWhole)
{
    ScopedEnvironment environment;
    std::string value = "stale";
    environment.unset(kAppIdVariable);
    EXPECT_FALSE(ReadEnvironmentVariable(kAppIdVariable, value));
    EXPECT_EQ(value, "");

    environment.set(kAppIdVariable, "");
    value = "stale";
    EXPECT_TRUE(ReadEnvironmentVariable(kAppIdVariable, value));
    EXPECT_EQ(value, "");

    const std::string longValue(5000, 'v');
    environment.set(kAppIdVariable, longValue);
    EXPECT_TRUE(ReadEnvironmentVariable(kAppIdVariable, value));
    EXPECT_EQ(value, longValue);
}

struct InstallPathCase {
    const char *label;
    const char *value; // null: variable undefined
    std::uint32_t capacity;
    bool nullBuffer;
    int expectedResult;
    std::uint32_t expectedSize;
};

class GetAppInstallPathTable : public testing::TestWithParam<InstallPathCase> {};

TEST_P(GetAppInstallPathTable, AnswersSizeAndCopiesOnlyWhatFits)
{
    const InstallPathCase &param = GetParam();
    ScopedEnvironment environment;
    if (param.value)
        environment.set(kAppInstallPathVariable, param.value);
    else
        environment.unset(kAppInstallPathVariable);
    std::array<char, 64> buffer;
    buffer.fill('#');
    std::uint32_t size = param.capacity;

    EXPECT_EQ(GetAppInstallPath(&size, param.nullBuffer ? nullptr : buffer.data()),
              param.expectedResult);
    if (param.expectedResult == 0) {
        EXPECT_EQ(errno, param.value ? ERANGE : ENOENT);
    }
    EXPECT_EQ(size, param.expectedSize);
    const std::string copied = param.expectedResult == 1 ? std::string(param.value) + '\0' : "";
    EXPECT_EQ(std::string(buffer.data(), copied.size()), copied);
    EXPECT_EQ(buffer[copied.size()], '#') << "wrote past the value";
}

INSTANTIATE_TEST_SUITE_P(
    InstallPaths, GetAppInstallPathTable,
    testing::Values(InstallPathCase{"RoomyBuffer", "/opt/apps/demo", 520, false, 1, 14},
                    InstallPathCase{"NoRoomForTheTerminator", "/opt/apps/demo", 14, false, 0, 15},
                    InstallPathCase{"ExactFit", "/opt/apps/demo", 15, false, 1, 14},
                    InstallPathCase{"NullBuffer", "/opt/apps/demo", 520, true, 0, 15},
                    InstallPathCase{"ZeroCapacity", "/opt/apps/demo", 0, false, 0, 15},
                    InstallPathCase{"Undefined", nullptr, 520, false, 0, 0},
                    InstallPathCase{"Empty", "", 520, false, 1, 0},
                    InstallPathCase{"EmptyWithoutRoom", "", 0, false, 0, 1}),
    [](const testing::TestParamInfo<InstallPathCase> &info) { return info.param.label; });

} // namespace
} // namespace stubsetup
