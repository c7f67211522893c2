#include "common/TextConversion.h"
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

// Converters work in pieces; none of them may be the end of the text.
TEST(AnsiToUtf8, ConvertsTextsLongerThanAnyPieceWhole)
{
    const std::string latin1 = std::string(5000, 'x') + "\xE9";
    EXPECT_EQ(AnsiToUtf8(latin1, "CP1252"), std::string(5000, 'x') + "\xC3\xA9");
    EXPECT_EQ(Utf8ToAnsi(std::string(5000, 'x') + "\xC3\xA9", "CP1252"), latin1);
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

// File names are bytes: every byte a single-byte locale can hold must come
// back from the user interface's text as it went in.
TEST(Utf8ToAnsi, GivesBackEveryLatin1ByteThatAnsiToUtf8Converted)
{
    std::string allBytes;
    for (int byte = 0; byte < 256; ++byte)
        allBytes += static_cast<char>(byte);
    EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(allBytes, "ISO-8859-1"), "ISO-8859-1"), allBytes);
}

TEST(Utf8ToAnsi, ReplacesEachCharacterTheCharsetLacksWithOneQuestionMark)
{
    EXPECT_EQ(Utf8ToAnsi("1 \xE2\x82\xAC", "ISO-8859-1"), "1 ?");
    EXPECT_EQ(Utf8ToAnsi("a\xF0\x9F\x98\x80\xE4\xB8\xADz", "ISO-8859-1"), "a??z");
    // Invalid UTF-8: a stray byte, a sequence cut short before another
    // character, and one cut off at the end.
    EXPECT_EQ(Utf8ToAnsi("a\xFFz", "ISO-8859-1"), "a?z");
    EXPECT_EQ(Utf8ToAnsi("a\xE2\x82z\xC3\xA9", "ISO-8859-1"), "a?z\xE9");
    EXPECT_EQ(Utf8ToAnsi("ab\xC3", "ISO-8859-1"), "ab?");
}

TEST(Utf8ToAnsi, GivesNothingForAnUnknownCharset)
{
    EXPECT_EQ(Utf8ToAnsi("text", "NO-SUCH-CHARSET"), "");
}

TEST(TextConversion, TakesTheCLocaleAsUtf8)
{
    test::ScopedLocale locale("C");
    ASSERT_TRUE(locale.active());
    EXPECT_EQ(AnsiToUtf8("caf\xC3\xA9"), "caf\xC3\xA9");
    EXPECT_EQ(AnsiToUtf8("caf\xE9!"), "caf"s + kReplacement + "!");
    EXPECT_EQ(AnsiToUtf8(""), "");
    EXPECT_EQ(Utf8ToAnsi("caf\xC3\xA9"), "caf\xC3\xA9");
    EXPECT_EQ(Utf8ToAnsi(""), "");
}

TEST(TextConversion, ReadsTheLocaleCharsetInBothDirections)
{
    const test::BuiltLocale locale("CP1252");
    if (!locale.active())
        GTEST_SKIP() << "localedef cannot build a CP1252 locale here";
    EXPECT_EQ(AnsiToUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(Utf8ToAnsi("caf\xC3\xA9 \xE2\x82\xAC"), "caf\xE9 \x80");
}

} // namespace
} // namespace stubsetup
