#pragma once

#include "common/Version.h"

#include <string>
#include <vector>

namespace stubsetup {

// A piece of a usage line with one emphasis.
struct UsageRun {
    std::string text;
    bool bold = false;
    bool italic = false;
};

// One line of the command-line reference: leading tabs, then its runs.
// Headings are set larger than body lines.
struct UsageLine {
    int indent = 0;
    bool heading = false;
    std::vector<UsageRun> runs;

    std::string text() const; // the runs' texts joined, without the indent
};

// The command-line reference as shown in the usage window, line by line.
const std::vector<UsageLine> &UsageDocument();

inline constexpr char kVersionText[] = "stubsetup Version " STUBSETUP_VERSION;

} // namespace stubsetup
