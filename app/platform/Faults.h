#pragma once

namespace stubsetup::platform {

// Ends the process as a crashing installer ends: by SIGSEGV in its default
// action, whatever handler or mask was in place, leaving no core file.
[[noreturn]] void CrashWithoutCoreFile();

// From now on SIGTERM, SIGINT and SIGHUP, the usual requests to stop, are
// ignored.
void IgnoreRequestsToStop();

// Waits, without using the processor, until a signal ends the process.
// SIGTERM, SIGINT and SIGHUP reach it even when its starter blocked them.
[[noreturn]] void WaitForTheEnd();

} // namespace stubsetup::platform
