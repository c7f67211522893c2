#include "InstallerLib/InstallerReport.h"
#include "ExpectedReport.h"
#include "InstallerLib/Environment.h"
#include "SmallStack.h"
#include "TestSupport.h"
#include "stubsetup/InstallerLib.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <locale>
#include <stdexcept>

namespace stubsetup {
namespace {

using test::kXmlDeclaration;
using test::ReadFile;
using test::Report;
using test::ReportCutInMessage;

class InstallerReportTest : public testing::Test {
protected:
    InstallerReportTest() { m_home.environment().set(kAppIdVariable, "Demo"); }

    std::string installFolder() const
    {
        return m_home.home() + "/.local/share/Corvane/Updater/Install";
    }
    std::string reportPath() const { return installFolder() + "/Demo.irpt"; }
    test::IsolatedHome &home() { return m_home; }

private:
    test::IsolatedHome m_home;
};

TEST_F(InstallerReportTest, WritesAFreshReportLineByLine)
{
    EXPECT_EQ(SetInstallerExitInfo(0, "Done"), 1);
    EXPECT_EQ(ReadFile(reportPath()), Report(0, "Done"));
    EXPECT_EQ(test::FolderEntries(installFolder()), std::set<std::string>{"Demo.irpt"});
}

TEST_F(InstallerReportTest, UpdatesInPlaceAndKeepsOtherElements)
{
    std::filesystem::create_directories(installFolder());
    test::WriteFile(reportPath(), "<InstallerResult><UserMessage>old</UserMessage>"
                                  "<Vendor>Acme</Vendor><ReturnCode>1</ReturnCode>"
                                  "</InstallerResult>");
    EXPECT_EQ(SetInstallerExitInfo(3, "Retry"), 1);
    EXPECT_EQ(ReadFile(reportPath()),
              kXmlDeclaration + std::string("<InstallerResult>\n"
                                            "<UserMessage>Retry</UserMessage>\n"
                                            "<Vendor>Acme</Vendor>\n"
                                            "<ReturnCode>3</ReturnCode>\n"
                                            "</InstallerResult>\n"));
}

TEST_F(InstallerReportTest, StoresCodesAndMessagesAsGiven)
{
    EXPECT_EQ(SetInstallerExitInfo(-1, nullptr), 1);
    EXPECT_EQ(ReadFile(reportPath()), Report(-1, ""));
    EXPECT_EQ(SetInstallerExitInfo(17, ""), 1);
    EXPECT_EQ(ReadFile(reportPath()), Report(17, ""));
    EXPECT_EQ(SetInstallerExitInfo(2, "a<b & c"), 1);
    EXPECT_EQ(ReadFile(reportPath()), Report(2, "a&lt;b &amp; c"));
}

TEST_F(InstallerReportTest, ConvertsTheMessageFromTheLocaleCharset)
{
    const test::BuiltLocale locale("CP1252");
    if (!locale.active())
        GTEST_SKIP() << "localedef cannot build a CP1252 locale here";
    EXPECT_EQ(SetInstallerExitInfo(0, "caf\xE9"), 1);
    EXPECT_EQ(ReadFile(reportPath()), Report(0, "caf\xC3\xA9"));
}

TEST_F(InstallerReportTest, CreatesNothingWithoutAnAppId)
{
    home().environment().unset(kAppIdVariable);
    EXPECT_EQ(SetInstallerExitInfo(0, "Done"), 0);
    EXPECT_EQ(errno, EINVAL);
    home().environment().set(kAppIdVariable, "");
    EXPECT_EQ(SetInstallerExitInfo(0, "Done"), 0);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_TRUE(test::FolderEntries(home().home()).empty());
}

TEST_F(InstallerReportTest, LeavesAnUnreadableReportAlone)
{
    std::filesystem::create_directories(installFolder());
    test::WriteFile(reportPath(), "not a report");
    EXPECT_EQ(SetInstallerExitInfo(0, "Done"), 0);
    EXPECT_EQ(errno, EBADMSG);
    EXPECT_EQ(ReadFile(reportPath()), "not a report");

    std::filesystem::remove(reportPath());
    std::filesystem::create_directory(reportPath());
    EXPECT_EQ(SetInstallerExitInfo(0, "Done"), 0);
    EXPECT_EQ(errno, EISDIR);
    EXPECT_TRUE(std::filesystem::is_empty(reportPath()));
}

TEST_F(InstallerReportTest, ReportsAnInstallFolderThatCannotBeMade)
{
    std::filesystem::create_directories(std::filesystem::path(installFolder()).parent_path());
    std::filesystem::create_symlink("nowhere/Install", installFolder());
    try {
        InstallerReportWriter writer("Demo");
        ADD_FAILURE() << "no error for a missing Install folder";
    } catch (const std::runtime_error &error) {
        EXPECT_STREQ(error.what(), "Unable to installer report location");
    }
    EXPECT_EQ(SetInstallerExitInfo(0, "Done"), 0);
    EXPECT_EQ(errno, ENOENT);
}

// A C host may call us on a thread with a small stack. A report nested 998
// deep, near the reader's limit, is read, updated, written and freed there.
TEST_F(InstallerReportTest, UpdatesADeeplyNestedReportOnASmallStack)
{
    std::string opened;
    std::string closed;
    for (int level = 1; level < 997; ++level) {
        opened += "<e>\n";
        closed += "</e>\n";
    }
    const std::string nested = opened + "<e></e>\n" + closed;
    std::filesystem::create_directories(installFolder());
    test::WriteFile(reportPath(), "<InstallerResult>\n" + nested + "</InstallerResult>\n");
    int stored = 0;
    ASSERT_TRUE(test::RunOnStack(64 * 1024, [&] { stored = SetInstallerExitInfo(2, "Retry"); }));
    EXPECT_EQ(stored, 1);
    EXPECT_EQ(ReadFile(reportPath()), Report(2, "Retry", nested));
}

TEST_F(InstallerReportTest, MissingValuesReadAsTheirDefaults)
{
    std::filesystem::create_directories(installFolder());
    test::WriteFile(reportPath(), "<InstallerResult><Vendor>Acme</Vendor></InstallerResult>");
    InstallerReport report(reportPath());
    std::int32_t returnCode = 0;
    std::string message = "unset";
    EXPECT_TRUE(report.returnCode().get(returnCode));
    EXPECT_EQ(returnCode, 4); // IncompleteCannotSucceed
    EXPECT_TRUE(report.userMessage().get(message));
    EXPECT_EQ(message, "");
}

// The cut falls inside the message as the report holds it: after conversion
// and escaping, so that an entity may be broken too.
TEST_F(InstallerReportTest, CutReportEndsHalfWayThroughTheEscapedMessage)
{
    std::filesystem::create_directories(installFolder());
    test::WriteFile(reportPath(), "<InstallerResult><Vendor>Acme</Vendor></InstallerResult>");
    // Escaped, "a&lt;b &amp; c!" is 15 bytes long.
    const std::string cut = ReportCutInMessage(2, "a&lt;b ", "<Vendor>Acme</Vendor>\n");
    EXPECT_TRUE(WriteCutInstallerExitInfo(2, "a<b & c!").ok());
    EXPECT_EQ(ReadFile(reportPath()), cut);
    EXPECT_EQ(test::FolderEntries(installFolder()), std::set<std::string>{"Demo.irpt"});

    // What the update manager then meets is never replaced.
    EXPECT_EQ(SetInstallerExitInfo(0, "Done"), 0);
    EXPECT_EQ(errno, EBADMSG);
    EXPECT_EQ(ReadFile(reportPath()), cut);

    std::filesystem::remove(reportPath());
    EXPECT_TRUE(WriteCutInstallerExitInfo(2, "Retry").ok());
    EXPECT_EQ(ReadFile(reportPath()), ReportCutInMessage(2, "Re"));
    std::filesystem::remove(reportPath());
    EXPECT_TRUE(WriteCutInstallerExitInfo(0, "").ok());
    EXPECT_EQ(ReadFile(reportPath()), ReportCutInMessage(0, ""));

    // A message element of another writer keeps its attributes up to the cut.
    test::WriteFile(reportPath(), "<InstallerResult><UserMessage lang=\"en\">old</UserMessage>"
                                  "</InstallerResult>");
    EXPECT_TRUE(WriteCutInstallerExitInfo(1, "Retry").ok());
    EXPECT_EQ(ReadFile(reportPath()),
              kXmlDeclaration + std::string("<InstallerResult>\n<UserMessage lang=\"en\">Re"));
}

TEST_F(InstallerReportTest, ReportIsLocatedWithoutCreatingAnything)
{
    std::string path;
    ASSERT_TRUE(LocateInstallerReport(path));
    EXPECT_EQ(path, reportPath());
    home().environment().set(kAppIdVariable, "tools/Demo");
    ASSERT_TRUE(LocateInstallerReport(path));
    EXPECT_EQ(path, installFolder() + "/tools/Demo.irpt");
    EXPECT_TRUE(test::FolderEntries(home().home()).empty());

    path = "kept";
    home().environment().set(kAppIdVariable, "/etc/Demo");
    EXPECT_FALSE(LocateInstallerReport(path));
    home().environment().unset(kAppIdVariable);
    EXPECT_FALSE(LocateInstallerReport(path));
    EXPECT_EQ(path, "kept");
}

// A C++ installer that links us may set a global locale that groups digits.
TEST_F(InstallerReportTest, WritesPlainDigitsWhateverTheGlobalLocale)
{
    struct Grouping : std::numpunct<char> {
        char do_thousands_sep() const override { return ','; }
        std::string do_grouping() const override { return "\3"; }
    };
    const std::locale previous =
        std::locale::global(std::locale(std::locale::classic(), new Grouping));
    const int stored = SetInstallerExitInfo(1234567, "");
    std::locale::global(previous);
    EXPECT_EQ(stored, 1);
    EXPECT_EQ(ReadFile(reportPath()), Report(1234567, ""));
}

} // namespace
} // namespace stubsetup
