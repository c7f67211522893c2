#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace stubsetup {

// Answers `--help` (the command-line reference and the exit statuses) or
// `--version` on `out` when either is one of the arguments; the first one
// given wins. False when neither was asked for, and then nothing is written.
bool AnswerInformationRequest(const std::vector<std::string> &arguments, std::ostream &out);

} // namespace stubsetup
