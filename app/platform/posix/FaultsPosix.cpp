#include "app/platform/Faults.h"

#include <csignal>
#include <cstdlib>
#include <sys/resource.h>

namespace stubsetup::platform {
namespace {

constexpr int kRequestsToStop[] = {SIGTERM, SIGINT, SIGHUP};

} // namespace

void CrashWithoutCoreFile()
{
    const rlimit noCoreFile{0, 0};
    setrlimit(RLIMIT_CORE, &noCoreFile);
    std::signal(SIGSEGV, SIG_DFL);
    sigset_t fault;
    sigemptyset(&fault);
    sigaddset(&fault, SIGSEGV);
    sigprocmask(SIG_UNBLOCK, &fault, nullptr);
    raise(SIGSEGV);
    // Not reached; should anything keep SIGSEGV from ending the process, it
    // still ends as a crash.
    std::abort();
}

void IgnoreRequestsToStop()
{
    for (const int signal : kRequestsToStop)
        std::signal(signal, SIG_IGN);
}

void WaitForTheEnd()
{
    sigset_t waiting;
    sigprocmask(SIG_SETMASK, nullptr, &waiting);
    for (const int signal : kRequestsToStop)
        sigdelset(&waiting, signal);
    for (;;)
        sigsuspend(&waiting);
}

} // namespace stubsetup::platform
