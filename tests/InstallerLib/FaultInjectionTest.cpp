// Saves under hostile conditions: a writer killed at a random point of a
// long series of saves, and many processes writing one report at once.
#include "ExpectedReport.h"
#include "InstallerLib/Environment.h"
#include "InstallerLib/InstallerReport.h"
#include "TestSupport.h"
#include "stubsetup/InstallerLib.h"
#include "xml/XmlElementSet.h"
#include "xml/XmlReader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace stubsetup {
namespace {

constexpr int kFillerLines = 300; // the document spans many write(2) calls

std::string FillerLines()
{
    std::string lines;
    for (int index = 0; index < kFillerLines; ++index)
        lines += "<Filler" + std::to_string(index) + ">" + std::string(40, 'f') + "</Filler" +
                 std::to_string(index) + ">\n";
    return lines;
}

std::string FilledReport(int returnCode)
{
    return test::kXmlDeclaration + ("<InstallerResult>\n" + FillerLines()) + "<ReturnCode>" +
           std::to_string(returnCode) + "</ReturnCode>\n</InstallerResult>\n";
}

// The return code a complete filled report holds, or -1 for anything else.
int ReturnCodeOfCompleteReport(const std::string &content)
{
    const std::string::size_type start = content.find("<ReturnCode>");
    if (start == std::string::npos)
        return -1;
    const int code = std::atoi(content.c_str() + start + 12);
    return content == FilledReport(code) ? code : -1;
}

ino_t InodeOf(const std::string &path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

[[noreturn]] void SaveForever(const std::string &path)
{
    PrefsFile store(path, kReportRootName);
    for (int code = 0;; code = (code + 1) % 1000)
        if (!store.setInt("ReturnCode", code))
            ::_exit(1);
}

// Every save renames a fresh file over the report, so each change shows as a
// new inode. Answers false when the writer makes no progress for long.
bool WaitForReplacements(const std::string &path, int count)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    ino_t seen = InodeOf(path);
    while (count > 0) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        const ino_t now = InodeOf(path);
        if (now != seen) {
            seen = now;
            --count;
        }
        std::this_thread::yield();
    }
    return true;
}

TEST(FaultInjection, KilledWriterLeavesThePreviousOrTheNewDocument)
{
    const test::TempFolder folder;
    const std::string path = folder / "Demo.irpt";
    test::WriteFile(path, FilledReport(0));
    std::mt19937 random(5);
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const pid_t writer = ::fork();
        ASSERT_GE(writer, 0);
        if (writer == 0)
            SaveForever(path);
        const bool progressed =
            WaitForReplacements(path, std::uniform_int_distribution<int>(1, 40)(random));
        ::kill(writer, SIGKILL);
        int status = 0;
        ::waitpid(writer, &status, 0);
        ASSERT_TRUE(progressed);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped on its own";
        ASSERT_NE(ReturnCodeOfCompleteReport(test::ReadFile(path)), -1) << test::ReadFile(path);
    }
}

class ConcurrentWriters : public testing::Test {
protected:
    static constexpr int kWriters = 24;

    ConcurrentWriters() { m_home.environment().set(kAppIdVariable, "Demo"); }

    std::string installFolder() const
    {
        return m_home.home() + "/.local/share/Corvane/Updater/Install";
    }

    // Starts every writer, then lets them go at once; answers how many
    // reported success.
    int RunWriters()
    {
        int gate[2];
        if (::pipe(gate) != 0)
            return 0;
        std::vector<pid_t> writers;
        for (int index = 0; index < kWriters; ++index) {
            const pid_t writer = ::fork();
            if (writer == 0) {
                ::close(gate[1]);
                char ignored;
                while (::read(gate[0], &ignored, 1) > 0) {
                }
                const std::string message = "message " + std::to_string(index);
                ::_exit(SetInstallerExitInfo(index, message.c_str()) == 1 ? 0 : 1);
            }
            writers.push_back(writer);
        }
        ::close(gate[0]);
        ::close(gate[1]);
        int succeeded = 0;
        for (const pid_t writer : writers) {
            int status = 0;
            succeeded += ::waitpid(writer, &status, 0) == writer && WIFEXITED(status) &&
                         WEXITSTATUS(status) == 0;
        }
        return succeeded;
    }

private:
    test::IsolatedHome m_home;
};

std::vector<XmlElement *> ChildrenNamed(XmlElement *parent, const std::string &name)
{
    return XmlElementSet(parent).selectChildren(XmlNameMatch(name)).members();
}

TEST_F(ConcurrentWriters, LeaveOneWellFormedReportWithOneCodeAndOneMessage)
{
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        EXPECT_EQ(RunWriters(), kWriters);
        EXPECT_EQ(test::FolderEntries(installFolder()), std::set<std::string>{"Demo.irpt"});
        XmlReader reader;
        ASSERT_TRUE(reader.prepare(nullptr, '\0'));
        ASSERT_TRUE(reader.parseFile(installFolder() + "/Demo.irpt", false));
        const auto roots = ChildrenNamed(reader.document(), kReportRootName);
        ASSERT_EQ(roots.size(), 1U);
        ASSERT_EQ(reader.document()->getChildren().size(), 1U);
        const auto codes = ChildrenNamed(roots[0], "ReturnCode");
        const auto messages = ChildrenNamed(roots[0], "UserMessage");
        ASSERT_EQ(codes.size(), 1U);
        ASSERT_EQ(messages.size(), 1U);
        EXPECT_EQ(roots[0]->getChildren().size(), 2U);
        const int code = std::stoi(codes[0]->getText());
        EXPECT_TRUE(code >= 0 && code < kWriters) << code;
        EXPECT_EQ(messages[0]->getText().rfind("message ", 0), 0U) << messages[0]->getText();
    }
}

} // namespace
} // namespace stubsetup
