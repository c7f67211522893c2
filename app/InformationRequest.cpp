#include "app/InformationRequest.h"

#include "app/UsageDocument.h"

#include <algorithm>
#include <ostream>

namespace stubsetup {
namespace {

constexpr char kHelpArgument[] = "--help";
constexpr char kVersionArgument[] = "--version";

constexpr char kExitStatusText[] = "Exit status\n"
                                   "\t0\tthe return code and message were stored in the "
                                   "installer report\n"
                                   "\t1\tno application install directory\n"
                                   "\t2\tthe progress dialog was cancelled or could not be shown\n"
                                   "\t3\tthe custom file could not be written\n"
                                   "\t4\tthe installer report could not be written\n";

void WriteHelp(std::ostream &out)
{
    for (const UsageLine &line : UsageDocument())
        out << std::string(static_cast<std::size_t>(line.indent), '\t') << line.Text() << '\n';
    out << '\n' << kExitStatusText;
}

} // namespace

bool AnswerInformationRequest(const std::vector<std::string> &arguments, std::ostream &out)
{
    const auto request = std::find_if(arguments.begin(), arguments.end(), [](const auto &word) {
        return word == kHelpArgument || word == kVersionArgument;
    });
    if (request == arguments.end())
        return false;
    if (*request == kHelpArgument)
        WriteHelp(out);
    else
        out << kVersionText << '\n';
    return true;
}

} // namespace stubsetup
