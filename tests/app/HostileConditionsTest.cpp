// The program where files, folders, limits and signals work against it: it
// either does its job or says why and leaves what was there.
#include "EndToEndFixture.h"

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace stubsetup::test {
namespace {

// What the fault shim sees of a report being saved (see FaultShim.c).
constexpr char kNewReport[] = "Install/#";

struct stat StatusOf(const std::string &path)
{
    struct stat status {};
    ::lstat(path.c_str(), &status);
    return status;
}

class HostileConditions : public EndToEnd {
protected:
    void SetUp() override
    {
        EndToEnd::SetUp();
        fs::create_directories(InstallFolder());
        // Runs as nobody must reach the folders below the test's own.
        fs::permissions(m_root, fs::perms(0755));
    }

    // A report the runs may write in a folder that refuses them new files, so
    // that it is rewritten in place. Root runs the program as nobody for it.
    void RefuseNewFiles(const std::string &folder, const std::string &file)
    {
        fs::permissions(file, fs::perms(0666));
        fs::permissions(folder, fs::perms(0555));
        m_refusing.push_back(folder);
    }

    void TearDown() override
    {
        for (const std::string &folder : m_refusing)
            fs::permissions(folder, fs::perms(0755));
    }

    ChildRun CommandAsNobody(std::vector<std::string> arguments) const
    {
        ChildRun run = Command(std::move(arguments));
        run.asNobody = true;
        return run;
    }

    std::vector<std::string> m_refusing;

    std::string ReportError(const std::string &reason) const
    {
        return "stubsetup: cannot store the installer report: " + ReportPath() + ": " + reason +
               "\n";
    }

    static bool IsRoot() { return ::geteuid() == 0; }

    // `-env 1` opens its dump with xdg-open; this one shows nothing.
    void UseSilentViewer()
    {
        WriteFile(Path("bin/xdg-open"), "#!/bin/sh\n");
        ASSERT_EQ(::chmod(Path("bin/xdg-open").c_str(), 0755), 0);
    }
};

TEST_F(HostileConditions, ExistingReportThatCannotBeReadIsNeverReplaced)
{
    const std::string before = Report(1, "old", "<Extra>kept</Extra>\n");
    WriteFile(ReportPath(), before);
    // Writable but not readable by the run, in a folder it may write:
    // replacing it would lose <Extra>.
    if (IsRoot()) {
        ASSERT_EQ(::chown(ReportPath().c_str(), kNobody, kNobody), 0);
        ASSERT_EQ(::chown(InstallFolder().c_str(), kNobody, kNobody), 0);
    }
    fs::permissions(ReportPath(), fs::perms(0200));
    ChildResult result = RunAsNobody({"-quiet", "1", "-return", "2"});
    EXPECT_EQ(result.exitStatus, 4);
    EXPECT_EQ(result.err, ReportError("Permission denied"));

    fs::permissions(ReportPath(), fs::perms(0644));
    InjectFaults({{"PATH", ".irpt"}, {"READ", std::to_string(EIO)}});
    result = Run({"-quiet", "1", "-return", "2"});
    EXPECT_EQ(result.exitStatus, 4);
    EXPECT_EQ(result.err, ReportError("Input/output error"));
    EXPECT_EQ(ReadFile(ReportPath()), before);
    EXPECT_EQ(FolderEntries(InstallFolder()), std::set<std::string>{"Demo.irpt"});
}

// The user sees the system's own reason: a full disk is no vague I/O error.
TEST_F(HostileConditions, SaveWhoseWriteSyncOrCloseFailsKeepsThePreviousReport)
{
    WriteFile(ReportPath(), Report(1, "old"));
    const std::pair<const char *, int> faults[] = {
        {"WRITE", ENOSPC}, {"FSYNC", EIO}, {"CLOSE", EIO}};
    for (const auto &[failing, error] : faults) {
        SCOPED_TRACE(failing);
        InjectFaults({{"PATH", kNewReport}, {failing, std::to_string(error)}});
        const ChildResult result = Run({"-quiet", "1", "-return", "2"});
        m_environment.erase(std::string("STUBSETUP_FAULT_") + failing);
        EXPECT_EQ(result.exitStatus, 4);
        EXPECT_EQ(result.err, ReportError(std::strerror(error)));
        EXPECT_EQ(ReadFile(ReportPath()), Report(1, "old"));
        EXPECT_EQ(FolderEntries(InstallFolder()), std::set<std::string>{"Demo.irpt"});
    }
}

TEST_F(HostileConditions, ReplacementKeepsTheModeLessSetIdBitsAndIsSyncedInItsFolder)
{
    WriteFile(ReportPath(), Report(1, "old"));
    // Anyone may set both on a file of their own in their own group.
    ASSERT_EQ(::chmod(ReportPath().c_str(), 06640), 0);
    ASSERT_EQ(ModeOf(ReportPath()), 06640U);
    const std::string trace = Path("trace");
    InjectFaults({{"TRACE", trace}});

    EXPECT_EQ(Run({"-quiet", "1", "-return", "2", "-message", "new"}).exitStatus, 0);
    EXPECT_EQ(ReadFile(ReportPath()), Report(2, "new"));
    EXPECT_EQ(ModeOf(ReportPath()), 0640U);
    // The new name reaches the disk only with its folder.
    const std::string log = ReadFile(trace);
    const std::size_t rename = log.find("rename " + ReportPath() + "\n");
    ASSERT_NE(rename, std::string::npos) << log;
    EXPECT_NE(log.find("fsync " + InstallFolder() + "\n", rename), std::string::npos) << log;
}

TEST_F(HostileConditions, ReplacementKeepsOwnerAndGroup)
{
    if (!IsRoot())
        GTEST_SKIP() << "needs root: only root can hand a file to another user";
    WriteFile(ReportPath(), Report(1, "old"));
    ASSERT_EQ(::chown(ReportPath().c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(::chmod(ReportPath().c_str(), 0640), 0);

    EXPECT_EQ(Run({"-quiet", "1", "-return", "2"}).exitStatus, 0);
    const struct stat status = StatusOf(ReportPath());
    EXPECT_EQ(status.st_uid, kNobody);
    EXPECT_EQ(status.st_gid, kNobody);
    EXPECT_EQ(status.st_mode & 07777, 0640U);
}

TEST_F(HostileConditions, WritableReportInAFolderRefusingNewFilesIsRewrittenInPlace)
{
    WriteFile(ReportPath(), Report(1, std::string(300, 'o')));
    const ino_t inode = StatusOf(ReportPath()).st_ino;
    RefuseNewFiles(InstallFolder(), ReportPath());

    ChildResult result = RunAsNobody({"-quiet", "1", "-return", "2", "-message", "new"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(ReadFile(ReportPath()), Report(2, "new")); // cut to its new length
    EXPECT_EQ(StatusOf(ReportPath()).st_ino, inode);

    fs::permissions(ReportPath(), fs::perms(0444));
    result = RunAsNobody({"-quiet", "1", "-return", "3"});
    EXPECT_EQ(result.exitStatus, 4);
    EXPECT_EQ(ReadFile(ReportPath()), Report(2, "new"));
    EXPECT_EQ(FolderEntries(InstallFolder()), std::set<std::string>{"Demo.irpt"});
}

// A broken report reaches the update manager by the same path as a whole one.
TEST_F(HostileConditions, CutReportIsRewrittenInPlaceWhereTheFolderRefusesNewFiles)
{
    WriteFile(ReportPath(), Report(1, std::string(300, 'o')));
    const ino_t inode = StatusOf(ReportPath()).st_ino;
    RefuseNewFiles(InstallFolder(), ReportPath());

    const ChildResult result =
        RunAsNobody({"-quiet", "1", "-return", "2", "-message", "Retry", "-fault", "badreport"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(ReadFile(ReportPath()), ReportCutInMessage(2, "Re"));
    EXPECT_EQ(StatusOf(ReportPath()).st_ino, inode);
}

TEST_F(HostileConditions, CustomFileIsReplacedWholeOrNotAtAll)
{
    WriteFile(Path("app/f.txt"), "old contents");
    ASSERT_EQ(::chmod(Path("app/f.txt").c_str(), 0640), 0);
    if (IsRoot()) {
        ASSERT_EQ(::chown(Path("app/f.txt").c_str(), kNobody, kNobody), 0);
    }
    WriteFile(Path("real.txt"), "old target");
    fs::create_symlink(Path("real.txt"), Path("app/link.txt"));

    // Four bytes fit, the rest does not.
    const ChildResult full = Run({"-quiet", "1", "-extractname", "f.txt"}, 4);
    EXPECT_EQ(full.exitStatus, 3);
    EXPECT_EQ(ReadFile(Path("app/f.txt")), "old contents");
    EXPECT_EQ(FolderEntries(Path("app")), (std::set<std::string>{"f.txt", "link.txt"}));

    EXPECT_EQ(Run({"-quiet", "1", "-extractname", "f.txt"}).exitStatus, 0);
    EXPECT_EQ(ReadFile(Path("app/f.txt")), "Corvane Updater 4.0!");
    const struct stat status = StatusOf(Path("app/f.txt"));
    EXPECT_EQ(status.st_mode & 07777, 0640U);
    if (IsRoot()) {
        EXPECT_EQ(status.st_uid, kNobody);
    }

    EXPECT_EQ(
        Run({"-quiet", "1", "-extractname", "link.txt", "-extractcontents", "new"}).exitStatus, 0);
    EXPECT_TRUE(fs::is_symlink(Path("app/link.txt")));
    EXPECT_EQ(ReadFile(Path("real.txt")), "new");
}

TEST_F(HostileConditions, SignalsNeitherCutTheRunShortNorLeaveDebris)
{
    m_environment.erase("ORL_APP_ID");
    ChildRun unreadErrors = Command({"-quiet", "1"});
    unreadErrors.closedStandardError = true;
    const ChildResult failed = RunChild(unreadErrors);
    EXPECT_EQ(failed.killedBy, 0);
    EXPECT_EQ(failed.exitStatus, 4);

    // Signals that end a process remove the save's temporary file first; a
    // file system without unnamed files makes the save name one.
    m_environment["ORL_APP_ID"] = "Demo";
    WriteFile(ReportPath(), Report(1, "old"));
    for (const int signal : {SIGTERM, SIGQUIT, SIGUSR1, SIGALRM, SIGRTMIN + 1}) {
        SCOPED_TRACE(strsignal(signal));
        InjectFaults({{"PATH", ".irpt."},
                      {"FSYNC_SIGNAL", std::to_string(signal)},
                      {"TMPFILE", std::to_string(EOPNOTSUPP)}});
        const ChildResult ended = Run({"-quiet", "1", "-return", "2"});
        EXPECT_EQ(ended.killedBy, signal);
        EXPECT_EQ(ReadFile(ReportPath()), Report(1, "old"));
        EXPECT_EQ(FolderEntries(InstallFolder()), std::set<std::string>{"Demo.irpt"});
    }
    // A kill leaves no handler a chance: the new report must have no name yet.
    m_environment.erase("STUBSETUP_FAULT_TMPFILE");
    InjectFaults({{"PATH", kNewReport}, {"FSYNC_SIGNAL", std::to_string(SIGKILL)}});
    EXPECT_EQ(Run({"-quiet", "1", "-return", "2"}).killedBy, SIGKILL);
    EXPECT_EQ(ReadFile(ReportPath()), Report(1, "old"));
    EXPECT_EQ(FolderEntries(InstallFolder()), std::set<std::string>{"Demo.irpt"});

    // One ignored from the start stays ignored: the save goes through.
    m_environment["STUBSETUP_FAULT_FSYNC_SIGNAL"] = std::to_string(SIGUSR1);
    ChildRun ignoring = Command({"-quiet", "1", "-return", "2"});
    ignoring.ignoredSignals = {SIGUSR1};
    EXPECT_EQ(RunChild(ignoring).exitStatus, 0);
    EXPECT_EQ(ReadFile(ReportPath()), Report(2, ""));
}

TEST_F(HostileConditions, RunningOutOfMemoryEndsTheRunWithTheStatusOfItsStep)
{
    // The shim refuses allocations as large as `huge`, and only those.
    const std::string huge(100 * 1024, 'x');
    InjectFaults({{"NEW", std::to_string(huge.size() / 2)}});
    UseFakeModule("confirm");
    m_environment["FAKE_UI_FAILURE"] = "memory";
    const struct {
        std::map<std::string, std::string> environment;
        std::vector<std::string> arguments;
        int exitStatus;
        std::string step;
    } cases[] = {
        {{}, {"-quiet", "1", "-message", huge}, 4, "cannot read the options"},
        {{{"ORL_APP_INSTALL_PATH", "/" + huge}},
         {"-quiet"},
         1,
         "cannot find the install directory"},
        {{{"FAKE_UI_FAILING", "dialog"}}, {}, 2, "cannot open the progress dialog"},
        {{{"FAKE_UI_FAILING", "messages"}},
         {"-extractname", "missing/f.txt"},
         3,
         "cannot write the custom file"},
        {{{"ORL_APP_ID", huge}}, {"-quiet"}, 4, "cannot store the installer report"},
    };
    const auto common = m_environment;
    for (const auto &[environment, arguments, exitStatus, step] : cases) {
        SCOPED_TRACE(step);
        m_environment = common;
        for (const auto &[name, value] : environment)
            m_environment[name] = value;
        const ChildResult result = Run(arguments);
        EXPECT_EQ(result.exitStatus, exitStatus) << result.err;
        EXPECT_EQ(LastLine(result.err), "stubsetup: " + step + ": out of memory\n");
        EXPECT_FALSE(fs::exists(ReportPath()));
    }
}

TEST_F(HostileConditions, EnvironmentDumpWithoutMemoryIsSkipped)
{
    // Each variable fits in memory, all of them in one dump do not.
    for (const char *name : {"LARGE1", "LARGE2", "LARGE3", "LARGE4", "LARGE5", "LARGE6"})
        m_environment[name] = std::string(100 * 1024, 'x');
    InjectFaults({{"NEW", std::to_string(256 * 1024)}});
    WriteFile(Path("work/env.txt"), "old dump");
    const ChildResult result = Run({"-quiet", "1", "-env", "1", "-return", "2"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(ReadFile(Path("work/env.txt")), "old dump");
    EXPECT_EQ(ReadFile(ReportPath()), Report(2, ""));
}

// Why a set-user-ID copy of the program cannot be tried here; empty when it can.
std::string WhyNoSetUserIdRun(const std::string &folder)
{
    if (::geteuid() != 0)
        return "giving a program to another user needs root";
    if (STUBSETUP_SANITIZED)
        return "LeakSanitizer cannot run in a set-user-ID process";
    struct statvfs mount {};
    if (::statvfs(folder.c_str(), &mount) != 0 || (mount.f_flag & ST_NOSUID) != 0)
        return folder + " is on a file system that ignores set-user-ID bits";
    return {};
}

// Started by root, the copy runs as nobody: privileges its caller lacks.
ChildRun SetUserIdRun(const ChildRun &plain, const std::string &copy)
{
    fs::copy_file(plain.command[0], copy);
    EXPECT_EQ(::chown(copy.c_str(), kNobody, kNobody), 0);
    EXPECT_EQ(::chmod(copy.c_str(), 04755), 0);
    ChildRun run = plain;
    run.command[0] = copy;
    return run;
}

TEST_F(HostileConditions, SetUserIdCopyOfTheProgramLoadsNoModule)
{
    if (const std::string why = WhyNoSetUserIdRun(m_root); !why.empty())
        GTEST_SKIP() << why;
    UseFakeModule("confirm");
    const ChildResult result = RunChild(SetUserIdRun(Command({}), Path("bin/stubsetup")));
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.out, ""); // the module did not run
    EXPECT_EQ(result.err, kSetIdRunLine);
    EXPECT_FALSE(fs::exists(ReportPath()));
}

// A viewer found through the caller's PATH would run with the program's
// privileges.
TEST_F(HostileConditions, SetUserIdRunStartsNoViewerOfTheCallersChoosing)
{
    if (const std::string why = WhyNoSetUserIdRun(m_root); !why.empty())
        GTEST_SKIP() << why;
    const std::string planted = Path("planted");
    fs::create_directory(planted);
    fs::permissions(planted, fs::perms::all);
    WriteFile(planted + "/xdg-open", "#!/bin/sh\ntouch " + planted + "/viewer-ran\n");
    fs::permissions(planted + "/xdg-open", fs::perms(0755));
    m_environment["PATH"] = planted + ":/usr/bin:/bin";
    ChildRun run = SetUserIdRun(Command({"-quiet", "1", "-env", "1"}), Path("bin/stubsetup"));
    run.workingDirectory = planted;
    const ChildResult result = RunChild(run);
    EXPECT_NE(result.err.find("stubsetup: the environment dump is not shown: xdg-open is not "
                              "started in a set-user-ID or set-group-ID run\n"),
              std::string::npos)
        << result.err;
    EXPECT_TRUE(fs::exists(planted + "/env.txt"));
    EXPECT_FALSE(fs::exists(planted + "/viewer-ran"));
}

TEST_F(HostileConditions, AppIdStaysInsideTheReportFolder)
{
    for (const std::string id : {"../Escape", "/Absolute", "a/./b", ".", "sub/../Demo", "Demo/"}) {
        SCOPED_TRACE(id);
        m_environment["ORL_APP_ID"] = id;
        const ChildResult result = Run({"-quiet", "1"});
        EXPECT_EQ(result.exitStatus, 4);
        EXPECT_EQ(result.err, "stubsetup: cannot store the installer report: ORL_APP_ID " + id +
                                  ": not a name inside the report folder (absolute, ending in /, "
                                  "or with a . or .. component)\n");
        EXPECT_TRUE(FolderEntries(InstallFolder()).empty());
        EXPECT_FALSE(fs::exists(Path("data/Corvane/Updater/Escape.irpt")));
    }
    fs::create_directory(InstallFolder() + "/sub");
    m_environment["ORL_APP_ID"] = "sub/Demo";
    EXPECT_EQ(Run({"-quiet", "1", "-return", "2"}).exitStatus, 0);
    EXPECT_EQ(ReadFile(InstallFolder() + "/sub/Demo.irpt"), Report(2, ""));
}

TEST_F(HostileConditions, EnvironmentDumpIsPrivateAndNeverWrittenThroughALink)
{
    UseSilentViewer();
    const std::string dump = Path("work/env.txt");
    WriteFile(Path("target"), "planted");
    fs::create_symlink(Path("target"), dump);
    EXPECT_EQ(Run({"-quiet", "1", "-env"}).exitStatus, 0);
    EXPECT_EQ(ReadFile(Path("target")), "planted");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dump)));
    EXPECT_EQ(ModeOf(dump), 0600U);
    EXPECT_NE(ReadFile(dump).find("ORL_APP_ID=Demo"), std::string::npos);

    // A folder the run may not write to: the dump fails, the run goes on.
    WriteFile(dump, "old dump");
    fs::remove(ReportPath());
    fs::permissions(Path("data"), fs::perms::all);
    fs::permissions(InstallFolder(), fs::perms::all);
    fs::permissions(Path("work"), fs::perms(0555));
    m_refusing.push_back(Path("work"));
    const ChildResult unprivileged = RunAsNobody({"-quiet", "1", "-env"});
    fs::permissions(Path("work"), fs::perms(0755));
    EXPECT_EQ(unprivileged.exitStatus, 0) << unprivileged.err;
    EXPECT_EQ(ReadFile(dump), "old dump");
}

TEST_F(HostileConditions, EnvironmentDumpLeavesAnotherUsersFileInAStickyFolderAlone)
{
    if (!IsRoot())
        GTEST_SKIP() << "needs root: only root can give a file to another user";
    UseSilentViewer();
    // Root could replace another user's file in a sticky folder; it leaves it.
    const std::string shared = Path("shared");
    fs::create_directory(shared);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    WriteFile(shared + "/env.txt", "theirs");
    ASSERT_EQ(::chown((shared + "/env.txt").c_str(), kNobody, kNobody), 0);
    ChildRun inShared = Command({"-quiet", "1", "-env"});
    inShared.workingDirectory = shared;
    EXPECT_EQ(RunChild(inShared).exitStatus, 0);
    EXPECT_EQ(ReadFile(shared + "/env.txt"), "theirs");
    EXPECT_EQ(FolderEntries(shared), std::set<std::string>{"env.txt"});
}

TEST_F(HostileConditions, InPlaceRewriteIsSeenWholeByRunsThatTakeTheLock)
{
    WriteFile(ReportPath(), Report(1, "old"));
    RefuseNewFiles(InstallFolder(), ReportPath());
    const std::string pause = Path("pause/save");
    fs::create_directory(Path("pause"));
    fs::permissions(Path("pause"), fs::perms::all);
    ASSERT_EQ(::mkfifo((pause + ".release").c_str(), 0666), 0);

    // The first run stops just before it writes the new bytes.
    InjectFaults({{"PATH", "Demo.irpt"}, {"PAUSE", pause}});
    StartedChild first(CommandAsNobody({"-quiet", "1", "-return", "2", "-message", "first"}));
    ASSERT_TRUE(WaitForFile(pause + ".reached"));
    m_environment.erase("STUBSETUP_FAULT_PAUSE");
    m_environment["STUBSETUP_FAULT_CONTENDED"] = Path("pause/contended");
    StartedChild second(CommandAsNobody({"-quiet", "1", "-return", "3", "-message", "second"}));
    // The second run finds the report locked (one that took no lock would
    // have finished by now), then the first goes on.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!second.hasEnded() && !fs::exists(Path("pause/contended")) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ::close(::open((pause + ".release").c_str(), O_WRONLY));

    EXPECT_EQ(first.finish().exitStatus, 0);
    const ChildResult result = second.finish();
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(ReadFile(ReportPath()), Report(3, "second"));
}

TEST_F(HostileConditions, AReportLockedForLongerThanTheWaitIsLeftAlone)
{
    WriteFile(ReportPath(), Report(1, "old"));
    const int held = ::open(ReportPath().c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const ChildResult result = Run({"-quiet", "1", "-return", "2"});
    ::close(held);
    EXPECT_EQ(result.exitStatus, 4);
    EXPECT_EQ(result.err, ReportError("the report is locked by another process"));
    EXPECT_EQ(ReadFile(ReportPath()), Report(1, "old"));
}

TEST_F(HostileConditions, InPlaceRewriteThatCannotFitFailsBeforeAnOldByteChanges)
{
    const std::string before = Report(1, "old");
    WriteFile(ReportPath(), before);
    RefuseNewFiles(InstallFolder(), ReportPath());
    ChildRun report = CommandAsNobody({"-quiet", "1", "-message", std::string(100, 'm')});
    report.fileSizeLimit = static_cast<long>(before.size()) + 10;
    ChildResult result = RunChild(report);
    EXPECT_EQ(result.exitStatus, 4);
    EXPECT_EQ(result.err, ReportError("File too large"));
    EXPECT_EQ(ReadFile(ReportPath()), before);

    WriteFile(Path("app/f.txt"), "old contents");
    RefuseNewFiles(Path("app"), Path("app/f.txt"));
    ChildRun custom = CommandAsNobody(
        {"-quiet", "1", "-extractname", "f.txt", "-extractcontents", std::string(2000, 'c')});
    custom.fileSizeLimit = 1024;
    result = RunChild(custom);
    EXPECT_EQ(result.exitStatus, 3);
    EXPECT_EQ(ReadFile(Path("app/f.txt")), "old contents");
}

TEST_F(HostileConditions, ASignalDuringAnInPlaceRewriteWaitsForTheWholeNewReport)
{
    WriteFile(ReportPath(), Report(1, "old"));
    RefuseNewFiles(InstallFolder(), ReportPath());
    InjectFaults({{"PATH", "Demo.irpt"}, {"WRITE_SIGNAL", std::to_string(SIGTERM)}});
    const ChildResult result =
        RunChild(CommandAsNobody({"-quiet", "1", "-return", "2", "-message", "new"}));
    EXPECT_EQ(result.killedBy, SIGTERM);
    EXPECT_EQ(ReadFile(ReportPath()), Report(2, "new"));
}

TEST_F(HostileConditions, WithoutUnnamedFilesOnlyTheTemporariesOfDeadSavesAreRemoved)
{
    WriteFile(ReportPath(), Report(1, "old"));
    const std::set<std::string> kept = {"Demo.irpt", ".Demo.irpt.Fresh1", ".Demo.irpt.Lockd1",
                                        ".Other.irpt.Stale1", ".Demo.irpt.TooLong"};
    for (const std::string name : {".Demo.irpt.Stale1", ".Demo.irpt.Fresh1", ".Demo.irpt.Lockd1",
                                   ".Other.irpt.Stale1", ".Demo.irpt.TooLong"}) {
        WriteFile(InstallFolder() + "/" + name, "left over");
        if (name != ".Demo.irpt.Fresh1")
            fs::last_write_time(InstallFolder() + "/" + name,
                                fs::file_time_type::clock::now() - std::chrono::minutes(2));
    }
    const int held = ::open((InstallFolder() + "/.Demo.irpt.Lockd1").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    InjectFaults({{"TMPFILE", std::to_string(EOPNOTSUPP)}});
    const ChildResult result = Run({"-quiet", "1", "-return", "2"});
    ::close(held);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(ReadFile(ReportPath()), Report(2, ""));
    EXPECT_EQ(FolderEntries(InstallFolder()), kept);
}

TEST_F(HostileConditions, TheLongestLegalIdSavesWithAndWithoutUnnamedFiles)
{
    m_environment["ORL_APP_ID"] = std::string(250, 'i');
    const std::string report = InstallFolder() + "/" + std::string(250, 'i') + ".irpt";
    ChildResult result = Run({"-quiet", "1", "-return", "2"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    InjectFaults({{"TMPFILE", std::to_string(EOPNOTSUPP)}});
    result = Run({"-quiet", "1", "-return", "3"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(ReadFile(report), Report(3, ""));
}

TEST_F(HostileConditions, FoldersItCreatesAreNeverWritableByOthersWhateverTheUmask)
{
    fs::remove_all(Path("data/Corvane"));
    ChildRun run = Command({"-quiet", "1"});
    run.fileCreationMask = 0;
    EXPECT_EQ(RunChild(run).exitStatus, 0);
    for (const char *folder :
         {"data/Corvane", "data/Corvane/Updater", "data/Corvane/Updater/Install"})
        EXPECT_EQ(ModeOf(Path(folder)), 0755U) << folder;
}

TEST_F(HostileConditions, ReasonsNameTheRealFault)
{
    const std::string prefix = "stubsetup: cannot store the installer report: ";
    fs::remove_all(Path("data/Corvane"));
    WriteFile(Path("data/Corvane"), "a file where a folder belongs");
    ChildResult result = Run({"-quiet", "1"});
    EXPECT_EQ(result.exitStatus, 4);
    EXPECT_EQ(result.err, prefix + Path("data/Corvane") + ": Not a directory\n");

    fs::remove(Path("data/Corvane"));
    fs::create_directories(Path("data/Corvane/Updater"));
    fs::permissions(Path("data/Corvane/Updater"), fs::perms(0555));
    m_refusing.push_back(Path("data/Corvane/Updater"));
    result = RunAsNobody({"-quiet", "1"});
    EXPECT_EQ(result.exitStatus, 4);
    EXPECT_EQ(result.err, prefix + InstallFolder() + ": Permission denied\n");

    m_environment.erase("XDG_DATA_HOME");
    m_environment["HOME"] = "relative/home";
    result = Run({"-quiet", "1"});
    EXPECT_EQ(result.exitStatus, 4);
    EXPECT_EQ(result.err, prefix + "no folder for user data: HOME is not an absolute path\n");
}

// Root in a user's data folder, as the update manager may run installers.
TEST_F(HostileConditions, RootRunsNeverFollowAnotherUsersLinkAndLeaveTheirFilesToTheUser)
{
    if (!IsRoot())
        GTEST_SKIP() << "needs root: only root can run among the links of another user";
    const std::string secret = Path("secret");
    fs::create_directory(secret);
    fs::permissions(secret, fs::perms(0700));
    fs::remove_all(Path("data/Corvane"));
    ASSERT_EQ(::chown(Path("data").c_str(), kNobody, kNobody), 0);

    ChildResult result = Run({"-quiet", "1", "-return", "1"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    for (const std::string &made : {Path("data/Corvane"), InstallFolder(), ReportPath()}) {
        EXPECT_EQ(StatusOf(made).st_uid, kNobody) << made;
        EXPECT_EQ(StatusOf(made).st_gid, kNobody) << made;
    }
    result = RunAsNobody({"-quiet", "1", "-return", "2"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;

    const auto plant = [](const std::string &target, const std::string &link, uid_t owner) {
        fs::remove(link);
        fs::create_symlink(target, link);
        ASSERT_EQ(::lchown(link.c_str(), owner, owner), 0);
    };
    const std::string refused = ": a symbolic link of another user (uid 65534), not followed\n";
    plant(secret + "/Demo.irpt", ReportPath(), kNobody);
    result = Run({"-quiet", "1"});
    EXPECT_EQ(result.exitStatus, 4);
    EXPECT_EQ(result.err,
              "stubsetup: cannot store the installer report: " + ReportPath() + refused);

    plant(secret, InstallFolder() + "/tools", kNobody);
    m_environment["ORL_APP_ID"] = "tools/Demo";
    result = Run({"-quiet", "1"});
    EXPECT_EQ(result.exitStatus, 4);
    EXPECT_EQ(result.err, "stubsetup: cannot store the installer report: " + InstallFolder() +
                              "/tools" + refused);

    plant(secret, Path("app/sub"), kNobody);
    result = Run({"-quiet", "1", "-extractname", "sub/f.txt"});
    EXPECT_EQ(result.exitStatus, 3);
    EXPECT_EQ(result.err, "stubsetup: cannot write the custom file: " + Path("app/sub") + refused);
    EXPECT_TRUE(FolderEntries(secret).empty());

    // Root's own links lead where they point.
    plant(secret, InstallFolder() + "/tools", 0);
    m_environment["ORL_APP_ID"] = "tools/Demo";
    EXPECT_EQ(Run({"-quiet", "1", "-return", "3"}).exitStatus, 0);
    EXPECT_EQ(ReadFile(secret + "/Demo.irpt"), Report(3, ""));
}

} // namespace
} // namespace stubsetup::test
