// The program with its real user-interface module, on Qt's offscreen platform
// and on a real X server, judged by its exit status and the report it leaves.
#include "EndToEndFixture.h"
#include "common/platform/FileDescriptor.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace stubsetup::test {
namespace {

constexpr char kWaitLimitSeconds[] = "30";

// The program's full path in the test's PATH; empty when it is not installed.
std::string FindProgram(const std::string &name)
{
    const char *path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string candidate = folder + "/" + name;
        if (!folder.empty() && access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

// An X server from the starter the tests share, kept while the object lives:
// the starter stops it when its standard input ends, also when this process
// dies first.
class VirtualXServer {
public:
    VirtualXServer()
    {
        int input[2];
        int output[2];
        if (pipe2(input, O_CLOEXEC) != 0)
            return;
        m_input = platform::FileDescriptor(input[1]);
        platform::FileDescriptor inputEnd(input[0]);
        if (pipe2(output, O_CLOEXEC) != 0)
            return;
        const platform::FileDescriptor displayEnd(output[0]);
        platform::FileDescriptor outputEnd(output[1]);
        m_pid = fork();
        if (m_pid == 0) {
            dup2(inputEnd.get(), STDIN_FILENO);
            dup2(outputEnd.get(), STDOUT_FILENO);
            execl(STUBSETUP_XVFB_STARTER, STUBSETUP_XVFB_STARTER, "1024x768x24",
                  static_cast<char *>(nullptr));
            _exit(127);
        }
        // Only the starter may hold these ends, or its end would go unseen.
        inputEnd.close();
        outputEnd.close();
        if (m_pid < 0)
            return;
        // The starter prints the display once the server takes connections,
        // or ends without a word when it never does.
        char byte = 0;
        std::string line;
        while (read(displayEnd.get(), &byte, 1) == 1 && byte != '\n')
            line += byte;
        if (byte == '\n')
            m_display = line;
    }
    ~VirtualXServer() { Stop(); }
    VirtualXServer(const VirtualXServer &) = delete;
    VirtualXServer &operator=(const VirtualXServer &) = delete;

    // ":N" once the server takes connections; empty when it never did.
    const std::string &Display() const { return m_display; }

    // Ends the server and every connection to it: the starter stops the
    // server when its input closes.
    void Stop()
    {
        m_input.close();
        if (m_pid > 0)
            waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    platform::FileDescriptor m_input;
    pid_t m_pid = -1;
    std::string m_display;
};

// The program run on a thread of its own, so that the test can act on its
// window meanwhile.
class BackgroundRun {
public:
    explicit BackgroundRun(ChildRun run) : m_thread([this, run] { m_result = RunChild(run); }) {}
    ~BackgroundRun()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    BackgroundRun(const BackgroundRun &) = delete;
    BackgroundRun &operator=(const BackgroundRun &) = delete;

    ChildResult Finish()
    {
        m_thread.join();
        return m_result;
    }

private:
    ChildResult m_result;
    std::thread m_thread;
};

class ProgressDialogEndToEnd : public EndToEnd {
protected:
    // The Xvfb server and the tools that drive it; empty when one is missing.
    struct XTools {
        std::string xvfb = FindProgram("Xvfb");
        std::string xdotool = FindProgram("xdotool");
        std::string timeout = FindProgram("timeout");
        bool complete() const { return !xvfb.empty() && !xdotool.empty() && !timeout.empty(); }
    };

    // Without -sleep the dialog waits for the tester; the time limit only
    // bounds a run that never sees its tester.
    ChildRun WaitingDialog(const XTools &tools, const std::string &message) const
    {
        ChildRun run = Command({"-component", "x", "-return", "2", "-message", message});
        run.command.insert(run.command.begin(), {tools.timeout, kWaitLimitSeconds});
        return run;
    }

    // The id of the program's visible window once it is mapped; empty when
    // none appeared in time.
    std::string FindWindow(const XTools &tools) const
    {
        const ChildResult search =
            RunChild({{tools.timeout, kWaitLimitSeconds, tools.xdotool, "search", "--sync",
                       "--onlyvisible", "--name", "^stubsetup$"},
                      Environment(),
                      {},
                      -1});
        return search.out.substr(0, search.out.find('\n'));
    }
};

TEST_F(ProgressDialogEndToEnd, CountdownConfirmsByItselfAndTheReportIsWritten)
{
    m_environment["QT_QPA_PLATFORM"] = "offscreen";
    const ChildResult result =
        Run({"-component", "x", "-sleep", "1", "-return", "3", "-message", "Done"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(ReadFile(ReportPath()), Report(3, "Done"));
}

// The message passes through the dialog's field on its way to the report, in
// a locale whose charset is not Qt's.
TEST_F(ProgressDialogEndToEnd, Latin1MessageReachesTheReportAsTheSameText)
{
    const BuiltLocale latin1("ISO-8859-1");
    if (!latin1.active())
        GTEST_SKIP() << "localedef cannot build en_US.ISO-8859-1 here (package locales)";
    m_environment["QT_QPA_PLATFORM"] = "offscreen";
    m_environment["LOCPATH"] = latin1.folder();
    m_environment["LC_ALL"] = latin1.name();
    const ChildResult result = Run({"-component", "x", "-sleep", "1", "-message",
                                    "Gr\xFC\xDF"
                                    "e"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(ReadFile(ReportPath()), Report(0, "Gr\xC3\xBC\xC3\x9F"
                                                "e"));
}

TEST_F(ProgressDialogEndToEnd, APlatformThatStartsWithoutAScreenShowsNothingAndEndsWithStatus2)
{
    // The frame buffer platform loads, finds no device and has no screen.
    // Its input devices are no part of this; left on, they leak at exit.
    m_environment["QT_QPA_PLATFORM"] = "linuxfb:fb=/nonexistent/fb0";
    m_environment["QT_QPA_FB_DISABLE_INPUT"] = "1";
    const ChildResult result = Run({"-component", "x", "-return", "3", "-message", "Done"});
    EXPECT_EQ(result.exitStatus, 2) << result.err;
    EXPECT_NE(result.err.find(kNoDialogLine), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(ReportPath()));
}

// An X server that is not there: the program's own line is all there is to
// read, not Qt's attempts and fallbacks.
TEST_F(ProgressDialogEndToEnd, AnXServerThatIsNotThereGivesOneLineOfOurOwn)
{
    m_environment["DISPLAY"] = ":97";
    const ChildResult result = Run({"-component", "x"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.err, kNoDialogLine);
    EXPECT_FALSE(fs::exists(ReportPath()));
}

TEST_F(ProgressDialogEndToEnd, OkPressedOnARealXServerWritesTheReport)
{
    const XTools tools;
    if (!tools.complete())
        GTEST_SKIP()
            << "needs Xvfb, xdotool and timeout in PATH (scripts/setup test installs them)";
    const VirtualXServer server;
    ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
    m_environment["DISPLAY"] = server.Display();

    BackgroundRun run(WaitingDialog(tools, "Pressed"));
    const std::string window = FindWindow(tools);
    if (!window.empty())
        RunChild({{tools.timeout, kWaitLimitSeconds, tools.xdotool, "windowfocus", "--sync", window,
                   "key", "Return"},
                  Environment(),
                  {},
                  -1});
    const ChildResult program = run.Finish();

    ASSERT_FALSE(window.empty()) << "no stubsetup window";
    EXPECT_EQ(program.exitStatus, 0) << program.err;
    EXPECT_EQ(ReadFile(ReportPath()), Report(2, "Pressed"));
}

// Qt ends the process by itself when its X server goes away; the run still
// ends as a dialog that could not be shown.
TEST_F(ProgressDialogEndToEnd, XServerGoneWhileTheDialogWaitsEndsWithStatus2)
{
    const XTools tools;
    if (!tools.complete())
        GTEST_SKIP()
            << "needs Xvfb, xdotool and timeout in PATH (scripts/setup test installs them)";
    VirtualXServer server;
    ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
    m_environment["DISPLAY"] = server.Display();

    BackgroundRun run(WaitingDialog(tools, "Never"));
    const std::string window = FindWindow(tools);
    server.Stop();
    const ChildResult program = run.Finish();

    ASSERT_FALSE(window.empty()) << "no stubsetup window";
    EXPECT_EQ(program.exitStatus, 2) << program.err;
    EXPECT_NE(program.err.find("stubsetup: cannot open the progress dialog: lost the connection "
                               "to the display\n"),
              std::string::npos)
        << program.err;
    EXPECT_FALSE(fs::exists(ReportPath()));
}

} // namespace
} // namespace stubsetup::test
