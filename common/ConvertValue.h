#pragma once

// Text round trip between option values, element texts and typed variables.
// The source is written as text the way a stream writes it; the target is read
// back by stream rules: leading white space is skipped, numbers are decimal
// with an optional sign, and the conversion counts as complete only when
// nothing but white space follows. A number is stored as soon as it has been
// read, so "5x" stores 5 and still reports failure; text that holds no number,
// or one that does not fit, leaves the target as it was.

#include <cstdint>
#include <limits>
#include <locale>
#include <sstream>
#include <string>
#include <type_traits>

namespace stubsetup {
namespace convertDetail {

inline bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

inline std::size_t skipSpace(const std::string &text, std::size_t pos)
{
    while (pos < text.size() && isSpace(text[pos]))
        ++pos;
    return pos;
}

// An optional sign and decimal digits, read from pos on. The magnitude
// saturates just above 2^32 so that any overlong number is seen not to fit.
struct ParsedNumber {
    bool negative = false;
    std::uint64_t magnitude = 0;
    std::size_t end = 0; // position after the last digit
    bool hasDigits = false;
};

inline ParsedNumber parseNumber(const std::string &text, std::size_t pos)
{
    constexpr std::uint64_t saturation = (std::uint64_t{1} << 33);
    ParsedNumber number;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        number.negative = text[pos] == '-';
        ++pos;
    }
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        number.hasDigits = true;
        if (number.magnitude < saturation)
            number.magnitude = number.magnitude * 10 + static_cast<std::uint64_t>(text[pos] - '0');
        ++pos;
    }
    number.end = pos;
    return number;
}

inline bool fits(const ParsedNumber &n, std::int32_t &out)
{
    constexpr std::uint64_t maxPositive = std::numeric_limits<std::int32_t>::max();
    if (n.negative ? n.magnitude > maxPositive + 1 : n.magnitude > maxPositive)
        return false;
    const std::int64_t value = n.negative ? -static_cast<std::int64_t>(n.magnitude)
                                          : static_cast<std::int64_t>(n.magnitude);
    out = static_cast<std::int32_t>(value);
    return true;
}

inline bool fits(const ParsedNumber &n, std::uint32_t &out)
{
    if (n.magnitude > std::numeric_limits<std::uint32_t>::max())
        return false;
    // A minus sign wraps modulo 2^32, as the stream's unsigned extraction does.
    const auto magnitude = static_cast<std::uint32_t>(n.magnitude);
    out = n.negative ? static_cast<std::uint32_t>(0u - magnitude) : magnitude;
    return true;
}

inline bool fits(const ParsedNumber &n, bool &out)
{
    if (n.magnitude > 1 || (n.negative && n.magnitude != 0))
        return false;
    out = n.magnitude == 1;
    return true;
}

// Reads the target from text[pos...]; answers the position after what was
// read, or npos when nothing could be read (the target is then unchanged).
template <typename Target>
std::size_t readInto(const std::string &text, std::size_t pos, Target &target)
{
    const ParsedNumber number = parseNumber(text, skipSpace(text, pos));
    if (!number.hasDigits || !fits(number, target))
        return std::string::npos;
    return number.end;
}

inline std::size_t readInto(const std::string &text, std::size_t pos, std::string &target)
{
    const std::size_t begin = skipSpace(text, pos);
    std::size_t end = begin;
    while (end < text.size() && !isSpace(text[end]))
        ++end;
    if (end == begin)
        return std::string::npos;
    target.assign(text, begin, end - begin);
    return end;
}

inline const std::string &toText(const std::string &source)
{
    return source;
}

template <typename Source> std::string toText(const Source &source)
{
    // Plain digits whatever global locale a program that links us has set.
    std::ostringstream stream;
    stream.imbue(std::locale::classic());
    stream << source;
    return stream.str();
}

} // namespace convertDetail

template <typename Source, typename Target> bool convertValue(const Source &source, Target &target)
{
    static_assert(std::is_same_v<Target, std::string> || std::is_same_v<Target, std::int32_t> ||
                      std::is_same_v<Target, std::uint32_t> || std::is_same_v<Target, bool>,
                  "convertValue reads texts, 32-bit integers and booleans");
    const std::string &text = convertDetail::toText(source);
    const std::size_t end = convertDetail::readInto(text, 0, target);
    if (end == std::string::npos)
        return false;
    return convertDetail::skipSpace(text, end) == text.size();
}

} // namespace stubsetup
