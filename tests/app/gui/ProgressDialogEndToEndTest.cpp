// The program with its real user-interface module, on Qt's offscreen platform
// and on a real X server, judged by its exit status and the report it leaves.
#include "ChildProcess.h"
#include "TestSupport.h"
#include "common/platform/FileDescriptor.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace stubsetup::test {
namespace {

namespace fs = std::filesystem;

constexpr char kWaitLimitSeconds[] = "30";

std::string Report(int returnCode, const std::string &message)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<InstallerResult>\n<ReturnCode>" +
           std::to_string(returnCode) + "</ReturnCode>\n<UserMessage>" + message +
           "</UserMessage>\n</InstallerResult>\n";
}

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
    ~VirtualXServer()
    {
        m_input.close();
        if (m_pid > 0)
            waitpid(m_pid, nullptr, 0);
    }
    VirtualXServer(const VirtualXServer &) = delete;
    VirtualXServer &operator=(const VirtualXServer &) = delete;

    // ":N" once the server takes connections; empty when it never did.
    const std::string &Display() const { return m_display; }

private:
    platform::FileDescriptor m_input;
    pid_t m_pid = -1;
    std::string m_display;
};

class ProgressDialogEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/stubsetup-dialog-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_root = pattern;
        for (const char *folder : {"home", "data", "app", "runtime"})
            fs::create_directory(Path(folder));
        fs::permissions(Path("runtime"), fs::perms::owner_all);
    }
    void TearDown() override { fs::remove_all(m_root); }

    std::string Path(const std::string &name) const { return m_root + "/" + name; }
    std::string ReportPath() const { return Path("data/Corvane/Updater/Install/Demo.irpt"); }

    // The update manager's environment plus the display to use.
    std::vector<std::string> Environment(const std::string &display) const
    {
        return WithSanitizerSettings({"HOME=" + Path("home"), "XDG_DATA_HOME=" + Path("data"),
                                      "XDG_RUNTIME_DIR=" + Path("runtime"), "PATH=/usr/bin:/bin",
                                      "ORL_APP_ID=Demo", "ORL_APP_INSTALL_PATH=" + Path("app"),
                                      display});
    }

    std::string m_root;
};

TEST_F(ProgressDialogEndToEnd, CountdownConfirmsByItselfAndTheReportIsWritten)
{
    const ChildResult result = RunChild(
        {{STUBSETUP_PROGRAM, "-component", "x", "-sleep", "1", "-return", "3", "-message", "Done"},
         Environment("QT_QPA_PLATFORM=offscreen"),
         m_root,
         -1});
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
    std::vector<std::string> environment = Environment("QT_QPA_PLATFORM=offscreen");
    environment.push_back("LOCPATH=" + latin1.folder());
    environment.push_back("LC_ALL=" + latin1.name());
    const ChildResult result =
        RunChild({{STUBSETUP_PROGRAM, "-component", "x", "-sleep", "1", "-message",
                   "Gr\xFC\xDF"
                   "e"},
                  environment,
                  m_root,
                  -1});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(ReadFile(ReportPath()), Report(0, "Gr\xC3\xBC\xC3\x9F"
                                                "e"));
}

TEST_F(ProgressDialogEndToEnd, APlatformThatStartsWithoutAScreenShowsNothingAndEndsWithStatus2)
{
    // The frame buffer platform loads, finds no device and has no screen.
    // Its input devices are no part of this; left on, they leak at exit.
    std::vector<std::string> environment =
        Environment("QT_QPA_PLATFORM=linuxfb:fb=/nonexistent/fb0");
    environment.push_back("QT_QPA_FB_DISABLE_INPUT=1");
    const ChildResult result =
        RunChild({{STUBSETUP_PROGRAM, "-component", "x", "-return", "3", "-message", "Done"},
                  environment,
                  m_root,
                  -1});
    EXPECT_EQ(result.exitStatus, 2) << result.err;
    EXPECT_NE(result.err.find("stubsetup: cannot open the progress dialog: no display\n"),
              std::string::npos)
        << result.err;
    EXPECT_FALSE(fs::exists(ReportPath()));
}

TEST_F(ProgressDialogEndToEnd, OkPressedOnARealXServerWritesTheReport)
{
    const std::string xdotool = FindProgram("xdotool");
    const std::string timeout = FindProgram("timeout");
    if (FindProgram("Xvfb").empty() || xdotool.empty() || timeout.empty())
        GTEST_SKIP()
            << "needs Xvfb, xdotool and timeout in PATH (scripts/setup test installs them)";
    const VirtualXServer server;
    ASSERT_FALSE(server.Display().empty()) << "Xvfb did not start";
    const std::vector<std::string> environment = Environment("DISPLAY=" + server.Display());

    // Without -sleep the dialog waits for the tester; the time limit only
    // bounds a run that never sees its OK.
    ChildResult program;
    std::thread run([&] {
        program = RunChild({{timeout, kWaitLimitSeconds, STUBSETUP_PROGRAM, "-component", "x",
                             "-return", "2", "-message", "Pressed"},
                            environment,
                            m_root,
                            -1});
    });
    const ChildResult search = RunChild({{timeout, kWaitLimitSeconds, xdotool, "search", "--sync",
                                          "--onlyvisible", "--name", "^stubsetup$"},
                                         environment,
                                         {},
                                         -1});
    const std::string window = search.out.substr(0, search.out.find('\n'));
    if (!window.empty())
        RunChild({{timeout, kWaitLimitSeconds, xdotool, "windowfocus", "--sync", window, "key",
                   "Return"},
                  environment,
                  {},
                  -1});
    run.join();

    ASSERT_FALSE(window.empty()) << "no stubsetup window: " << search.err;
    EXPECT_EQ(program.exitStatus, 0) << program.err;
    EXPECT_EQ(ReadFile(ReportPath()), Report(2, "Pressed"));
}

} // namespace
} // namespace stubsetup::test
