// The program as the update manager sees it: started with a controlled
// environment, judged by its exit status, its output and the files it leaves.
#include "EndToEndFixture.h"

#include <algorithm>
#include <tuple>

namespace stubsetup::test {
namespace {

TEST_F(EndToEnd, QuietDemoRunStoresTheReport)
{
    const ChildResult result =
        Run({"-component", "Demo", "-return", "2", "-message", "Retry", "-quiet", "1"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out + result.err, "");
    EXPECT_EQ(ReadFile(ReportPath()), Report(2, "Retry"));
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
    const auto expectFatalEnd = [this](const std::string &why) {
        const ChildResult result = Run({"-quiet", "1", "-appdir", ""});
        EXPECT_EQ(result.exitStatus, 1);
        // The message is shown even when quiet, in one line with its reason.
        EXPECT_EQ(result.err, FatalLine(why));
        EXPECT_FALSE(fs::exists(ReportPath()));
    };
    m_environment.erase("ORL_APP_INSTALL_PATH");
    expectFatalEnd("ORL_APP_INSTALL_PATH is not set");
    m_environment["ORL_APP_INSTALL_PATH"] = "";
    expectFatalEnd("ORL_APP_INSTALL_PATH is empty");
    m_environment["ORL_APP_INSTALL_PATH"] = "/" + std::string(8191, 'a');
    expectFatalEnd("ORL_APP_INSTALL_PATH is longer than 8191 bytes");
    m_environment["ORL_APP_INSTALL_PATH"] = "/" + std::string(8190, 'a');
    EXPECT_EQ(Run({"-quiet", "1"}).exitStatus, 0);
}

TEST_F(EndToEnd, ReportStoreFailuresEndWithStatusFour)
{
    m_environment.erase("ORL_APP_ID");
    ChildResult result = Run({"-quiet", "1"});
    EXPECT_EQ(result.exitStatus, 4);
    EXPECT_EQ(result.err, "stubsetup: cannot store the installer report: ORL_APP_ID is not set\n");

    m_environment["ORL_APP_ID"] = "Demo";
    fs::create_directories(Path("data/Corvane/Updater/Install"));
    const std::string malformed = "<InstallerResult><ReturnCode>1</Return";
    WriteFile(ReportPath(), malformed);
    result = Run({"-quiet", "1", "-return", "2"});
    EXPECT_EQ(result.exitStatus, 4);
    EXPECT_EQ(result.err, "stubsetup: cannot store the installer report: " + ReportPath() +
                              ": not a well-formed installer report\n");
    EXPECT_EQ(ReadFile(ReportPath()), malformed);

    // The root and 1000 levels below it: one too many.
    std::string opened;
    std::string closed;
    for (int level = 0; level < 1000; ++level) {
        opened += "<e>";
        closed += "</e>";
    }
    const std::string tooDeep = "<InstallerResult>" + opened + closed + "</InstallerResult>";
    WriteFile(ReportPath(), tooDeep);
    result = Run({"-quiet", "1", "-return", "2"});
    EXPECT_EQ(result.exitStatus, 4);
    EXPECT_EQ(result.err, "stubsetup: cannot store the installer report: " + ReportPath() +
                              ": nested deeper than 1000 elements\n");
    EXPECT_EQ(ReadFile(ReportPath()), tooDeep);
}

TEST_F(EndToEnd, ExistingReportKeepsItsOtherElements)
{
    fs::create_directories(Path("data/Corvane/Updater/Install"));
    WriteFile(ReportPath(), kXmlDeclaration + std::string("<InstallerResult>\n<Extra>kept</Extra>\n"
                                                          "<ReturnCode>1</ReturnCode>\n"
                                                          "</InstallerResult>\n"));
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

    // Given empty, the contents are the default ones too.
    EXPECT_EQ(Run({"-quiet", "1", "-extractname", "e.txt", "-extractcontents", ""}).exitStatus, 0);
    EXPECT_EQ(ReadFile(Path("app/e.txt")), "Corvane Updater 4.0!");
}

TEST_F(EndToEnd, CustomFileFailuresWriteNoReport)
{
    // A missing folder, a folder in the file's place, a FIFO nobody reads.
    fs::create_directories(Path("app/dir"));
    ASSERT_EQ(mkfifo(Path("app/fifo").c_str(), 0600), 0);
    // Each reason names the path where things went wrong.
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"missing/f.txt", "missing", "No such file or directory"},
        {"fifo/f.txt", "fifo", "Not a directory"},
        {"dir", "dir", "Is a directory"},
        {"fifo", "fifo", "Invalid argument"}};
    for (const auto &[name, failing, reason] : cases) {
        SCOPED_TRACE(name);
        const ChildResult result = Run({"-quiet", "1", "-extractname", name});
        EXPECT_EQ(result.exitStatus, 3);
        EXPECT_EQ(result.err, "stubsetup: cannot write the custom file: " + Path("app/") + failing +
                                  ": " + reason + "\n");
        EXPECT_FALSE(fs::exists(ReportPath()));
    }
    // A full disk: four bytes fit, the rest does not.
    const ChildResult result = Run({"-quiet", "1", "-extractname", "f.txt"}, 4);
    EXPECT_EQ(result.exitStatus, 3);
    EXPECT_EQ(result.killedBy, 0); // the limit holds for standard error too, a memory file
    EXPECT_EQ(FolderEntries(Path("app")), (std::set<std::string>{"dir", "fifo"}));
    EXPECT_FALSE(fs::exists(ReportPath()));
}

TEST_F(EndToEnd, EnvironmentDumpIsWrittenAndOpened)
{
    const std::string record = Path("viewer-record");
    WriteFile(Path("bin/xdg-open"), "#!/bin/sh\nprintf '%s\\n' \"$PWD\" \"$@\" > '" + record +
                                        ".tmp' && mv '" + record + ".tmp' '" + record + "'\n");
    ASSERT_EQ(chmod(Path("bin/xdg-open").c_str(), 0755), 0);
    m_environment.erase("ORL_APP_INSTALL_PATH");

    // A dump that fails (a folder has the file's name) starts no viewer.
    fs::create_directory(Path("work/env.txt"));
    InjectFaults({{"TRACE", Path("trace")}});
    EXPECT_EQ(Run({"-quiet", "1", "-env"}).exitStatus, 1);
    EXPECT_EQ(ReadFile(Path("trace")).find("fork"), std::string::npos);
    fs::remove(Path("work/env.txt"));

    EXPECT_EQ(Run({"-quiet", "1", "-env"}).exitStatus, 1); // dumped before the fatal end
    EXPECT_NE(ReadFile(Path("trace")).find("fork"), std::string::npos);
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

TEST_F(EndToEnd, SurprisingArgumentsAreNamedAndTheRunGoesOnAsBefore)
{
    ChildResult result = Run({"-quiet", "1", "-return", "abc", "-sleep", "5x", "-quite"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(ReadFile(ReportPath()), Report(0, ""));
    EXPECT_EQ(result.err, "stubsetup: ignoring unknown option -quite (see --help)\n"
                          "stubsetup: -sleep: \"5x\" is not a number; using 5\n"
                          "stubsetup: -return: \"abc\" is not a number; using 0\n");
    result = Run({"-quiet", "1", "-return", "2", "-return", "3", "-message", ""});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.err, "");
}

TEST_F(EndToEnd, HelpAndVersionRunNoInstallation)
{
    ChildResult result = Run({"-quiet", "1", "--version"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out, "stubsetup Version 1.0\n");

    result = Run({"--help", "-quiet", "1"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.out.rfind("Usage: stubsetup [-display name]", 0), 0u) << result.out;
    // Every option of the manual page's synopsis, with its argument.
    std::istringstream manualPage(ReadFile(MANUAL_PAGE_SOURCE));
    int options = 0;
    for (std::string line; std::getline(manualPage, line);) {
        if (line.rfind(".OP \\", 0) != 0)
            continue;
        const std::string option = line.substr(5);
        EXPECT_NE(result.out.find("[" + option + "]"), std::string::npos) << option;
        ++options;
    }
    EXPECT_EQ(options, 12);
    EXPECT_NE(result.out.find("  3  the custom file could not be written\n"), std::string::npos);
    // The usage window's own defaults and names stay out of --help, which
    // gives the program's.
    for (const char *usageWindowOnly : {".exe", "ORL Test Installer", "IncompleteNeverWork"})
        EXPECT_EQ(result.out.find(usageWindowOnly), std::string::npos) << usageWindowOnly;
    EXPECT_FALSE(fs::exists(ReportPath()));

    // Output that cannot be written is a failure, not an answer.
    for (const auto &[request, what] : {std::pair{"--help", "help"}, {"--version", "version"}}) {
        ChildRun full = Command({request});
        full.fullStandardOutput = true;
        result = RunChild(full);
        EXPECT_EQ(result.exitStatus, 5);
        EXPECT_EQ(result.err, std::string("stubsetup: cannot write the ") + what +
                                  " text: No space left on device\n");
    }
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
    EXPECT_EQ(LastLine(Run({"-quiet", "1"}).err), FatalLine("ORL_APP_INSTALL_PATH is not set"));

    UseFakeModule("decline");
    result = Run({"-quiet", "1"});
    EXPECT_EQ(LastLine(result.err), FatalLine("ORL_APP_INSTALL_PATH is not set"));
    EXPECT_EQ(result.out, "");
}

TEST_F(EndToEnd, ModuleIsNeverLookedForFromTheCurrentFolder)
{
    // Where the module would be if the work folder were the program's.
    const std::string planted =
        Path(std::string(RELATIVE_LIBDIR) + "/stubsetup/libstubsetup-gui.so");
    fs::create_directories(fs::path(planted).parent_path());
    fs::copy_file(FAKE_UI_MODULE, planted);
    m_environment["DISPLAY"] = ":97";
    InjectFaults({{"PATH", "/proc/self/exe"}, {"READLINK", std::to_string(EACCES)}});
    const ChildResult result = Run({});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.out, ""); // the planted module did not show its dialog
    EXPECT_EQ(result.err, "stubsetup: cannot open the progress dialog: the user-interface module "
                          "cannot be found: the program's own file is unknown\n");
    EXPECT_FALSE(fs::exists(ReportPath()));
}

// The environment could otherwise name code to run with raised privileges.
TEST_F(EndToEnd, SetUserIdRunLoadsNoModuleButQuietRunsGoOn)
{
    UseFakeModule("confirm");
    InjectFaults({{"SECURE", "1"}});
    ChildResult result = Run({"-extractname", "f.txt"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.out, ""); // the module did not run
    EXPECT_EQ(result.err, kSetIdRunLine);
    EXPECT_FALSE(fs::exists(Path("app/f.txt")));
    EXPECT_FALSE(fs::exists(ReportPath()));

    result = Run({"-quiet", "1", "-return", "2"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(ReadFile(ReportPath()), Report(2, ""));
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

TEST_F(EndToEnd, CancelledDialogWritesNothing)
{
    UseFakeModule("cancel");
    const ChildResult result = Run({"-extractname", "f.txt"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.err, "stubsetup: installation cancelled: the progress dialog was closed "
                          "without OK\n");
    EXPECT_FALSE(fs::exists(Path("app/f.txt")));
    EXPECT_FALSE(fs::exists(ReportPath()));
}

TEST_F(EndToEnd, LosingTheDisplayEndsTheRunWithTheStatusOfTheStepOnScreen)
{
    fs::create_directories(Path("app/sub"));
    UseFakeModule("confirm");
    const struct {
        const char *failing;
        const char *failure;
        std::map<std::string, std::string> environment;
        std::vector<std::string> arguments;
        int exitStatus;
        std::string step;
    } cases[] = {
        {"dialog", "exit", {}, {"-extractname", "sub/f.txt"}, 2, "cannot open the progress dialog"},
        {"dialog", "quick_exit", {}, {}, 2, "cannot open the progress dialog"},
        {"messages",
         "exit",
         {},
         {"-extractname", "missing/f.txt"},
         3,
         "cannot write the custom file"},
        {"messages",
         "quick_exit",
         {{"ORL_APP_ID", ""}},
         {},
         4,
         "cannot store the installer report"},
        {"messages",
         "exit",
         {{"ORL_APP_INSTALL_PATH", ""}},
         {"-quiet"},
         1,
         "cannot find the install directory"},
    };
    const auto common = m_environment;
    for (const auto &[failing, failure, environment, arguments, exitStatus, step] : cases) {
        SCOPED_TRACE(step + " " + failure);
        m_environment = common;
        m_environment["FAKE_UI_FAILING"] = failing;
        m_environment["FAKE_UI_FAILURE"] = failure;
        for (const auto &[name, value] : environment)
            m_environment[name] = value;
        const ChildResult result = Run(arguments);
        EXPECT_EQ(result.exitStatus, exitStatus);
        EXPECT_EQ(LastLine(result.err),
                  "stubsetup: " + step + ": lost the connection to the display\n");
        EXPECT_FALSE(fs::exists(Path("app/sub/f.txt")));
        EXPECT_FALSE(fs::exists(ReportPath()));
    }
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

// The file-size limit makes every write past it fail, as a full disk does
// (the program takes SIGXFSZ as a failed write): a run either stores both
// values or leaves the previous report byte for byte, never the new code
// beside the old message.
TEST_F(EndToEnd, FullDiskLeavesThePreviousReportWhole)
{
    const std::string installFolder = Path("data/Corvane/Updater/Install");
    fs::create_directories(installFolder);
    const std::string before = Report(1, "old");
    const std::string codeOnly = Report(2, "old");
    const std::string bothSaved = Report(2, std::string(300, 'm'));
    const struct {
        std::size_t limit;
        const std::string &report;
        int exitStatus;
    } cases[] = {{0, before, 4},
                 {codeOnly.size(), before, 4},
                 {bothSaved.size() - 1, before, 4},
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
        // The limit's own reason, not a vague one, where the limit leaves
        // room for it: standard error is a file here too.
        if (exitStatus != 0 && limit > 200) {
            EXPECT_EQ(result.err, "stubsetup: cannot store the installer report: " + ReportPath() +
                                      ": File too large\n");
        }
    }
}

// Root ignores permission bits, so as root the program runs as nobody.
TEST_F(EndToEnd, UnwritableReportFoldersEndCleanlyWithStatusFour)
{
    fs::permissions(m_root, fs::perms(0755));
    const std::string data = Path("data");
    const std::string updater = Path("data/Corvane/Updater");
    const std::string install = Path("data/Corvane/Updater/Install");
    const struct {
        std::string lockedFolder;
        std::set<std::string> entriesAfter;
    } cases[] = {{install, {}}, {updater, {}}, {data, {}}};
    for (const auto &[lockedFolder, entriesAfter] : cases) {
        SCOPED_TRACE(lockedFolder);
        fs::remove_all(data);
        fs::create_directories(lockedFolder);
        fs::permissions(lockedFolder, fs::perms(0555));
        const ChildResult result = RunAsNobody({"-quiet", "1", "-return", "2"});
        fs::permissions(lockedFolder, fs::perms(0755));
        EXPECT_EQ(result.exitStatus, 4);
        EXPECT_EQ(FolderEntries(lockedFolder), entriesAfter);
        EXPECT_NE(result.err.find("Permission denied"), std::string::npos) << result.err;
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
