#include "app/LostDisplayGuard.h"

#include "app/StandardErrorUserInterface.h"

#include <atomic>
#include <cstdlib>
#include <ostream>
#include <string>

namespace stubsetup {
namespace {

// Read by whichever thread ends the process.
std::atomic<const LostDisplayGuard *> g_guard{nullptr};

} // namespace

LostDisplayGuard::LostDisplayGuard(const char *failure, int status, std::ostream &errors)
    : m_failure(failure), m_status(status), m_errors(errors)
{
    [[maybe_unused]] static const bool registered =
        std::atexit(endForLostDisplay) == 0 && std::at_quick_exit(endForLostDisplay) == 0;
    g_guard.store(this);
}

LostDisplayGuard::~LostDisplayGuard()
{
    g_guard.store(nullptr);
}

// Ends the process at once: the toolkit's own teardown is of no use to a run
// that has lost its display.
void LostDisplayGuard::endForLostDisplay()
{
    const LostDisplayGuard *guard = g_guard.load();
    if (guard == nullptr)
        return;
    // One piece: the toolkit's other threads may be warning at this moment.
    guard->m_errors << std::string(kDiagnosticPrefix) + guard->m_failure +
                           ": lost the connection to the display\n"
                    << std::flush;
    std::_Exit(guard->m_status);
}

} // namespace stubsetup
