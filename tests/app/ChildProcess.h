#pragma once

#include <string>
#include <vector>

namespace stubsetup::test {

struct ChildRun {
    std::vector<std::string> command; // program path first
    std::vector<std::string> environment;
    std::string workingDirectory;      // empty: the test's own
    long fileSizeLimit = -1;           // bytes; the program must cope with SIGXFSZ itself
    bool asNobody = false;             // root drops to uid and gid 65534 first
    bool closedStandardError = false;  // a pipe nobody reads: writes raise SIGPIPE
    std::vector<int> ignoredSignals{}; // ignored from the start, as nohup does
};

struct ChildResult {
    int exitStatus = -1; // -1 when killed by a signal
    int killedBy = 0;    // the signal that ended it, if one did
    std::string out;
    std::string err;
};

// Runs the command to completion with exactly the given environment and
// collects both output streams.
ChildResult RunChild(const ChildRun &run);

// The environment plus the sanitizer settings of the test run, so that a
// sanitizer build judges the program under test by the tests' own rules.
std::vector<std::string> WithSanitizerSettings(std::vector<std::string> environment);

} // namespace stubsetup::test
