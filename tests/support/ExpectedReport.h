#pragma once

// The installer report as the library writes it, byte for byte: the one
// builder of the expected text, for the C and Python tests too (through
// print_report). Messages are given as they stand in the file, escaped.
#include <string>

namespace stubsetup::test {

inline constexpr char kXmlDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n";

// A report cut off in its message after `messageStart`; `before` stands for
// the elements ahead of the return code.
inline std::string ReportCutInMessage(int returnCode, const std::string &messageStart,
                                      const std::string &before = "")
{
    return kXmlDeclaration + ("<InstallerResult>\n" + before) + "<ReturnCode>" +
           std::to_string(returnCode) + "</ReturnCode>\n<UserMessage>" + messageStart;
}

inline std::string Report(int returnCode, const std::string &message,
                          const std::string &before = "")
{
    return ReportCutInMessage(returnCode, message, before) + "</UserMessage>\n</InstallerResult>\n";
}

} // namespace stubsetup::test
