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

// Whether the environment names a display a graphical toolkit could reach.
bool DisplayAvailable();

} // namespace stubsetup::platform
