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
    int fileCreationMask = -1;         // the umask, when not -1
    bool fullStandardOutput = false;   // /dev/full: every write fails with ENOSPC
};

struct ChildResult {
    int exitStatus = -1; // -1 when killed by a signal
    int killedBy = 0;    // the signal that ended it, if one did
    std::string out;
    std::string err;
};

// A run going on in the background, for tests that play several processes
// against each other.
class StartedChild {
public:
    explicit StartedChild(const ChildRun &run);
    StartedChild(const StartedChild &) = delete;
    StartedChild &operator=(const StartedChild &) = delete;
    ~StartedChild();

    int pid() const { return m_pid; }
    // Whether it has ended, without waiting.
    bool hasEnded();
    // Waits for the end and collects both output streams.
    ChildResult finish();

private:
    int m_pid = -1;
    int m_out = -1;
    int m_err = -1;
    int m_status = 0;
    bool m_ended = false;
};

// Runs the command to completion with exactly the given environment and
// collects both output streams.
ChildResult RunChild(const ChildRun &run);

// The environment plus the sanitizer settings of the test run, so that a
// sanitizer build judges the program under test by the tests' own rules.
std::vector<std::string> WithSanitizerSettings(std::vector<std::string> environment);

} // namespace stubsetup::test
