// The update manager's side of a session: fifty installers at once, some of
// them misbehaving on request, judged by their reports, their ends and the
// journal they all keep.
#include "EndToEndFixture.h"
#include "JournalLines.h"

#include <memory>

namespace stubsetup::test {
namespace {

struct Installer {
    std::string id;
    std::string fault;        // empty: none
    std::vector<int> signals; // sent, in order, once its line is out
    int endingSignal = 0;     // what ends it, if a signal does
    std::unique_ptr<StartedChild> run;
};

class UpdateManagerSession : public EndToEnd {
protected:
    void SetUp() override
    {
        EndToEnd::SetUp();
        m_environment["STUBSETUP_JOURNAL"] = Path("journal");
    }

    static int ReturnCode(std::size_t index) { return static_cast<int>(index % 5); }
    static std::string Message(const Installer &installer) { return installer.id + " & co"; }

    void Start(Installer &installer, std::size_t index)
    {
        m_environment["ORL_APP_ID"] = installer.id;
        std::vector<std::string> arguments = {"-quiet",   "1",
                                              "-return",  std::to_string(ReturnCode(index)),
                                              "-message", Message(installer)};
        if (!installer.fault.empty())
            arguments.insert(arguments.end(), {"-fault", installer.fault});
        installer.run = std::make_unique<StartedChild>(Command(arguments));
    }

    // Its line is appended just before it starts to wait.
    Json WaitForLineOf(const StartedChild &run) const
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        do {
            for (const Json &line : JournalLines(ReadFile(Path("journal"))))
                if (line.contains("pid") && line.at("pid") == run.pid())
                    return line;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        } while (std::chrono::steady_clock::now() < deadline);
        return {};
    }

    // The signals `pid` ignores, as a mask with bit n - 1 for signal n.
    static unsigned long long IgnoredSignals(int pid)
    {
        std::istringstream status(ReadFile("/proc/" + std::to_string(pid) + "/status"));
        for (std::string line; std::getline(status, line);)
            if (line.rfind("SigIgn:", 0) == 0)
                return std::stoull(line.substr(7), nullptr, 16);
        return 0;
    }

    std::string ReportOf(const Installer &installer) const
    {
        return Path("data/Corvane/Updater/Install/" + installer.id + ".irpt");
    }
};

const char *const kFaultRotation[] = {"", "noreport", "crash", "crashafter", "badreport", ""};

std::vector<Installer> Plan()
{
    std::vector<Installer> installers(50);
    for (std::size_t index = 0; index < installers.size(); ++index) {
        installers[index].id = "App" + std::to_string(index);
        installers[index].fault = kFaultRotation[index % std::size(kFaultRotation)];
    }
    installers[7] = {"App7", "hang", {SIGTERM}, SIGTERM, {}};
    installers[19] = {"App19", "hang", {SIGINT}, SIGINT, {}};
    installers[23] = {"App23", "hang", {SIGHUP}, SIGHUP, {}};
    installers[31] = {"App31", "hardhang", {SIGTERM, SIGINT, SIGHUP, SIGKILL}, SIGKILL, {}};
    installers[42] = {"App42", "hardhang", {SIGHUP, SIGINT, SIGTERM, SIGUSR1}, SIGUSR1, {}};
    return installers;
}

TEST_F(UpdateManagerSession, FiftyInstallersAtOnceEachAsAsked)
{
    std::vector<Installer> installers = Plan();
    for (std::size_t index = 0; index < installers.size(); ++index)
        Start(installers[index], index);
    for (Installer &installer : installers) {
        if (installer.signals.empty())
            continue;
        ASSERT_FALSE(WaitForLineOf(*installer.run).is_null()) << installer.id;
        // Deaf before its line is out, so a signal sent now cannot end it.
        constexpr unsigned long long kRequestsToStop =
            1ULL << (SIGHUP - 1) | 1ULL << (SIGINT - 1) | 1ULL << (SIGTERM - 1);
        if (installer.fault == "hardhang") {
            EXPECT_EQ(IgnoredSignals(installer.run->pid()) & kRequestsToStop, kRequestsToStop)
                << installer.id;
        }
        for (const int signal : installer.signals)
            kill(installer.run->pid(), signal);
    }

    std::map<int, Json> lines;
    std::vector<ChildResult> results;
    for (Installer &installer : installers)
        results.push_back(installer.run->finish());
    for (const Json &line : JournalLines(ReadFile(Path("journal"))))
        lines[line.value("pid", 0)] = line;
    EXPECT_EQ(lines.size(), installers.size());

    for (std::size_t index = 0; index < installers.size(); ++index) {
        const Installer &installer = installers[index];
        const ChildResult &result = results[index];
        SCOPED_TRACE(installer.id + " " + installer.fault);
        const std::string &fault = installer.fault;
        const bool crashes = fault == "crash" || fault == "crashafter";
        const bool handsOver = fault.empty() || fault == "crashafter" || fault == "badreport";
        const std::string escaped = installer.id + " &amp; co";

        if (crashes)
            EXPECT_TRUE(Crashed(result)) << result.exitStatus << " " << result.err;
        else if (installer.endingSignal != 0)
            EXPECT_EQ(result.killedBy, installer.endingSignal);
        else
            EXPECT_EQ(result.exitStatus, 0) << result.err;

        if (fault == "badreport") {
            EXPECT_EQ(ReadFile(ReportOf(installer)),
                      ReportCutInMessage(ReturnCode(index), escaped.substr(0, escaped.size() / 2)));
        } else if (handsOver) {
            EXPECT_EQ(ReadFile(ReportOf(installer)), Report(ReturnCode(index), escaped));
        } else {
            EXPECT_FALSE(fs::exists(ReportOf(installer)));
        }

        Json &line = lines[installer.run->pid()];
        EXPECT_EQ(line["ORL_APP_ID"], installer.id);
        EXPECT_EQ(line["return_code"], ReturnCode(index));
        EXPECT_EQ(line["message"], Message(installer));
        EXPECT_EQ(line["fault"], fault.empty() ? Json() : Json(fault));
        EXPECT_EQ(line["outcome"], fault.empty() ? "confirmed" : fault);
        EXPECT_EQ(line["handed_over"], handsOver);
        if (crashes)
            EXPECT_EQ(line["exit_status"], "SIGSEGV");
        else if (installer.endingSignal != 0)
            EXPECT_EQ(line["exit_status"], nullptr);
        else
            EXPECT_EQ(line["exit_status"], 0);
    }
}

} // namespace
} // namespace stubsetup::test
