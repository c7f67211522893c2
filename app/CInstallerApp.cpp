#include "app/CInstallerApp.h"

#include "app/InstallPath.h"
#include "app/LostDisplayGuard.h"
#include "app/StandardErrorUserInterface.h"
#include "app/platform/Process.h"

#include "InstallerLib/Environment.h"
#include "InstallerLib/InstallerReport.h"
#include "InstallerLib/UpdaterFolders.h"
#include "InstallerLib/platform/FileSystem.h"
#include <stubsetup/InstallerLib.h>

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

constexpr RunStep kReadingOptions{"cannot read the options", RunResult::ExitInfoNotStored};
constexpr RunStep kFindingInstallDirectory{"cannot find the install directory",
                                           RunResult::NoInstallDirectory};
constexpr RunStep kShowingDialog{"cannot open the progress dialog", RunResult::DialogNotConfirmed};
constexpr RunStep kWritingCustomFile{"cannot write the custom file",
                                     RunResult::CustomFileNotWritten};
constexpr RunStep kStoringReport{"cannot store the installer report", RunResult::ExitInfoNotStored};

// Memory running out is what stops a step this way; it has just run out, so
// nothing here allocates.
RunResult EndStep(const RunStep &step, const std::exception &error, std::ostream &errors)
{
    const bool outOfMemory = dynamic_cast<const std::bad_alloc *>(&error) != nullptr;
    errors << kDiagnosticPrefix << step.failure << ": "
           << (outOfMemory ? "out of memory" : error.what()) << '\n'
           << std::flush;
    return step.status;
}

std::string SystemReason(int error)
{
    return std::strerror(error);
}

// Why the update manager's variable gave no usable value.
std::string VariableProblem(const char *variable, int error)
{
    std::string value;
    if (!ReadEnvironmentVariable(variable, value))
        return std::string(variable) + " is not set";
    if (value.empty())
        return std::string(variable) + " is empty";
    return std::string(variable) + ": " + SystemReason(error);
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

struct CInstallerApp::RunOptions {
    std::string displayName = kDefaultDisplayName;
    std::string component;
    std::string message;
    std::uint32_t sleepSeconds = 0;
    bool quiet = false;
    std::string extractPath;
    std::string extractContents;
    bool dumpEnvironment = false;
    std::string appDir;
};

CInstallerApp::CInstallerApp(const std::vector<std::string> &arguments,
                             UserInterface &userInterface, std::ostream &errors)
    : m_userInterface(userInterface), m_errors(errors)
{
    m_cmdInfo.ParseArguments(arguments);
}

CInstallerApp::RunOptions CInstallerApp::ReadOptions() const
{
    // A malformed number keeps the default, or whatever number its text
    // starts with; the conversion result is deliberately not looked at.
    RunOptions options;
    m_cmdInfo.GetOptionString("display", options.displayName);
    m_cmdInfo.GetOptionString("component", options.component);
    m_cmdInfo.GetOptionString("message", options.message);
    m_cmdInfo.GetOptionUnsigned("sleep", options.sleepSeconds);
    m_cmdInfo.GetOptionBool("quiet", options.quiet);
    m_cmdInfo.GetOptionString("extractname", options.extractPath);
    m_cmdInfo.GetOptionString("extractcontents", options.extractContents);
    if (options.extractContents.empty())
        options.extractContents = kDefaultExtractContents;
    m_cmdInfo.GetOptionBool("env", options.dumpEnvironment);
    m_cmdInfo.GetOptionString("appdir", options.appDir);
    return options;
}

RunResult CInstallerApp::RunInstallation()
{
    m_step = &kReadingOptions;
    try {
        return RunSteps();
    } catch (const std::exception &error) {
        return EndStep(*m_step, error, m_errors);
    }
}

RunResult CInstallerApp::RunSteps()
{
    InstallerDialogValues dialog;
    const RunOptions options = ReadOptions();
    if (options.dumpEnvironment)
        DumpEnvironment();

    std::int32_t returnCode = 0;
    if (!m_cmdInfo.GetOptionInt("return", returnCode))
        returnCode = 0;
    dialog.m_strComponent = options.component;
    dialog.m_strMessage = options.message;
    dialog.m_nSleepSeconds = options.sleepSeconds;
    dialog.m_nReturnCode = returnCode;

    m_step = &kFindingInstallDirectory;
    std::string whyNoInstallDirectory;
    const std::string installDirectory =
        FindInstallDirectory(options.appDir, whyNoInstallDirectory);
    if (installDirectory.empty()) {
        Diagnose("cannot find the install directory", whyNoInstallDirectory);
        ShowMessage(kNoInstallDirectoryMessage, MessageStyle::Plain);
        return RunResult::NoInstallDirectory;
    }
    const std::string extractPath = options.extractPath.empty()
                                        ? std::string()
                                        : JoinPath(installDirectory, options.extractPath);
    dialog.m_strInstallPath = installDirectory;
    dialog.m_strDisplayName = options.displayName;
    dialog.m_strInstallingFile = extractPath;

    m_step = &kShowingDialog;
    if (!options.quiet && !ConfirmInDialog(dialog))
        return RunResult::DialogNotConfirmed;

    m_step = &kWritingCustomFile;
    if (!extractPath.empty() && !WriteCustomFile(extractPath, options.extractContents)) {
        Diagnose("cannot write the custom file", extractPath + ": " + SystemReason(errno));
        if (!options.quiet)
            ShowMessage(kCustomFileMessage, MessageStyle::Exclamation);
        return RunResult::CustomFileNotWritten;
    }

    m_step = &kStoringReport;
    if (SetInstallerExitInfo(dialog.m_nReturnCode, dialog.m_strMessage.c_str()) == 0) {
        Diagnose("cannot store the installer report", WhyReportNotStored(errno));
        if (!options.quiet)
            ShowMessage(kExitInfoMessage, MessageStyle::ExclamationSystemModal);
        return RunResult::ExitInfoNotStored;
    }
    return RunResult::ReportStored;
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

std::string CInstallerApp::WhyReportNotStored(int error) const
{
    std::string appId;
    if (!ReadEnvironmentVariable(kAppIdVariable, appId) || appId.empty())
        return VariableProblem(kAppIdVariable, error);
    if (!IsAcceptableAppId(appId))
        return std::string(kAppIdVariable) + " " + appId +
               ": not a name inside the report folder (absolute, or a . or .. component)";
    const std::string reportPath = InstallerReportPath(appId);
    if (reportPath.empty())
        return "no folder for user data: neither XDG_DATA_HOME nor HOME is set";
    return reportPath + ": " + SystemReason(error);
}

void CInstallerApp::Diagnose(const std::string &what, const std::string &why)
{
    m_errors << kDiagnosticPrefix << what << ": " << why << '\n' << std::flush;
}

void CInstallerApp::ShowMessage(const std::string &text, MessageStyle style)
{
    const LostDisplayGuard guard(m_step->failure, static_cast<int>(m_step->status), m_errors);
    m_userInterface.showMessage(text, style);
}

bool CInstallerApp::ConfirmInDialog(InstallerDialogValues &dialog)
{
    const LostDisplayGuard guard(m_step->failure, static_cast<int>(m_step->status), m_errors);
    const DialogResult result = m_userInterface.runProgressDialog(dialog);
    if (result.outcome == DialogOutcome::Unavailable)
        Diagnose("cannot open the progress dialog", result.reason);
    else if (result.outcome == DialogOutcome::Cancelled)
        Diagnose("installation cancelled", "the progress dialog was closed without OK");
    return result.outcome == DialogOutcome::Ok;
}

void CInstallerApp::DumpEnvironment()
{
    // A viewer is only worth starting on a complete file. The dump holds
    // every secret of the environment, so only its owner may read it. The
    // run does not need it: one that cannot be made is simply not there.
    try {
        if (platform::ReplaceWithPrivateFile(kEnvironmentFileName,
                                             JoinLines(platform::EnvironmentEntries())))
            platform::StartDetached({kViewerProgram, kEnvironmentFileName});
    } catch (const std::exception &) {
    }
}

bool CInstallerApp::WriteCustomFile(const std::string &path, const std::string &contents)
{
    return platform::ReplaceFileContent(path, [&contents](std::ostream &stream) {
        return static_cast<bool>(
            stream.write(contents.data(), static_cast<std::streamsize>(contents.size())));
    });
}

} // namespace stubsetup
