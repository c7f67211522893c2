#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace stubsetup {

enum class InformationRequest {
    None,       // neither was asked for; nothing was written
    Answered,   // the text reached `out` whole
    NotWritten, // `out` refused it; a line on `errors` says why
};

// Answers `--help` (the command-line reference and the exit statuses) or
// `--version` on `out` when either is one of the arguments; the first one
// given wins.
InformationRequest AnswerInformationRequest(const std::vector<std::string> &arguments,
                                            std::ostream &out, std::ostream &errors);

} // namespace stubsetup
