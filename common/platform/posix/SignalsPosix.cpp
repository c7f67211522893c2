#include "common/platform/Signals.h"

#include <csignal>

namespace stubsetup::platform {
namespace {

std::vector<int> CollectTerminatingSignals()
{
    std::vector<int> signals = {SIGHUP,  SIGINT,    SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2,
                                SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU, SIGPWR};
    // The C library keeps the lowest real-time signals for itself; its range
    // is only known at run time.
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal)
        signals.push_back(signal);
    return signals;
}

} // namespace

const std::vector<int> &TerminatingSignals()
{
    static const std::vector<int> signals = CollectTerminatingSignals();
    return signals;
}

} // namespace stubsetup::platform
