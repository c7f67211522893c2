#include "app/CInstallerApp.h"

#include "app/CommandLineWarnings.h"
#include "app/InstallPath.h"
#include "app/LostDisplayGuard.h"
#include "app/StandardErrorUserInterface.h"
#include "app/platform/Faults.h"
#include "app/platform/Process.h"

#include "InstallerLib/Environment.h"
#include "InstallerLib/InstallerReport.h"
#include "common/platform/FileSystem.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <ostream>

namespace stubsetup {

// One step of the run: the line its failure begins with, and the status the
// run then ends with.
struct RunStep {
    const char *failure;
    RunResult status;
};

namespace {

constexpr char kDefaultDisplayName[] = "Corvane Updater Test Installer";
constexpr char kDefaultExtractContents[] = "Corvane Updater 4.0!";
constexpr char kEnvironmentFileName[] = "env.txt";
constexpr char kViewerProgram[] = "xdg-open";

constexpr char kNoInstallDirectoryMessage[] =
    "Unable to get application installation directory.  Fatal error";
constexpr char kCustomFileMessage[] = "Unable to install custom file!";
constexpr char kExitInfoMessage[] = "Unable to set installer exit information!";

constexpr char kNotANumber[] = "not a number";
constexpr char kNotABoolean[] = "neither 0 nor 1";
constexpr RunStep kReadingOptions{"cannot read the options", RunResult::ExitInfoNotStored};
constexpr RunStep kFindingInstallDirectory{"cannot find the install directory",
                                           RunResult::NoInstallDirectory};
constexpr RunStep kShowingDialog{"cannot open the progress dialog", RunResult::DialogNotConfirmed};
constexpr RunStep kWritingCustomFile{"cannot write the custom file",
                                     RunResult::CustomFileNotWritten};
constexpr RunStep kStoringReport{"cannot store the installer report", RunResult::ExitInfoNotStored};
constexpr char kJournalFailure[] = "cannot write the journal";

// The journal's words for how a run went, besides the faults' names.
constexpr char kConfirmed[] = "confirmed";
constexpr char kCancelled[] = "cancelled";
constexpr char kNoDisplay[] = "no_display";
constexpr char kFailed[] = "failed";
constexpr char kCrashSignal[] = "SIGSEGV";

// Memory running out is what stops a step this way; it has just run out, so
// nothing here allocates.
void SayWhyStopped(const char *failure, const std::exception &error, std::ostream &errors)
{
    const bool outOfMemory = dynamic_cast<const std::bad_alloc *>(&error) != nullptr;
    errors << kDiagnosticPrefix << failure << ": " << (outOfMemory ? "out of memory" : error.what())
           << '\n'
           << std::flush;
}

RunResult EndStep(const RunStep &step, const std::exception &error, std::ostream &errors)
{
    SayWhyStopped(step.failure, error, errors);
    return step.status;
}

// Why the update manager's variable gave no usable value.
std::string VariableProblem(const char *variable, int error)
{
    std::string value;
    if (!ReadEnvironmentVariable(variable, value))
        return std::string(variable) + " is not set";
    if (value.empty())
        return std::string(variable) + " is empty";
    return std::string(variable) + ": " + std::strerror(error);
}

std::string JoinLines(const std::vector<std::string> &lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i == 0 ? "" : "\n") + lines[i];
    return text;
}

} // namespace

RunResult EndBeforeRun(const std::exception &error, std::ostream &errors)
{
    return EndStep(kReadingOptions, error, errors);
}

CInstallerApp::CInstallerApp(const std::vector<std::string> &arguments,
                             UserInterface &userInterface, std::ostream &errors)
    : m_userInterface(userInterface), m_errors(errors), m_whyNotHandedOver(kFailed)
{
    m_cmdInfo.ParseArguments(arguments);
    for (const std::string &line : SurprisingArguments(arguments))
        Warn(line);
    if (m_journal.refused())
        Warn(std::string("ignoring ") + kJournalVariable + " in a set-user-ID or set-group-ID run");
    if (m_journal.enabled())
        m_arguments = arguments;
}

CInstallerApp::RunOptions CInstallerApp::ReadOptions() const
{
    // A malformed number keeps the default, or whatever number its text
    // starts with; the run goes on with it, and says so.
    RunOptions options;
    options.displayName = kDefaultDisplayName;
    m_cmdInfo.GetOptionString("display", options.displayName);
    m_cmdInfo.GetOptionString("component", options.component);
    m_cmdInfo.GetOptionString("revision", options.revision);
    m_cmdInfo.GetOptionString("message", options.message);
    const bool sleepConverted = m_cmdInfo.GetOptionUnsigned("sleep", options.sleepSeconds);
    WarnUnlessConverted("sleep", sleepConverted, std::to_string(options.sleepSeconds), kNotANumber);
    const bool quietConverted = m_cmdInfo.GetOptionBool("quiet", options.quiet);
    WarnUnlessConverted("quiet", quietConverted, options.quiet ? "1" : "0", kNotABoolean);
    m_cmdInfo.GetOptionString("extractname", options.extractPath);
    m_cmdInfo.GetOptionString("extractcontents", options.extractContents);
    if (options.extractContents.empty())
        options.extractContents = kDefaultExtractContents;
    const bool envConverted = m_cmdInfo.GetOptionBool("env", options.dumpEnvironment);
    WarnUnlessConverted("env", envConverted, options.dumpEnvironment ? "1" : "0", kNotABoolean);
    m_cmdInfo.GetOptionString("appdir", options.appDir);
    options.fault = ReadFault();
    return options;
}

Fault CInstallerApp::ReadFault() const
{
    std::string name;
    Fault fault = Fault::None;
    if (m_cmdInfo.GetOptionString("fault", name) && !name.empty() && !FaultNamed(name, fault))
        Warn("ignoring unknown fault \"" + name + "\"; known: " + KnownFaultNames());
    return fault;
}

std::int32_t CInstallerApp::ReadReturnCode() const
{
    // Only a complete number counts here; anything else is 0.
    std::int32_t returnCode = 0;
    const bool converted = m_cmdInfo.GetOptionInt("return", returnCode);
    if (!converted)
        returnCode = 0;
    WarnUnlessConverted("return", converted, std::to_string(returnCode), kNotANumber);
    return returnCode;
}

void CInstallerApp::WarnUnlessConverted(const char *option, bool converted, const std::string &used,
                                        const char *expected) const
{
    std::string text;
    if (converted || !m_cmdInfo.GetOptionString(option, text) || text.empty())
        return;
    Warn(std::string("-") + option + ": \"" + text + "\" is " + expected + "; using " + used);
}

void CInstallerApp::Warn(const std::string &line) const
{
    m_errors << kDiagnosticPrefix << line << '\n' << std::flush;
}

RunResult CInstallerApp::RunInstallation()
{
    m_step = &kReadingOptions;
    RunResult result;
    try {
        result = RunSteps();
    } catch (const std::exception &error) {
        result = EndStep(*m_step, error, m_errors);
    }
    AppendToJournal(static_cast<int>(result));
    return result;
}

RunResult CInstallerApp::RunSteps()
{
    m_options = ReadOptions();
    const RunOptions &options = m_options;
    if (options.dumpEnvironment)
        DumpEnvironment();

    m_dialog.m_strComponent = options.component;
    m_dialog.m_strMessage = options.message;
    m_dialog.m_nSleepSeconds = options.sleepSeconds;
    m_dialog.m_nReturnCode = ReadReturnCode();

    m_step = &kFindingInstallDirectory;
    std::string whyNoInstallDirectory;
    m_installDirectory = FindInstallDirectory(options.appDir, whyNoInstallDirectory);
    if (m_installDirectory.empty()) {
        ShowMessage(kNoInstallDirectoryMessage, MessageStyle::Plain, whyNoInstallDirectory);
        return RunResult::NoInstallDirectory;
    }
    const platform::GuardedPath extractPath{m_installDirectory, options.extractPath};
    m_dialog.m_strInstallPath = m_installDirectory;
    m_dialog.m_strDisplayName = options.displayName;
    m_dialog.m_strInstallingFile = options.extractPath.empty() ? std::string() : extractPath.text();

    m_step = &kShowingDialog;
    if (!options.quiet && !ConfirmInDialog(m_dialog))
        return RunResult::DialogNotConfirmed;

    m_step = &kWritingCustomFile;
    if (!options.extractPath.empty()) {
        const Outcome written = WriteCustomFile(extractPath, options.extractContents);
        if (!written.ok()) {
            Diagnose("cannot write the custom file", written.describe());
            if (!options.quiet)
                ShowMessage(kCustomFileMessage, MessageStyle::Exclamation);
            return RunResult::CustomFileNotWritten;
        }
        m_customFile = extractPath.text();
    }

    m_step = &kStoringReport;
    return HandOver();
}

RunResult CInstallerApp::HandOver()
{
    m_faultActs = m_options.fault != Fault::None;
    switch (m_options.fault) {
    case Fault::NoReport:
        return RunResult::ReportStored; // only the missing report tells
    case Fault::BadReport:
        return StoreReport(WriteCutInstallerExitInfo);
    case Fault::Crash:
        Crash();
    case Fault::HardHang:
        // Deaf before its line is out: whoever reads the line may signal at once.
        platform::IgnoreRequestsToStop();
        Hang();
    case Fault::Hang:
        Hang();
    case Fault::None:
    case Fault::CrashAfter:
        break;
    }
    const RunResult stored = StoreReport(WriteInstallerExitInfo);
    if (m_options.fault == Fault::CrashAfter)
        Crash();
    return stored;
}

RunResult CInstallerApp::StoreReport(ExitInfoWriter write)
{
    const Outcome stored = write(m_dialog.m_nReturnCode, m_dialog.m_strMessage.c_str());
    if (!stored.ok()) {
        Diagnose("cannot store the installer report", stored.describe());
        if (!m_options.quiet)
            ShowMessage(kExitInfoMessage, MessageStyle::ExclamationSystemModal);
        return RunResult::ExitInfoNotStored;
    }
    m_handedOver = true;
    return RunResult::ReportStored;
}

void CInstallerApp::Crash()
{
    AppendToJournal(std::nullopt, kCrashSignal);
    platform::CrashWithoutCoreFile();
}

void CInstallerApp::Hang()
{
    AppendToJournal(std::nullopt);
    platform::WaitForTheEnd();
}

void CInstallerApp::AppendToJournal(std::optional<int> exitStatus, const char *endingSignal)
{
    if (!m_journal.enabled())
        return;
    try {
        JournalEntry entry = JournalEntryOfRun();
        entry.exitStatus = exitStatus;
        entry.endingSignal = endingSignal;
        const Outcome appended = m_journal.append(std::move(entry));
        if (!appended.ok())
            Diagnose(kJournalFailure, appended.describe());
    } catch (const std::exception &error) {
        SayWhyStopped(kJournalFailure, error, m_errors);
    }
}

JournalEntry CInstallerApp::JournalEntryOfRun() const
{
    JournalEntry entry;
    entry.arguments = m_arguments;
    entry.component = m_options.component;
    entry.revision = m_options.revision;
    entry.returnCode = m_dialog.m_nReturnCode;
    entry.message = m_dialog.m_strMessage;
    entry.sleepSeconds = m_options.sleepSeconds;
    entry.quiet = m_options.quiet;
    entry.extractName = UnlessEmpty(m_options.extractPath);
    entry.installDirectory = UnlessEmpty(m_installDirectory);
    entry.fault = UnlessEmpty(FaultName(m_options.fault));
    entry.handedOver = m_handedOver;
    entry.customFile = UnlessEmpty(m_customFile);
    if (m_faultActs)
        entry.outcome = FaultName(m_options.fault);
    else
        entry.outcome = m_handedOver ? kConfirmed : m_whyNotHandedOver;
    return entry;
}

std::string CInstallerApp::FindInstallDirectory(const std::string &appDir,
                                                std::string &whyMissing) const
{
    if (!appDir.empty())
        return appDir;
    std::string path;
    if (!LookUpInstallPath(path)) {
        const int error = errno;
        whyMissing = error == ERANGE ? std::string(kAppInstallPathVariable) + " is longer than " +
                                           std::to_string(kInstallPathCapacity - 1) + " bytes"
                                     : VariableProblem(kAppInstallPathVariable, error);
        return {};
    }
    if (path.empty())
        whyMissing = VariableProblem(kAppInstallPathVariable, 0);
    return path;
}

void CInstallerApp::Diagnose(const std::string &what, const std::string &why)
{
    // One piece, so that no toolkit warning lands in the middle of the line.
    m_errors << kDiagnosticPrefix + what + ": " + why + '\n' << std::flush;
}

void CInstallerApp::ShowMessage(const std::string &text, MessageStyle style,
                                const std::string &reason)
{
    const LostDisplayGuard guard(m_step->failure, static_cast<int>(m_step->status), m_errors);
    m_userInterface.showMessage(text, style, reason);
}

bool CInstallerApp::ConfirmInDialog(InstallerDialogValues &dialog)
{
    const LostDisplayGuard guard(m_step->failure, static_cast<int>(m_step->status), m_errors);
    const DialogResult result = m_userInterface.runProgressDialog(dialog);
    if (result.outcome == DialogOutcome::Unavailable) {
        Diagnose("cannot open the progress dialog", result.reason);
        m_whyNotHandedOver = kNoDisplay;
    } else if (result.outcome == DialogOutcome::Cancelled) {
        Diagnose("installation cancelled", "the progress dialog was closed without OK");
        m_whyNotHandedOver = kCancelled;
    }
    return result.outcome == DialogOutcome::Ok;
}

void CInstallerApp::DumpEnvironment()
{
    // A viewer is only worth starting on a complete file. The dump holds
    // every secret of the environment, so only its owner may read it. The
    // run does not need it: one that cannot be made is simply not there.
    try {
        if (!platform::ReplaceWithPrivateFile(kEnvironmentFileName,
                                              JoinLines(platform::EnvironmentEntries())))
            return;
    } catch (const std::exception &) {
        return;
    }
    // The caller's PATH and the viewer's own variables choose what runs.
    if (platform::RunsWithRaisedPrivileges())
        Diagnose("the environment dump is not shown",
                 std::string(kViewerProgram) +
                     " is not started in a set-user-ID or set-group-ID run");
    else
        platform::StartDetached({kViewerProgram, kEnvironmentFileName});
}

Outcome CInstallerApp::WriteCustomFile(const platform::GuardedPath &path,
                                       const std::string &contents)
{
    return platform::ReplaceFileContent(path, platform::BytesWriter(contents));
}

} // namespace stubsetup
