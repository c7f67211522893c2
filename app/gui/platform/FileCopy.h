#pragma once

#include <string>
#include <system_error>

namespace stubsetup::platform {

// Replaces the contents of `target` with those of `source` and gives it the
// source's permission bits, creating it as needed. False when either is not
// a regular file that can be opened, when `target` is `source` under any
// name (the source is then left as it was), or when a read or write fails;
// a failed copy leaves no partial target behind.
bool copyFileWithMode(const std::string &source, const std::string &target);

// Whether both paths name one existing file, whatever the spelling or links.
bool areSameFile(const std::string &one, const std::string &other);

struct AppendOutcome {
    enum class Status {
        Appended,
        SourceUnavailable, // not a regular file that can be opened for reading
        TargetUnavailable, // missing, not writable, or the source itself
        ReadFailed,        // `error` says why; the target holds what was written so far
        WriteFailed,       // the same
    };
    Status status;
    std::error_code error;
};

// Appends the bytes of `source` to the end of the existing file `target`,
// which is neither created nor truncated.
AppendOutcome appendFileContents(const std::string &source, const std::string &target);

} // namespace stubsetup::platform
