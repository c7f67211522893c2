#include "common/ConvertValue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

using stubsetup::convertValue;

namespace {

template <typename Target> struct Outcome {
    bool converted;
    Target value;
};

template <typename Target> Outcome<Target> convertFrom(const std::string &text, Target value)
{
    const bool converted = convertValue(text, value);
    return {converted, value};
}

} // namespace

TEST(ConvertValue, SignedNumbersAreDecimalWithOptionalSignAndSurroundingSpace)
{
    EXPECT_EQ(convertFrom<std::int32_t>("42", 9).value, 42);
    EXPECT_EQ(convertFrom<std::int32_t>(" \t\n\v\f\r-17 \r\n", 9).value, -17);
    EXPECT_TRUE(convertFrom<std::int32_t>(" +5 ", 9).converted);
    EXPECT_EQ(convertFrom<std::int32_t>("007", 9).value, 7); // no octal
    EXPECT_EQ(convertFrom<std::int32_t>("2147483647", 9).value, 2147483647);
    EXPECT_EQ(convertFrom<std::int32_t>("-2147483648", 9).value, INT32_MIN);
}

TEST(ConvertValue, TextWithoutANumberOrOutOfRangeKeepsTheTarget)
{
    for (const char *text : {"", "   ", "x", "-", "+", "+ 5", "2147483648", "-2147483649",
                             "99999999999999999999999"}) {
        const auto outcome = convertFrom<std::int32_t>(text, 9);
        EXPECT_FALSE(outcome.converted) << text;
        EXPECT_EQ(outcome.value, 9) << text;
    }
}

TEST(ConvertValue, ANumberFollowedByOtherTextIsStoredButReportsFailure)
{
    for (const auto &[text, expected] :
         {std::pair<const char *, std::int32_t>{"3x", 3}, {"0x10", 0}, {"5 6", 5}, {"-4-", -4}}) {
        const auto outcome = convertFrom<std::int32_t>(text, 9);
        EXPECT_FALSE(outcome.converted) << text;
        EXPECT_EQ(outcome.value, expected) << text;
    }
}

TEST(ConvertValue, UnsignedWrapsAMinusSignModulo2To32)
{
    EXPECT_EQ(convertFrom<std::uint32_t>("4294967295", 1).value, 4294967295u);
    EXPECT_EQ(convertFrom<std::uint32_t>("-1", 1).value, 4294967295u);
    EXPECT_EQ(convertFrom<std::uint32_t>("-4294967295", 1).value, 1u);
    const auto tooBig = convertFrom<std::uint32_t>("4294967296", 1);
    EXPECT_FALSE(tooBig.converted);
    EXPECT_EQ(tooBig.value, 1u);
    EXPECT_FALSE(convertFrom<std::uint32_t>("-4294967296", 1).converted);
    EXPECT_EQ(convertFrom<std::uint32_t>(" 5 ", 1).value, 5u);
}

TEST(ConvertValue, BooleanAcceptsOnlyTheNumbersZeroAndOne)
{
    EXPECT_TRUE(convertFrom<bool>("1", false).value);
    EXPECT_TRUE(convertFrom<bool>("01", false).value);
    EXPECT_TRUE(convertFrom<bool>("+1", false).value);
    EXPECT_FALSE(convertFrom<bool>("0", true).value);
    EXPECT_FALSE(convertFrom<bool>("-0", true).value);

    const auto storedDespiteTail = convertFrom<bool>("1x", false);
    EXPECT_FALSE(storedDespiteTail.converted);
    EXPECT_TRUE(storedDespiteTail.value);

    for (const char *text : {"2", "-1", "true", "yes", ""}) {
        const auto outcome = convertFrom<bool>(text, false);
        EXPECT_FALSE(outcome.converted) << text;
        EXPECT_FALSE(outcome.value) << text;
    }
}

TEST(ConvertValue, TextTargetTakesOneWord)
{
    EXPECT_EQ(convertFrom<std::string>("ReturnCode", "").value, "ReturnCode");
    const auto padded = convertFrom<std::string>("  word \n", "");
    EXPECT_TRUE(padded.converted);
    EXPECT_EQ(padded.value, "word");

    const auto twoWords = convertFrom<std::string>("two words", "old");
    EXPECT_FALSE(twoWords.converted);
    EXPECT_EQ(twoWords.value, "two");

    for (const char *text : {"", " \t "}) {
        const auto outcome = convertFrom<std::string>(text, "old");
        EXPECT_FALSE(outcome.converted);
        EXPECT_EQ(outcome.value, "old");
    }
}

TEST(ConvertValue, NumbersAndBooleansAreWrittenAsPlainDecimalText)
{
    std::string text;
    EXPECT_TRUE(convertValue(std::int32_t{-5}, text));
    EXPECT_EQ(text, "-5");
    EXPECT_TRUE(convertValue(std::uint32_t{4294967295u}, text));
    EXPECT_EQ(text, "4294967295");
    EXPECT_TRUE(convertValue(true, text));
    EXPECT_EQ(text, "1");

    std::int32_t number = 0;
    EXPECT_TRUE(convertValue(INT32_MIN, number));
    EXPECT_EQ(number, INT32_MIN);
}
