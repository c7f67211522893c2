// The program where files, folders, limits and signals work against it: it
// either does its job or says why and leaves what was there.
#include "EndToEndFixture.h"

#include <csignal>
#include <cstring>
#include <sys/statvfs.h>
#include <unistd.h>

namespace stubsetup::test {
namespace {

constexpr uid_t kNobody = 65534;

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

    std::string InstallFolder() const { return Path("data/Corvane/Updater/Install"); }

    std::string ReportError(const std::string &reason) const
    {
        return "stubsetup: cannot store the installer report: " + ReportPath() + ": " + reason +
               "\n";
    }

    static bool IsRoot() { return ::geteuid() == 0; }
};

TEST_F(HostileConditions, ExistingReportThatCannotBeReadIsNeverReplaced)
{
    const std::string before = Report(1, "old", "<Extra>kept</Extra>\n");
    WriteFile(ReportPath(), before);
    fs::permissions(ReportPath(), fs::perms::none);
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

TEST_F(HostileConditions, SaveWhoseSyncOrCloseFailsKeepsThePreviousReport)
{
    WriteFile(ReportPath(), Report(1, "old"));
    for (const char *failing : {"FSYNC", "CLOSE"}) {
        SCOPED_TRACE(failing);
        InjectFaults({{"PATH", ".irpt."}, {failing, std::to_string(EIO)}});
        const ChildResult result = Run({"-quiet", "1", "-return", "2"});
        m_environment.erase(std::string("STUBSETUP_FAULT_") + failing);
        EXPECT_EQ(result.exitStatus, 4);
        EXPECT_EQ(result.err, ReportError("Input/output error"));
        EXPECT_EQ(ReadFile(ReportPath()), Report(1, "old"));
        EXPECT_EQ(FolderEntries(InstallFolder()), std::set<std::string>{"Demo.irpt"});
    }
}

TEST_F(HostileConditions, ReplacementKeepsOwnerAndModeAndIsSyncedInItsFolder)
{
    if (!IsRoot())
        GTEST_SKIP() << "handing a file to another user needs root";
    WriteFile(ReportPath(), Report(1, "old"));
    ASSERT_EQ(::chown(ReportPath().c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(::chmod(ReportPath().c_str(), 06640), 0);
    const std::string trace = Path("trace");
    InjectFaults({{"TRACE", trace}});

    EXPECT_EQ(Run({"-quiet", "1", "-return", "2", "-message", "new"}).exitStatus, 0);
    EXPECT_EQ(ReadFile(ReportPath()), Report(2, "new"));
    const struct stat status = StatusOf(ReportPath());
    EXPECT_EQ(status.st_uid, kNobody);
    EXPECT_EQ(status.st_gid, kNobody);
    EXPECT_EQ(status.st_mode & 07777, 0640U);
    // The new name reaches the disk only with its folder.
    const std::string log = ReadFile(trace);
    const std::size_t rename = log.find("rename " + ReportPath() + "\n");
    ASSERT_NE(rename, std::string::npos) << log;
    EXPECT_NE(log.find("fsync " + InstallFolder() + "\n", rename), std::string::npos) << log;
}

TEST_F(HostileConditions, WritableReportInAFolderRefusingNewFilesIsRewrittenInPlace)
{
    WriteFile(ReportPath(), Report(1, std::string(300, 'o')));
    fs::permissions(ReportPath(), fs::perms(0666));
    const ino_t inode = StatusOf(ReportPath()).st_ino;
    fs::permissions(InstallFolder(), fs::perms(0555));

    ChildResult result = RunAsNobody({"-quiet", "1", "-return", "2", "-message", "new"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(ReadFile(ReportPath()), Report(2, "new")); // cut to its new length
    EXPECT_EQ(StatusOf(ReportPath()).st_ino, inode);

    fs::permissions(ReportPath(), fs::perms(0444));
    result = RunAsNobody({"-quiet", "1", "-return", "3"});
    fs::permissions(InstallFolder(), fs::perms(0755));
    EXPECT_EQ(result.exitStatus, 4);
    EXPECT_EQ(ReadFile(ReportPath()), Report(2, "new"));
    EXPECT_EQ(FolderEntries(InstallFolder()), std::set<std::string>{"Demo.irpt"});
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

TEST_F(HostileConditions, SetUserIdCopyOfTheProgramLoadsNoModule)
{
    if (!IsRoot())
        GTEST_SKIP() << "giving a program to another user needs root";
    struct statvfs mount {};
    if (::statvfs(m_root.c_str(), &mount) != 0 || (mount.f_flag & ST_NOSUID) != 0)
        GTEST_SKIP() << m_root << " is on a file system that ignores set-user-ID bits";
    // Started by root, it runs as nobody: privileges its caller lacks.
    const std::string program = Path("bin/stubsetup");
    fs::copy_file(STUBSETUP_PROGRAM, program);
    ASSERT_EQ(::chown(program.c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(::chmod(program.c_str(), 04755), 0);
    UseFakeModule("confirm");
    ChildRun run = Command({});
    run.command[0] = program;
    const ChildResult result = RunChild(run);
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.out, ""); // the module did not run
    EXPECT_EQ(result.err, kSetIdRunLine);
    EXPECT_FALSE(fs::exists(ReportPath()));
}

TEST_F(HostileConditions, AppIdStaysInsideTheReportFolder)
{
    for (const std::string id : {"../Escape", "/Absolute", "a/./b", ".", "sub/../Demo"}) {
        SCOPED_TRACE(id);
        m_environment["ORL_APP_ID"] = id;
        const ChildResult result = Run({"-quiet", "1"});
        EXPECT_EQ(result.exitStatus, 4);
        EXPECT_EQ(result.err, "stubsetup: cannot store the installer report: ORL_APP_ID " + id +
                                  ": not a name inside the report folder (absolute, or a . or "
                                  ".. component)\n");
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
    WriteFile(Path("bin/xdg-open"), "#!/bin/sh\n");
    ASSERT_EQ(::chmod(Path("bin/xdg-open").c_str(), 0755), 0);
    const std::string dump = Path("work/env.txt");
    WriteFile(Path("target"), "planted");
    fs::create_symlink(Path("target"), dump);
    EXPECT_EQ(Run({"-quiet", "1", "-env"}).exitStatus, 0);
    EXPECT_EQ(ReadFile(Path("target")), "planted");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dump)));
    EXPECT_EQ(StatusOf(dump).st_mode & 07777, 0600U);
    EXPECT_NE(ReadFile(dump).find("ORL_APP_ID=Demo"), std::string::npos);

    // A folder nobody may write to: the dump fails, the run goes on.
    WriteFile(dump, "old dump");
    fs::remove(ReportPath());
    fs::permissions(Path("data"), fs::perms::all);
    fs::permissions(InstallFolder(), fs::perms::all);
    fs::permissions(Path("work"), fs::perms(0555));
    const ChildResult unprivileged = RunAsNobody({"-quiet", "1", "-env"});
    fs::permissions(Path("work"), fs::perms(0755));
    EXPECT_EQ(unprivileged.exitStatus, 0) << unprivileged.err;
    EXPECT_EQ(ReadFile(dump), "old dump");

    if (!IsRoot())
        return;
    // Another user's file in a sticky folder is theirs, even for root.
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

} // namespace
} // namespace stubsetup::test
