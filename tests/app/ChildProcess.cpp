#include "ChildProcess.h"
#include "TestSupport.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
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
    const int full = run.fullStandardOutput ? open("/dev/full", O_WRONLY) : -1;
    dup2(full >= 0 ? full : out, STDOUT_FILENO);
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
    if (run.fileCreationMask >= 0)
        umask(static_cast<mode_t>(run.fileCreationMask));
    if (run.fileSizeLimit >= 0) {
        const auto bytes = static_cast<rlim_t>(run.fileSizeLimit);
        const rlimit limit{bytes, bytes};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (run.asNobody && !DropRootToNobody())
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

StartedChild::StartedChild(const ChildRun &run)
    : m_out(memfd_create("stdout", 0)), m_err(memfd_create("stderr", 0))
{
    const std::vector<char *> argv = PointersTo(run.command);
    const std::vector<char *> envp = PointersTo(run.environment);
    m_pid = fork();
    if (m_pid == 0)
        ExecChild(run, argv.data(), envp.data(), m_out, m_err);
}

StartedChild::~StartedChild()
{
    if (!m_ended) {
        kill(m_pid, SIGKILL);
        finish();
    }
}

bool StartedChild::hasEnded()
{
    m_ended = m_ended || waitpid(m_pid, &m_status, WNOHANG) == m_pid;
    return m_ended;
}

ChildResult StartedChild::finish()
{
    if (!m_ended)
        waitpid(m_pid, &m_status, 0);
    m_ended = true;
    return {WIFEXITED(m_status) ? WEXITSTATUS(m_status) : -1,
            WIFSIGNALED(m_status) ? WTERMSIG(m_status) : 0, ReadBack(m_out), ReadBack(m_err)};
}

ChildResult RunChild(const ChildRun &run)
{
    return StartedChild(run).finish();
}

std::vector<std::string> WithSanitizerSettings(std::vector<std::string> environment)
{
    for (const char *name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"})
        if (const char *value = std::getenv(name))
            environment.push_back(std::string(name) + "=" + value);
    return environment;
}

} // namespace stubsetup::test
