// Installers that misbehave on request: each fault acts where the report
// would be handed over, after the custom file and the dialog, and touches no
// other file.
#include "EndToEndFixture.h"

namespace stubsetup::test {
namespace {

TEST_F(EndToEnd, QuietFaultsActWhereTheReportWouldBeHandedOver)
{
    const std::string old = Report(1, "old");
    const std::string handedOver = Report(2, "Tom &amp; Jerry");
    // Half of the escaped message's 15 bytes: the entity is broken too.
    const std::string cut = ReportCutInMessage(2, "Tom &am");
    struct Case {
        const char *fault;
        bool crashes;
        std::string report;
    };
    for (const auto &[fault, crashes, report] : {Case{"noreport", false, old},
                                                 {"crash", true, old},
                                                 {"crashafter", true, handedOver},
                                                 {"badreport", false, cut}}) {
        SCOPED_TRACE(fault);
        fs::create_directories(InstallFolder());
        WriteFile(ReportPath(), old);
        fs::remove(Path("app/f.txt"));
        const ChildResult result = Run({"-quiet", "1", "-return", "2", "-message", "Tom & Jerry",
                                        "-extractname", "f.txt", "-fault", fault});
        if (crashes) {
            EXPECT_TRUE(Crashed(result)) << result.exitStatus << " " << result.err;
        } else {
            EXPECT_EQ(result.exitStatus, 0);
            EXPECT_EQ(result.err, "");
        }
        EXPECT_EQ(ReadFile(ReportPath()), report);
        EXPECT_EQ(FolderEntries(InstallFolder()), std::set<std::string>{"Demo.irpt"});
        EXPECT_EQ(ReadFile(Path("app/f.txt")), "Corvane Updater 4.0!");
    }

    // The broken report is there to stay.
    const ChildResult after = Run({"-quiet", "1"});
    EXPECT_EQ(after.exitStatus, 4);
    EXPECT_EQ(after.err, "stubsetup: cannot store the installer report: " + ReportPath() +
                             ": not a well-formed installer report\n");
    EXPECT_EQ(ReadFile(ReportPath()), cut);
}

TEST_F(EndToEnd, FaultActsOnlyInARunThatGetsThatFar)
{
    EXPECT_EQ(Run({"-quiet", "1", "-extractname", "missing/f.txt", "-fault", "crash"}).exitStatus,
              3);
    m_environment.erase("ORL_APP_INSTALL_PATH");
    EXPECT_EQ(Run({"-quiet", "1", "-fault", "crash"}).exitStatus, 1);
    EXPECT_FALSE(fs::exists(ReportPath()));
}

TEST_F(EndToEnd, UnknownFaultIsNamedAndTheRunGoesOnAsUsual)
{
    ChildResult result = Run({"-quiet", "1", "-return", "2", "-fault", "explode"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.err, "stubsetup: ignoring unknown fault \"explode\"; known: noreport, crash, "
                          "crashafter, hang, hardhang, badreport\n");
    EXPECT_EQ(ReadFile(ReportPath()), Report(2, ""));

    result = Run({"-quiet", "1", "-return", "3", "-fault", ""});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(ReadFile(ReportPath()), Report(3, ""));
}

TEST_F(EndToEnd, DialogRunFaultsActAfterOkAndNeverAfterCancel)
{
    UseFakeModule("confirm");
    ChildResult result = Run({"-fault", "badreport"});
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(ReadFile(ReportPath()), ReportCutInMessage(3, "confirmed i"));

    fs::remove(ReportPath());
    UseFakeModule("cancel");
    result = Run({"-fault", "crash", "-extractname", "f.txt"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_FALSE(fs::exists(ReportPath()));
    EXPECT_FALSE(fs::exists(Path("app/f.txt")));
}

} // namespace
} // namespace stubsetup::test
