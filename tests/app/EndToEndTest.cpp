// The program as the update manager sees it: started with a controlled
// environment, judged by its exit status, its output and the files it leaves.
#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <thread>

namespace stubsetup::test {
namespace {

namespace fs = std::filesystem;

constexpr char kFatalLine[] =
    "stubsetup: Unable to get application installation directory.  Fatal error\n";
constexpr char kNoDialogLine[] = "stubsetup: cannot open the progress dialog: no display\n";

std::string ReadFile(const std::string &path)
{
    std::ostringstream contents;
    contents << std::ifstream(path, std::ios::binary).rdbuf();
    return contents.str();
}

void WriteFile(const std::string &path, const std::string &contents)
{
    std::ofstream(path, std::ios::binary) << contents;
}

std::set<std::string> FolderEntries(const std::string &folder)
{
    std::set<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

std::string Report(int returnCode, const std::string &message, const std::string &before = "")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<InstallerResult>\n" + before +
           "<ReturnCode>" + std::to_string(returnCode) + "</ReturnCode>\n<UserMessage>" + message +
           "</UserMessage>\n</InstallerResult>\n";
}

std::string LastLine(const std::string &text)
{
    const std::size_t end = text.size() < 2 ? 0 : text.rfind('\n', text.size() - 2);
    return end == std::string::npos ? text : text.substr(end + 1);
}

// The viewer is started detached, so its record appears some time after the
// program has ended.
bool WaitForFile(const std::string &path)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!fs::exists(path) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return fs::exists(path);
}

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/stubsetup-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_root = pattern;
        for (const char *folder : {"home", "data", "app", "work", "bin"})
            fs::create_directory(Path(folder));
        m_environment = {{"HOME", Path("home")},
                         {"XDG_DATA_HOME", Path("data")},
                         {"PATH", Path("bin") + ":/usr/bin:/bin"},
                         {"ORL_APP_ID", "Demo"},
                         {"ORL_APP_INSTALL_PATH", Path("app")}};
    }

    void TearDown() override { fs::remove_all(m_root); }

    std::string Path(const std::string &name) const { return m_root + "/" + name; }
    std::string ReportPath() const { return Path("data/Corvane/Updater/Install/Demo.irpt"); }

    std::vector<std::string> Environment() const
    {
        std::vector<std::string> entries;
        for (const auto &[name, value] : m_environment)
            entries.push_back(name + "=" + value);
        return WithSanitizerSettings(entries);
    }

    ChildResult Run(std::vector<std::string> arguments, long fileSizeLimit = -1)
    {
        arguments.insert(arguments.begin(), STUBSETUP_PROGRAM);
        return RunChild({arguments, Environment(), Path("work"), fileSizeLimit});
    }

    void UseFakeModule(const std::string &mode)
    {
        m_environment["WAYLAND_DISPLAY"] = "wayland-97";
        m_environment["STUBSETUP_GUI_MODULE"] = FAKE_UI_MODULE;
        m_environment["FAKE_UI_MODE"] = mode;
    }

    std::string m_root;
    std::map<std::string, std::string> m_environment;
};

TEST_F(EndToEnd, QuietDemoRunStoresTheReport)
{
    const ChildResult result =
        Run({"-component", "Demo", "-return", "2", "-message", "Retry", "-quiet", "1"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out + result.err, "");
    EXPECT_EQ(ReadFile(ReportPath()), "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
                                      "<InstallerResult>\n"
                                      "<ReturnCode>2</ReturnCode>\n"
                                      "<UserMessage>Retry</UserMessage>\n"
                                      "</InstallerResult>\n");
}

TEST_F(EndToEnd, OptionValuesAsTheReportReceivesThem)
{
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"-return", "3x", "-quiet", "1"}, Report(0, "")},
        {{"-quiet", "01", "-return", "7"}, Report(7, "")},
        {{"-quiet", "-message", "-sleep", "5"}, Report(0, "1")},
        {{"-quiet", "1", "message"}, Report(0, "message")},
        {{"-quiet", "1", "-message", "a<b"}, Report(0, "a&lt;b")},
    };
    for (const auto &[arguments, report] : cases) {
        SCOPED_TRACE(arguments[0] + " " + arguments[1]);
        EXPECT_EQ(Run(arguments).exitStatus, 0);
        EXPECT_EQ(ReadFile(ReportPath()), report);
    }
}

TEST_F(EndToEnd, InstallDirectoryMustBeKnownAndFitTheBuffer)
{
    const auto expectFatalEnd = [this] {
        const ChildResult result = Run({"-quiet", "1", "-appdir", ""});
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_EQ(result.err, kFatalLine); // shown even when quiet
        EXPECT_FALSE(fs::exists(ReportPath()));
    };
    m_environment.erase("ORL_APP_INSTALL_PATH");
    expectFatalEnd();
    m_environment["ORL_APP_INSTALL_PATH"] = "";
    expectFatalEnd();
    m_environment["ORL_APP_INSTALL_PATH"] = "/" + std::string(8191, 'a');
    expectFatalEnd();
    m_environment["ORL_APP_INSTALL_PATH"] = "/" + std::string(8190, 'a');
    EXPECT_EQ(Run({"-quiet", "1"}).exitStatus, 0);
}

TEST_F(EndToEnd, ReportStoreFailuresEndWithStatusFour)
{
    m_environment.erase("ORL_APP_ID");
    const ChildResult result = Run({"-quiet", "1"});
    EXPECT_EQ(result.exitStatus, 4);
    EXPECT_EQ(result.err, "");

    m_environment["ORL_APP_ID"] = "Demo";
    fs::create_directories(Path("data/Corvane/Updater/Install"));
    const std::string malformed = "<InstallerResult><ReturnCode>1</Return";
    WriteFile(ReportPath(), malformed);
    EXPECT_EQ(Run({"-quiet", "1", "-return", "2"}).exitStatus, 4);
    EXPECT_EQ(ReadFile(ReportPath()), malformed);
}

TEST_F(EndToEnd, ExistingReportKeepsItsOtherElements)
{
    fs::create_directories(Path("data/Corvane/Updater/Install"));
    WriteFile(ReportPath(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<InstallerResult>\n"
              "<Extra>kept</Extra>\n<ReturnCode>1</ReturnCode>\n</InstallerResult>\n");
    EXPECT_EQ(Run({"-quiet", "1", "-return", "2", "-message", "Again"}).exitStatus, 0);
    EXPECT_EQ(ReadFile(ReportPath()), Report(2, "Again", "<Extra>kept</Extra>\n"));
}

TEST_F(EndToEnd, CustomFileIsWrittenBelowTheInstallDirectory)
{
    fs::create_directories(Path("app/sub"));
    EXPECT_EQ(Run({"-quiet", "1", "-extractname", "sub/f.txt"}).exitStatus, 0);
    EXPECT_EQ(ReadFile(Path("app/sub/f.txt")), "Corvane Updater 4.0!");

    fs::create_directories(Path("other"));
    EXPECT_EQ(Run({"-quiet", "1", "-appdir", Path("other"), "-extractname", "f.txt",
                   "-extractcontents", "payload"})
                  .exitStatus,
              0);
    EXPECT_EQ(ReadFile(Path("other/f.txt")), "payload");
}

TEST_F(EndToEnd, CustomFileFailuresWriteNoReport)
{
    // A missing folder, a folder in the file's place, a FIFO nobody reads.
    fs::create_directories(Path("app/dir"));
    ASSERT_EQ(mkfifo(Path("app/fifo").c_str(), 0600), 0);
    for (const char *name : {"missing/f.txt", "dir", "fifo"}) {
        SCOPED_TRACE(name);
        const ChildResult result = Run({"-quiet", "1", "-extractname", name});
        EXPECT_EQ(result.exitStatus, 3);
        EXPECT_EQ(result.err, "");
        EXPECT_FALSE(fs::exists(ReportPath()));
    }
    // A full disk: four bytes fit, the rest does not.
    EXPECT_EQ(Run({"-quiet", "1", "-extractname", "f.txt"}, 4).exitStatus, 3);
    EXPECT_FALSE(fs::exists(Path("app/f.txt")));
    EXPECT_FALSE(fs::exists(ReportPath()));
}

TEST_F(EndToEnd, EnvironmentDumpIsWrittenAndOpened)
{
    const std::string record = Path("viewer-record");
    WriteFile(Path("bin/xdg-open"), "#!/bin/sh\nprintf '%s\\n' \"$PWD\" \"$@\" > '" + record +
                                        ".tmp' && mv '" + record + ".tmp' '" + record + "'\n");
    ASSERT_EQ(chmod(Path("bin/xdg-open").c_str(), 0755), 0);
    m_environment.erase("ORL_APP_INSTALL_PATH");

    EXPECT_EQ(Run({"-quiet", "1", "-env"}).exitStatus, 1); // dumped before the fatal end
    std::string expected;
    for (const std::string &entry : Environment())
        expected += (expected.empty() ? "" : "\n") + entry;
    EXPECT_EQ(ReadFile(Path("work/env.txt")), expected);
    ASSERT_TRUE(WaitForFile(record));
    EXPECT_EQ(ReadFile(record), Path("work") + "\nenv.txt\n");
}

TEST_F(EndToEnd, WithoutDisplayTheDialogRunWritesNothing)
{
    // Without a display even a working module stays unloaded.
    m_environment["STUBSETUP_GUI_MODULE"] = FAKE_UI_MODULE;
    const ChildResult result = Run({"-extractname", "f.txt", "-component", "x"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, kNoDialogLine);
    EXPECT_FALSE(fs::exists(Path("app/f.txt")));
    EXPECT_FALSE(fs::exists(ReportPath()));
}

TEST_F(EndToEnd, HelpAndVersionRunNoInstallation)
{
    ChildResult result = Run({"-quiet", "1", "--version"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "stubsetup Version 1.0\n");

    result = Run({"--help", "-quiet", "1"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(
        result.out.rfind("Usage\n\tstubsetup.exe -display _name_\n\t\t\t\t-component _name_ \n"),
        0u);
    const std::size_t exitStatus = result.out.find("\n\nExit status\n");
    ASSERT_NE(exitStatus, std::string::npos);
    EXPECT_EQ(std::count(result.out.begin(), result.out.begin() + exitStatus + 1, '\n'), 50);
    EXPECT_NE(result.out.find("\t3\tthe custom file could not be written\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(ReportPath()));
}

TEST_F(EndToEnd, UnusableModuleFallsBackToStandardError)
{
    m_environment["DISPLAY"] = ":97";
    m_environment["STUBSETUP_GUI_MODULE"] = Path("missing.so");
    ChildResult result = Run({});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.err, "stubsetup: cannot open the progress dialog: the user-interface module " +
                              Path("missing.so") + " cannot be loaded\n");

    m_environment.erase("ORL_APP_INSTALL_PATH");
    m_environment["STUBSETUP_GUI_MODULE"] = "libc.so.6"; // loads, but has no factory
    EXPECT_EQ(Run({"-quiet", "1"}).err, kFatalLine);

    UseFakeModule("decline");
    result = Run({"-quiet", "1"});
    EXPECT_EQ(result.err, kFatalLine);
    EXPECT_EQ(result.out, "");
}

TEST_F(EndToEnd, LoadedModuleRunsTheDialogAndShowsMessages)
{
    UseFakeModule("confirm");
    ChildResult result = Run({"-component", "C", "-message", "M", "-sleep", "4", "-return", "2",
                              "-extractname", "f.txt", "-display", "D"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "dialog: D|" + Path("app") + "|C|" + Path("app/f.txt") + "|M|4|2\n");
    EXPECT_EQ(ReadFile(ReportPath()), Report(3, "confirmed in stubsetup"));
    EXPECT_EQ(ReadFile(Path("app/f.txt")), "Corvane Updater 4.0!");

    EXPECT_EQ(LastLine(Run({"-extractname", "missing/f.txt"}).out),
              "stubsetup [1]: Unable to install custom file!\n");
    m_environment.erase("ORL_APP_ID");
    EXPECT_EQ(LastLine(Run({}).out), "stubsetup [2]: Unable to set installer exit information!\n");
    m_environment.erase("ORL_APP_INSTALL_PATH");
    result = Run({"-quiet", "1"});
    EXPECT_EQ(result.out,
              "stubsetup [0]: Unable to get application installation directory.  Fatal error\n");
}

TEST_F(EndToEnd, CancelledDialogEndsTheRunSilently)
{
    UseFakeModule("cancel");
    const ChildResult result = Run({"-extractname", "f.txt"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.err, "");
    EXPECT_FALSE(fs::exists(Path("app/f.txt")));
    EXPECT_FALSE(fs::exists(ReportPath()));
}

TEST_F(EndToEnd, QuietRunNeverLoadsQt)
{
    m_environment["DISPLAY"] = ":97";
    m_environment["LD_DEBUG"] = "libs";
    const ChildResult run = Run({"-quiet", "1"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_NE(run.err.find("libc.so.6"), std::string::npos); // the trace is there
    EXPECT_EQ(run.err.find("libQt6"), std::string::npos);
    EXPECT_EQ(run.err.find("stubsetup-gui"), std::string::npos);

    const ChildResult dynamic =
        RunChild({{"/usr/bin/readelf", "-d", STUBSETUP_PROGRAM}, {}, {}, -1});
    EXPECT_EQ(dynamic.exitStatus, 0);
    EXPECT_NE(dynamic.out.find("(NEEDED)"), std::string::npos);
    EXPECT_EQ(dynamic.out.find("Qt"), std::string::npos);
}

// The file-size limit makes every write past it fail, as a full disk does:
// each save either reaches the file whole or leaves the previous report.
TEST_F(EndToEnd, FullDiskAtEverySaveKeepsTheLastCompleteReport)
{
    const std::string installFolder = Path("data/Corvane/Updater/Install");
    fs::create_directories(installFolder);
    const std::string before = Report(1, "old");
    const std::string codeSaved = Report(2, "old");
    const std::string bothSaved = Report(2, std::string(300, 'm'));
    const struct {
        std::size_t limit;
        const std::string &report;
        int exitStatus;
    } cases[] = {{0, before, 4},
                 {codeSaved.size() - 1, before, 4},
                 {codeSaved.size(), codeSaved, 4},
                 {bothSaved.size() - 1, codeSaved, 4},
                 {bothSaved.size(), bothSaved, 0}};
    for (const auto &[limit, report, exitStatus] : cases) {
        SCOPED_TRACE("limit " + std::to_string(limit));
        WriteFile(ReportPath(), before);
        const ChildResult result =
            Run({"-quiet", "1", "-return", "2", "-message", std::string(300, 'm')},
                static_cast<long>(limit));
        EXPECT_EQ(result.exitStatus, exitStatus);
        EXPECT_EQ(ReadFile(ReportPath()), report);
        EXPECT_EQ(FolderEntries(installFolder), std::set<std::string>{"Demo.irpt"});
    }
}

// Root ignores permission bits, so as root the program runs as nobody.
TEST_F(EndToEnd, UnwritableReportFoldersEndCleanlyWithStatusFour)
{
    fs::permissions(m_root, fs::perms(0755));
    const std::string data = Path("data");
    const std::string updater = Path("data/Corvane/Updater");
    const std::string install = Path("data/Corvane/Updater/Install");
    const auto runAsNobody = [this] {
        return RunChild({{STUBSETUP_PROGRAM, "-quiet", "1", "-return", "2"},
                         Environment(),
                         Path("work"),
                         -1,
                         true});
    };
    const struct {
        std::string lockedFolder;
        std::set<std::string> entriesAfter;
    } cases[] = {{install, {"Demo.irpt"}}, {updater, {}}, {data, {}}};
    for (const auto &[lockedFolder, entriesAfter] : cases) {
        SCOPED_TRACE(lockedFolder);
        fs::remove_all(data);
        fs::create_directories(lockedFolder);
        if (lockedFolder == install) {
            WriteFile(ReportPath(), Report(1, "old"));
            fs::permissions(ReportPath(), fs::perms(0666));
        }
        fs::permissions(lockedFolder, fs::perms(0555));
        const ChildResult result = runAsNobody();
        fs::permissions(lockedFolder, fs::perms(0755));
        EXPECT_EQ(result.exitStatus, 4);
        EXPECT_EQ(FolderEntries(lockedFolder), entriesAfter);
        if (lockedFolder == install) {
            EXPECT_EQ(ReadFile(ReportPath()), Report(1, "old"));
        }
    }
}

TEST_F(EndToEnd, FileWhereAFolderMustBeEndsCleanlyWithStatusFour)
{
    for (const std::string blocked : {"data/Corvane/Updater", "data/Corvane/Updater/Install"}) {
        SCOPED_TRACE(blocked);
        fs::remove_all(Path("data"));
        fs::create_directories(fs::path(Path(blocked)).parent_path());
        WriteFile(Path(blocked), "not a folder");
        EXPECT_EQ(Run({"-quiet", "1", "-return", "2"}).exitStatus, 4);
        EXPECT_EQ(ReadFile(Path(blocked)), "not a folder");
        EXPECT_EQ(FolderEntries(fs::path(Path(blocked)).parent_path()),
                  std::set<std::string>{fs::path(blocked).filename()});
    }
}

} // namespace
} // namespace stubsetup::test
