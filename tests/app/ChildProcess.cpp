#include "ChildProcess.h"

#include <csignal>
#include <cstdlib>
#include <grp.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace stubsetup::test {
namespace {

std::vector<char *> PointersTo(const std::vector<std::string> &words)
{
    std::vector<char *> pointers;
    for (const std::string &word : words)
        pointers.push_back(const_cast<char *>(word.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

[[noreturn]] void ExecChild(const ChildRun &run, char *const *argv, char *const *envp, int out,
                            int err)
{
    dup2(out, STDOUT_FILENO);
    int closedPipe[2];
    if (run.closedStandardError && pipe(closedPipe) == 0) {
        close(closedPipe[0]);
        err = closedPipe[1];
    }
    dup2(err, STDERR_FILENO);
    // The program meets the signal dispositions a shell would give it.
    for (const int signal : {SIGPIPE, SIGXFSZ})
        std::signal(signal, SIG_DFL);
    for (const int signal : run.ignoredSignals)
        std::signal(signal, SIG_IGN);
    // A program ended by SIGQUIT leaves no core file in the test's folders.
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    if (!run.workingDirectory.empty() && chdir(run.workingDirectory.c_str()) != 0)
        _exit(126);
    if (run.fileSizeLimit >= 0) {
        const auto bytes = static_cast<rlim_t>(run.fileSizeLimit);
        const rlimit limit{bytes, bytes};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    constexpr uid_t kNobody = 65534;
    if (run.asNobody && geteuid() == 0 &&
        (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0))
        _exit(125);
    execve(argv[0], argv, envp);
    _exit(127);
}

// Memory files rather than pipes: a detached grandchild holding the streams
// open cannot keep the test waiting.
std::string ReadBack(int descriptor)
{
    std::string contents;
    char buffer[4096];
    lseek(descriptor, 0, SEEK_SET);
    for (ssize_t count; (count = read(descriptor, buffer, sizeof buffer)) > 0;)
        contents.append(buffer, static_cast<std::size_t>(count));
    close(descriptor);
    return contents;
}

} // namespace

ChildResult RunChild(const ChildRun &run)
{
    const std::vector<char *> argv = PointersTo(run.command);
    const std::vector<char *> envp = PointersTo(run.environment);
    const int out = memfd_create("stdout", 0);
    const int err = memfd_create("stderr", 0);
    const pid_t child = fork();
    if (child == 0)
        ExecChild(run, argv.data(), envp.data(), out, err);
    int status = 0;
    waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
            WIFSIGNALED(status) ? WTERMSIG(status) : 0, ReadBack(out), ReadBack(err)};
}

std::vector<std::string> WithSanitizerSettings(std::vector<std::string> environment)
{
    for (const char *name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"})
        if (const char *value = std::getenv(name))
            environment.push_back(std::string(name) + "=" + value);
    return environment;
}

} // namespace stubsetup::test
