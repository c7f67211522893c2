#include "app/platform/Process.h"

#include "common/platform/FileSystem.h"
#include "common/platform/Signals.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <limits.h>
#include <sys/auxv.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace stubsetup::platform {
namespace {

void RedirectStandardStreamsToNull()
{
    const int null = open("/dev/null", O_RDWR);
    if (null < 0)
        return;
    for (int stream = STDIN_FILENO; stream <= STDERR_FILENO; ++stream)
        dup2(null, stream);
    if (null > STDERR_FILENO)
        close(null);
}

void WaitForChild(pid_t child)
{
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
}

constexpr int kWriteSignals[] = {SIGPIPE, SIGXFSZ};

// The handler runs once (SA_RESETHAND): raising the signal again then ends
// the process with the signal's own status.
extern "C" void RemoveDebrisAndEnd(int signal)
{
    RemovePendingTemporaryFile();
    raise(signal);
}

// A viewer must not inherit our ignored write signals.
void RestoreWriteSignals()
{
    for (const int signal : kWriteSignals)
        std::signal(signal, SIG_DFL);
}

} // namespace

std::vector<std::string> EnvironmentEntries()
{
    std::vector<std::string> entries;
    for (char **entry = environ; entry != nullptr && *entry != nullptr; ++entry)
        entries.emplace_back(*entry);
    return entries;
}

void StartDetached(const std::vector<std::string> &command)
{
    if (command.empty())
        return;
    // Built before forking: the children only call async-signal-safe functions.
    std::vector<char *> argv;
    argv.reserve(command.size() + 1);
    for (const std::string &word : command)
        argv.push_back(const_cast<char *>(word.c_str()));
    argv.push_back(nullptr);

    // Forking twice hands the viewer to init, so it never becomes our zombie.
    const pid_t intermediate = fork();
    if (intermediate < 0)
        return;
    if (intermediate == 0) {
        setsid();
        if (fork() == 0) {
            RestoreWriteSignals();
            RedirectStandardStreamsToNull();
            execvp(argv[0], argv.data());
        }
        _exit(0);
    }
    WaitForChild(intermediate);
}

std::string OwnExecutablePath()
{
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof path)
        return {};
    return std::string(path, static_cast<std::size_t>(length));
}

int ProcessId()
{
    return static_cast<int>(getpid());
}

int ParentProcessId()
{
    return static_cast<int>(getppid());
}

std::string CurrentFolder()
{
    std::string path(PATH_MAX, '\0');
    if (getcwd(path.data(), path.size()) == nullptr)
        return {};
    path.resize(path.find('\0'));
    return path;
}

void PrepareSignalHandling()
{
    for (const int signal : kWriteSignals)
        std::signal(signal, SIG_IGN);
    struct sigaction action {};
    action.sa_handler = RemoveDebrisAndEnd;
    action.sa_flags = SA_RESETHAND | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    for (const int signal : TerminatingSignals()) {
        struct sigaction previous {};
        if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN)
            sigaction(signal, &action, nullptr);
    }
}

bool RunsWithRaisedPrivileges()
{
    return getauxval(AT_SECURE) != 0;
}

} // namespace stubsetup::platform
