#pragma once

#include <vector>

namespace stubsetup::platform {

// The signals whose default action ends the process without pointing at a
// fault in it: SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2, SIGALRM,
// SIGVTALRM, SIGPROF, SIGXCPU, SIGPWR and the real-time signals. A save in
// progress holds them off or cleans up before they take effect; fault
// signals (SEGV, BUS, ILL, FPE, ABRT) are deliberately not among them.
const std::vector<int> &TerminatingSignals();

} // namespace stubsetup::platform
