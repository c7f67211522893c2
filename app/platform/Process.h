#pragma once

#include <string>
#include <vector>

namespace stubsetup::platform {

// The process environment block in its own order, one "name=value" per entry.
std::vector<std::string> EnvironmentEntries();

// Starts `command` (the program is looked up in PATH) detached from this
// process: own session, standard streams on the null device, never waited
// for. A program that cannot be started is ignored.
void StartDetached(const std::vector<std::string> &command);

// Absolute path of the running program's file; empty when it cannot be found.
std::string OwnExecutablePath();

// This process's id and its parent's.
int ProcessId();
int ParentProcessId();

// The current folder's absolute path; empty when it cannot be told (it was
// removed, or a folder above it cannot be searched).
std::string CurrentFolder();

// Ignores SIGPIPE and SIGXFSZ, so that a closed pipe or a file-size limit
// fails the write in question instead of killing the run midway. Every
// signal that ends a process without a fault (TerminatingSignals(); unless
// ignored already) still ends it as usual, but first removes the temporary
// file of a save in progress. Fault signals keep their default action.
void PrepareSignalHandling();

// Whether the process runs with privileges its caller does not have: a
// set-user-ID or set-group-ID program (the system's secure-execution mode).
bool RunsWithRaisedPrivileges();

} // namespace stubsetup::platform
