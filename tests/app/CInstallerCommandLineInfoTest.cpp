#include "app/CInstallerCommandLineInfo.h"
#include "app/CommandLineWarnings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace stubsetup {
namespace {

CInstallerCommandLineInfo Parse(const std::vector<std::string> &arguments)
{
    CInstallerCommandLineInfo info;
    info.ParseArguments(arguments);
    return info;
}

std::string Text(const std::vector<std::string> &arguments, const std::string &name)
{
    std::string value = "<absent>";
    Parse(arguments).GetOptionString(name, value);
    return value;
}

bool Quiet(const std::vector<std::string> &arguments)
{
    bool quiet = false;
    Parse(arguments).GetOptionBool("quiet", quiet);
    return quiet;
}

std::uint32_t Sleep(const std::vector<std::string> &arguments)
{
    std::uint32_t sleep = 0;
    Parse(arguments).GetOptionUnsigned("sleep", sleep);
    return sleep;
}

// The run's reading of -return: anything but a complete conversion means 0.
std::int32_t ReturnCode(const std::vector<std::string> &arguments)
{
    std::int32_t code = 0;
    if (!Parse(arguments).GetOptionInt("return", code))
        code = 0;
    return code;
}

TEST(CommandLineSplitting, LoneSwitchMeansOneAndLaterValuesReplace)
{
    EXPECT_TRUE(Quiet({"-quiet"}));
    EXPECT_TRUE(Quiet({"-quiet", "-env"}));
    EXPECT_EQ(Sleep({"-sleep"}), 1u);
    EXPECT_EQ(ReturnCode({"-return"}), 1);
    EXPECT_EQ(Sleep({"-sleep", "5", "-sleep", "7"}), 7u);
    EXPECT_EQ(Text({"-message", "hi", "-message"}, "message"), "1");
    EXPECT_EQ(Text({"-message", "-x"}, "message"), "1");
    EXPECT_EQ(Text({"-message", "-x"}, "x"), "1");
    // So no negative number can be given: it is a switch of its own.
    EXPECT_EQ(ReturnCode({"-return", "-5"}), 1);
}

TEST(CommandLineSplitting, OnlyDashIntroducesSwitches)
{
    // A slash starts a plain word (an absolute path), never a switch.
    EXPECT_FALSE(Quiet({"/quiet", "1"}));
    EXPECT_EQ(Text({"/quiet", "1"}, "/quiet"), "/quiet");
    EXPECT_EQ(Text({"-appdir", "/opt/app"}, "appdir"), "/opt/app");
    EXPECT_TRUE(Quiet({"-quiet", "1"}));
    EXPECT_FALSE(Quiet({"--quiet", "1"}));
    EXPECT_EQ(Text({"--quiet", "1"}, "-quiet"), "1");
    EXPECT_FALSE(Quiet({"-Quiet", "1"}));
}

TEST(CommandLineSplitting, BareWordsAndEmptyArguments)
{
    EXPECT_FALSE(Quiet({"quiet"}));
    EXPECT_EQ(Text({""}, ""), "<absent>");
    EXPECT_EQ(Text({"-appdir", ""}, "appdir"), "");
    // A lone dash names the empty option and leaves nothing pending.
    EXPECT_EQ(Text({"-", "word"}, ""), "1");
    EXPECT_EQ(Text({"-", "word"}, "word"), "word");
}

TEST(CommandLineConversion, UnsignedKeepsTheLeadingNumber)
{
    EXPECT_EQ(Sleep({"-sleep", "5x"}), 5u);
    EXPECT_EQ(Sleep({"-sleep", "x"}), 0u);
    EXPECT_EQ(Sleep({"-sleep", " 5 "}), 5u);
    EXPECT_EQ(Sleep({"-sleep", "0x10"}), 0u);
    EXPECT_EQ(Sleep({"-sleep", "4294967295"}), 4294967295u);
    EXPECT_EQ(Sleep({"-sleep", "4294967296"}), 0u);

    std::uint32_t sleep = 9;
    EXPECT_FALSE(Parse({"-sleep", "5x"}).GetOptionUnsigned("sleep", sleep));
    EXPECT_EQ(sleep, 5u);
    EXPECT_FALSE(Parse({"-Sleep", "3"}).GetOptionUnsigned("sleep", sleep));
    EXPECT_EQ(sleep, 5u);
}

TEST(CommandLineConversion, ReturnCodeNeedsACompleteConversion)
{
    EXPECT_EQ(ReturnCode({"-return", "x"}), 0);
    EXPECT_EQ(ReturnCode({"-return", ""}), 0);
    EXPECT_EQ(ReturnCode({"-return", "4294967296"}), 0);
    EXPECT_EQ(ReturnCode({"-return", "7"}), 7);
    EXPECT_EQ(ReturnCode({"-return", "2147483647"}), 2147483647);
}

TEST(CommandLineConversion, BooleansAcceptOnlyZeroAndOne)
{
    EXPECT_FALSE(Quiet({"-quiet", "2"}));
    EXPECT_FALSE(Quiet({"-quiet", "true"}));
    EXPECT_FALSE(Quiet({"-quiet", "yes"}));
    EXPECT_TRUE(Quiet({"-quiet", "+1"}));
    EXPECT_TRUE(Quiet({"-quiet", "1x"}));
}

} // namespace
} // namespace stubsetup

namespace stubsetup {
namespace {

TEST(SurprisingArguments, NameWhatTheRunWillNotTakeAsMeant)
{
    const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
        // Nothing surprising: known options, repeats, empty values, a bare
        // word that names an option, a value that is a word.
        {{"-quiet", "1", "-quiet", "0", "-message", "", "quiet", "-appdir", "/opt/x"}, {}},
        {{"-quite", "1"}, {"ignoring unknown option -quite (see --help)"}},
        {{"--quiet"}, {"ignoring unknown option --quiet (see --help)"}},
        {{"-help"},
         {"ignoring unknown option -help (for help use --help, for the version "
          "--version)"}},
        {{"-version", "-?"},
         {"ignoring unknown option -version (for help use --help, for the version --version)",
          "ignoring unknown option -? (for help use --help, for the version --version)"}},
        {{"Demo"}, {"ignoring \"Demo\": a word that names no option (see --help)"}},
        {{"-return", "-5"},
         {"-return -5: -5 was read as an option, so -return is 1; write -return \" -5\" (with a "
          "leading blank) to pass a negative number"}},
        {{"-return", " -5"}, {}},
    };
    for (const auto &[arguments, expected] : cases) {
        SCOPED_TRACE(::testing::PrintToString(arguments));
        EXPECT_EQ(SurprisingArguments(arguments), expected);
    }
}

} // namespace
} // namespace stubsetup
