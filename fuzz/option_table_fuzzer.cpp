// The option table and convertValue on arbitrary argument lists (the input's
// NUL bytes separate the arguments). Every lookup is checked against a plain
// model built on the C library's number parsing.
#include "FuzzSupport.h"

#include "app/CInstallerCommandLineInfo.h"
#include "common/ConvertValue.h"

#include <cctype>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <vector>

namespace {

using stubsetup::CInstallerCommandLineInfo;
namespace fuzz = stubsetup::fuzz;

std::vector<std::string> splitArguments(const std::string &bytes)
{
    std::vector<std::string> arguments;
    std::istringstream stream(bytes);
    for (std::string argument; std::getline(stream, argument, '\0');)
        arguments.push_back(argument);
    return arguments;
}

// The table as the rules describe it: "-name" opens a switch worth "1", the
// next plain word becomes its value, a lone plain word stands for itself.
std::map<std::string, std::string> modelTable(const std::vector<std::string> &arguments)
{
    std::map<std::string, std::string> table;
    std::string pending;
    for (const std::string &argument : arguments) {
        if (!argument.empty() && argument[0] == '-') {
            pending = argument.substr(1);
            table[pending] = "1";
        } else if (!pending.empty()) {
            table[pending] = argument;
            pending.clear();
        } else if (!argument.empty()) {
            table[argument] = argument;
        }
    }
    return table;
}

struct ModelNumber {
    std::optional<long long> value; // what gets stored, if anything
    bool complete = false;
};

bool onlySpaceFrom(const char *end)
{
    while (*end && std::isspace(static_cast<unsigned char>(*end)))
        ++end;
    return *end == '\0';
}

// strtoull reads the digits; the sign is taken by hand so that unsigned
// targets can wrap it the way stream extraction does.
ModelNumber modelNumber(const std::string &text, long long low, long long high, bool wraps)
{
    const char *cursor = text.c_str();
    while (std::isspace(static_cast<unsigned char>(*cursor)))
        ++cursor;
    const bool negative = *cursor == '-';
    if (*cursor == '-' || *cursor == '+')
        ++cursor;
    if (!std::isdigit(static_cast<unsigned char>(*cursor)))
        return {};
    char *end = nullptr;
    errno = 0;
    const unsigned long long magnitude = std::strtoull(cursor, &end, 10);
    // Like stream extraction, a magnitude beyond the 32-bit range never fits,
    // not even under a minus sign that would wrap it.
    if (errno == ERANGE || magnitude >= (1ULL << 32))
        return {};
    long long value = static_cast<long long>(magnitude);
    if (negative)
        value = wraps && magnitude != 0 ? (1LL << 32) - value : -value;
    if (value < low || value > high)
        return {};
    return {value, onlySpaceFrom(end)};
}

template <typename Target>
void checkTyped(const std::string &name, const std::string &text, bool answered, Target got,
                const ModelNumber &model, Target sentinel)
{
    const Target expected = model.value ? static_cast<Target>(*model.value) : sentinel;
    if (answered != (model.value && model.complete) || got != expected)
        fuzz::fail("-" + name + " \"" + text + "\": answered " + std::to_string(answered) +
                   " with " + std::to_string(got) + ", expected " +
                   std::to_string(model.value && model.complete) + " with " +
                   std::to_string(expected));
}

void checkWord(const std::string &text)
{
    std::string word = "(unchanged)";
    const bool answered = stubsetup::convertValue(text, word);
    std::istringstream words(text);
    std::string first, second;
    words >> first >> second;
    const bool complete = !first.empty() && second.empty();
    if (answered != complete || word != (first.empty() ? "(unchanged)" : first))
        fuzz::fail("word of \"" + text + "\" read as \"" + word + "\"");
}

void checkOption(const CInstallerCommandLineInfo &table, const std::string &name,
                 const std::optional<std::string> &text)
{
    std::string value = "(absent)";
    if (table.GetOptionString(name, value) != text.has_value() ||
        value != text.value_or("(absent)"))
        fuzz::fail("-" + name + " holds \"" + value + "\"");
    if (!text)
        return;
    std::int32_t signedValue = -7;
    std::uint32_t unsignedValue = 7;
    bool boolValue = true;
    const bool signedAnswer = table.GetOptionInt(name, signedValue);
    const bool unsignedAnswer = table.GetOptionUnsigned(name, unsignedValue);
    const bool boolAnswer = table.GetOptionBool(name, boolValue);
    using Int = std::numeric_limits<std::int32_t>;
    checkTyped<std::int32_t>(name, *text, signedAnswer, signedValue,
                             modelNumber(*text, Int::min(), Int::max(), false), -7);
    checkTyped<std::uint32_t>(
        name, *text, unsignedAnswer, unsignedValue,
        modelNumber(*text, 0, std::numeric_limits<std::uint32_t>::max(), true), 7);
    checkTyped<bool>(name, *text, boolAnswer, boolValue, modelNumber(*text, 0, 1, false), true);
    checkWord(*text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::vector<std::string> arguments =
        splitArguments(std::string(reinterpret_cast<const char *>(data), size));
    CInstallerCommandLineInfo table;
    table.ParseArguments(arguments);
    const std::map<std::string, std::string> model = modelTable(arguments);
    for (const auto &[name, text] : model)
        checkOption(table, name, text);
    for (const char *absent : {"quiet", "return", "message", ""})
        if (model.count(absent) == 0)
            checkOption(table, absent, std::nullopt);
    return 0;
}
