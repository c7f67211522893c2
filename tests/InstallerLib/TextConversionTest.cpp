#include "InstallerLib/TextConversion.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace stubsetup {
namespace {

using namespace std::string_literals;

constexpr char kReplacement[] = "\xEF\xBF\xBD";

TEST(AnsiToUtf8, ConvertsWindows1252)
{
    EXPECT_EQ(AnsiToUtf8("caf\xE9", "CP1252"), "caf\xC3\xA9");
    EXPECT_EQ(AnsiToUtf8("\x80 5", "CP1252"), "\xE2\x82\xAC 5");
    EXPECT_EQ(AnsiToUtf8("plain ASCII <&>", "CP1252"), "plain ASCII <&>");
    EXPECT_EQ(AnsiToUtf8("", "CP1252"), "");
    EXPECT_EQ(AnsiToUtf8("a\0\xE9z"s, "CP1252"), "a\0\xC3\xA9z"s);
}

TEST(AnsiToUtf8, ReplacesUndefinedBytesAndKeepsTheRest)
{
    EXPECT_EQ(AnsiToUtf8("a\x81z", "CP1252"), "a"s + kReplacement + "z");
    EXPECT_EQ(AnsiToUtf8("a\xFF\xFEz", "UTF-8"), "a"s + kReplacement + kReplacement + "z");
    EXPECT_EQ(AnsiToUtf8("ab\xC3", "UTF-8"), "ab"s + kReplacement);
}

TEST(AnsiToUtf8, GivesNothingForAnUnknownCharset)
{
    EXPECT_EQ(AnsiToUtf8("text", "NO-SUCH-CHARSET"), "");
}

TEST(AnsiToUtf8, TakesTheCLocaleAsUtf8)
{
    test::ScopedLocale locale("C");
    ASSERT_TRUE(locale.active());
    EXPECT_EQ(AnsiToUtf8("caf\xC3\xA9"), "caf\xC3\xA9");
    EXPECT_EQ(AnsiToUtf8("caf\xE9!"), "caf"s + kReplacement + "!");
    EXPECT_EQ(AnsiToUtf8(""), "");
}

TEST(AnsiToUtf8, ReadsTheLocaleCharset)
{
    test::TempFolder folder;
    test::ScopedEnvironment environment;
    test::ScopedLocale locale(test::BuildCp1252Locale(folder, environment));
    if (!locale.active())
        GTEST_SKIP() << "localedef cannot build a CP1252 locale here";
    EXPECT_EQ(AnsiToUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
}

} // namespace
} // namespace stubsetup
