// The journal a tester keeps of every run: one whole line each, in a file
// only its owner reads, that no link, lock or limit can tear.
#include "EndToEndFixture.h"
#include "JournalLines.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace stubsetup::test {
namespace {

class Journal : public EndToEnd {
protected:
    void SetUp() override
    {
        EndToEnd::SetUp();
        m_environment["STUBSETUP_JOURNAL"] = JournalPath();
    }

    std::string JournalPath() const { return Path("journal"); }
    std::vector<Json> Lines() const { return JournalLines(ReadFile(JournalPath())); }

    std::string JournalError(const std::string &reason) const
    {
        return "stubsetup: cannot write the journal: " + JournalPath() + ": " + reason + "\n";
    }
};

TEST_F(Journal, EachRunAppendsOneLineWithWhatItDid)
{
    const std::vector<std::string> arguments = {"-quiet",       "1",
                                                "-component",   "C",
                                                "-revision",    "R",
                                                "-return",      "2",
                                                "-message",     "Retry & \"go\"",
                                                "-sleep",       "4",
                                                "-extractname", "f.txt"};
    ASSERT_EQ(Run(arguments).exitStatus, 0);
    m_environment.erase("ORL_APP_INSTALL_PATH");
    ASSERT_EQ(Run({"-quiet", "1", "-fault", "noreport"}).exitStatus, 1);
    ASSERT_EQ(Run({"--help"}).exitStatus, 0);
    ASSERT_EQ(Run({"--version"}).exitStatus, 0);

    std::vector<Json> lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    std::vector<std::string> keys;
    for (const auto &item : lines[0].items())
        keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"time",
                                              "pid",
                                              "ppid",
                                              "argv",
                                              "cwd",
                                              "ORL_APP_ID",
                                              "ORL_APP_INSTALL_PATH",
                                              "component",
                                              "revision",
                                              "return_code",
                                              "message",
                                              "sleep",
                                              "quiet",
                                              "extract_name",
                                              "install_dir",
                                              "fault",
                                              "report",
                                              "handed_over",
                                              "custom_file",
                                              "outcome",
                                              "exit_status",
                                              "duration_ms"}));
    Json &stored = lines[0];
    EXPECT_EQ(stored["ppid"], getpid());
    EXPECT_EQ(stored["argv"], arguments);
    EXPECT_EQ(stored["cwd"], Path("work"));
    EXPECT_EQ(stored["ORL_APP_ID"], "Demo");
    EXPECT_EQ(stored["ORL_APP_INSTALL_PATH"], Path("app"));
    EXPECT_EQ(stored["component"], "C");
    EXPECT_EQ(stored["revision"], "R");
    EXPECT_EQ(stored["return_code"], 2);
    EXPECT_EQ(stored["message"], "Retry & \"go\"");
    EXPECT_EQ(stored["sleep"], 4);
    EXPECT_EQ(stored["quiet"], true);
    EXPECT_EQ(stored["extract_name"], "f.txt");
    EXPECT_EQ(stored["install_dir"], Path("app"));
    EXPECT_EQ(stored["fault"], nullptr);
    EXPECT_EQ(stored["report"], ReportPath());
    EXPECT_EQ(stored["handed_over"], true);
    EXPECT_EQ(stored["custom_file"], Path("app/f.txt"));
    EXPECT_EQ(stored["outcome"], "confirmed");
    EXPECT_EQ(stored["exit_status"], 0);
    EXPECT_GE(stored["duration_ms"], 0);

    Json &failed = lines[1];
    EXPECT_NE(failed["pid"], stored["pid"]);
    EXPECT_GE(failed["time"].get<std::string>(), stored["time"].get<std::string>());
    EXPECT_EQ(failed["ORL_APP_INSTALL_PATH"], nullptr);
    EXPECT_EQ(failed["install_dir"], nullptr);
    EXPECT_EQ(failed["extract_name"], nullptr);
    EXPECT_EQ(failed["fault"], "noreport");
    EXPECT_EQ(failed["handed_over"], false);
    EXPECT_EQ(failed["custom_file"], nullptr);
    EXPECT_EQ(failed["outcome"], "failed");
    EXPECT_EQ(failed["exit_status"], 1);
}

TEST_F(Journal, DialogOutcomesAreNamed)
{
    ASSERT_EQ(Run({}).exitStatus, 2); // no display
    UseFakeModule("cancel");
    ASSERT_EQ(Run({"-fault", "crash"}).exitStatus, 2);
    UseFakeModule("confirm");
    ASSERT_EQ(Run({"-fault", "noreport", "-return", "1"}).exitStatus, 0);

    std::vector<Json> lines = Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0]["outcome"], "no_display");
    EXPECT_EQ(lines[1]["outcome"], "cancelled");
    EXPECT_EQ(lines[1]["exit_status"], 2);
    EXPECT_EQ(lines[2]["outcome"], "noreport");
    EXPECT_EQ(lines[2]["handed_over"], false);
    // What the tester chose in the dialog is what would have been handed over.
    EXPECT_EQ(lines[2]["return_code"], 3);
    EXPECT_EQ(lines[2]["message"], "confirmed in stubsetup");
    EXPECT_FALSE(fs::exists(ReportPath()));
}

TEST_F(Journal, ArgumentsThatAreNotUtf8AreReplacedAndTheLineStaysOne)
{
    ASSERT_EQ(
        Run({"-quiet", "1", "-message", "caf\xE9\nline two", "-component", "\x01"}).exitStatus, 0);
    std::vector<Json> lines = Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]["argv"][3], "caf\xEF\xBF\xBD\nline two");
    EXPECT_EQ(lines[0]["message"], "caf\xEF\xBF\xBD\nline two");
    EXPECT_EQ(lines[0]["component"], "\x01");
}

TEST_F(Journal, NewJournalIsPrivateAndAnExistingOneKeepsItsMode)
{
    fs::create_directory(Path("work/runs"));
    m_environment["STUBSETUP_JOURNAL"] = "runs/journal"; // from the current folder
    ChildRun run = Command({"-quiet", "1"});
    run.fileCreationMask = 0;
    ASSERT_EQ(RunChild(run).exitStatus, 0);
    EXPECT_EQ(fs::status(Path("work/runs/journal")).permissions(), fs::perms(0600));

    fs::permissions(Path("work/runs/journal"), fs::perms(0644));
    ASSERT_EQ(RunChild(run).exitStatus, 0);
    EXPECT_EQ(fs::status(Path("work/runs/journal")).permissions(), fs::perms(0644));
    EXPECT_EQ(JournalLines(ReadFile(Path("work/runs/journal"))).size(), 2u);
}

TEST_F(Journal, OnlyARegularFileReachedWithoutALinkIsWritten)
{
    WriteFile(Path("target"), "");
    fs::create_symlink(Path("target"), JournalPath());
    ChildResult result = Run({"-quiet", "1", "-return", "2"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.err, JournalError("a symbolic link, not followed"));
    EXPECT_EQ(ReadFile(Path("target")), "");
    EXPECT_EQ(ReadFile(ReportPath()), Report(2, ""));

    // A FIFO without a reader would hold the run up if it were opened.
    fs::remove(JournalPath());
    ASSERT_EQ(mkfifo(JournalPath().c_str(), 0600), 0);
    result = Run({"-quiet", "1"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.err, JournalError("not a regular file"));

    fs::remove(JournalPath());
    fs::create_directory(JournalPath());
    result = Run({"-quiet", "1", "-fault", "noreport"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.err, JournalError("Is a directory"));
}

// A full disk or a file-size limit must not leave a torn line that the next
// run's line would be glued to.
TEST_F(Journal, LineThatDoesNotFitIsTakenBackWhole)
{
    const std::string earlier = "{\"earlier\":\"" + std::string(300, 'x') + "\"}\n";
    WriteFile(JournalPath(), earlier);
    // Room for the report and part of the line.
    const ChildResult result = Run({"-quiet", "1", "-return", "2"}, 400);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.err, JournalError("File too large"));
    EXPECT_EQ(ReadFile(ReportPath()), Report(2, ""));
    EXPECT_EQ(ReadFile(JournalPath()), earlier);

    ASSERT_EQ(Run({"-quiet", "1", "-return", "3"}).exitStatus, 0);
    std::vector<Json> lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1]["return_code"], 3);
}

TEST_F(Journal, RunWaitsForAnotherProcessesLockOnTheJournal)
{
    WriteFile(JournalPath(), "");
    const int held = open(JournalPath().c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    const std::string contended = Path("contended");
    InjectFaults({{"PATH", JournalPath()}, {"CONTENDED", contended}});
    StartedChild run(Command({"-quiet", "1"}));
    EXPECT_TRUE(WaitForFile(contended));
    EXPECT_EQ(ReadFile(JournalPath()), "");
    close(held);
    EXPECT_EQ(run.finish().exitStatus, 0);
    EXPECT_EQ(Lines().size(), 1u);
}

// The environment of a set-user-ID run is its caller's to choose.
TEST_F(Journal, SetIdRunKeepsNoJournal)
{
    InjectFaults({{"SECURE", "1"}});
    const ChildResult result = Run({"-quiet", "1"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.err, "stubsetup: ignoring STUBSETUP_JOURNAL in a set-user-ID or "
                          "set-group-ID run\n");
    EXPECT_FALSE(fs::exists(JournalPath()));
}

TEST_F(Journal, RootCreatesTheJournalForTheOwnerOfItsFolder)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "handing a file to another user needs root";
    fs::create_directory(Path("nobodys"));
    ASSERT_EQ(chown(Path("nobodys").c_str(), kNobody, kNobody), 0);
    m_environment["STUBSETUP_JOURNAL"] = Path("nobodys/journal");
    ASSERT_EQ(Run({"-quiet", "1"}).exitStatus, 0);
    struct stat status {};
    ASSERT_EQ(stat(Path("nobodys/journal").c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, kNobody);
    EXPECT_EQ(status.st_gid, kNobody);
}

} // namespace
} // namespace stubsetup::test
