#include "app/CommandLineWarnings.h"

#include <algorithm>
#include <array>

namespace stubsetup {
namespace {

constexpr std::array<const char *, 12> kOptionsTheRunReads = {
    "display",     "component",       "revision", "message", "sleep",  "quiet",
    "extractname", "extractcontents", "env",      "appdir",  "return", "fault"};

// Spellings of a request for help or the version that other programs accept.
constexpr std::array<const char *, 4> kInformationLookalikes = {"h", "help", "?", "version"};

bool IsSwitch(const std::string &argument)
{
    return !argument.empty() && argument.front() == '-';
}

bool StartsWithDigit(const std::string &text)
{
    return !text.empty() && text.front() >= '0' && text.front() <= '9';
}

std::string UnknownSwitch(const std::string &name)
{
    const bool lookalike = std::find(kInformationLookalikes.begin(), kInformationLookalikes.end(),
                                     name) != kInformationLookalikes.end();
    return "ignoring unknown option -" + name +
           (lookalike ? " (for help use --help, for the version --version)" : " (see --help)");
}

std::string NegativeNumberTakenForSwitch(const std::string &option, const std::string &number)
{
    return "-" + option + " -" + number + ": -" + number + " was read as an option, so -" + option +
           " is 1; write -" + option + " \" -" + number +
           "\" (with a leading blank) to pass a negative number";
}

} // namespace

bool IsOptionTheRunReads(const std::string &name)
{
    return std::find(kOptionsTheRunReads.begin(), kOptionsTheRunReads.end(), name) !=
           kOptionsTheRunReads.end();
}

std::vector<std::string> SurprisingArguments(const std::vector<std::string> &arguments)
{
    std::vector<std::string> lines;
    std::string pending; // the switch still waiting for its value
    for (const std::string &argument : arguments) {
        if (!IsSwitch(argument)) {
            if (pending.empty() && !argument.empty() && !IsOptionTheRunReads(argument))
                lines.push_back("ignoring \"" + argument +
                                "\": a word that names no option (see --help)");
            pending.clear();
            continue;
        }
        const std::string name = argument.substr(1);
        if (IsOptionTheRunReads(pending) && StartsWithDigit(name))
            lines.push_back(NegativeNumberTakenForSwitch(pending, name));
        else if (!IsOptionTheRunReads(name))
            lines.push_back(UnknownSwitch(name));
        pending = name;
    }
    return lines;
}

} // namespace stubsetup
