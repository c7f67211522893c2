#include "app/CInstallerApp.h"

#include "app/StandardErrorUserInterface.h"
#include "app/platform/FileSystem.h"
#include "app/platform/Process.h"

#include "InstallerLib/UpdaterFolders.h"
#include <stubsetup/InstallerLib.h>

#include <ostream>

namespace stubsetup {
namespace {

constexpr char kDefaultDisplayName[] = "Corvane Updater Test Installer";
constexpr char kDefaultExtractContents[] = "Corvane Updater 4.0!";
constexpr char kEnvironmentFileName[] = "env.txt";
constexpr char kViewerProgram[] = "xdg-open";

constexpr char kNoInstallDirectoryMessage[] =
    "Unable to get application installation directory.  Fatal error";
constexpr char kCustomFileMessage[] = "Unable to install custom file!";
constexpr char kExitInfoMessage[] = "Unable to set installer exit information!";

// Twice the platform path limit, as the install-path buffer always was: a
// longer install path counts as missing.
constexpr std::size_t kInstallPathBufferSize = 2 * kPathLimit;

std::string JoinLines(const std::vector<std::string> &lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i == 0 ? "" : "\n") + lines[i];
    return text;
}

} // namespace

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

    const std::string installDirectory = FindInstallDirectory(options.appDir);
    if (installDirectory.empty()) {
        m_userInterface.showMessage(kNoInstallDirectoryMessage, MessageStyle::Plain);
        return RunResult::NoInstallDirectory;
    }
    const std::string extractPath = options.extractPath.empty()
                                        ? std::string()
                                        : JoinPath(installDirectory, options.extractPath);
    dialog.m_strInstallPath = installDirectory;
    dialog.m_strDisplayName = options.displayName;
    dialog.m_strInstallingFile = extractPath;

    if (!options.quiet && !ConfirmInDialog(dialog))
        return RunResult::DialogNotConfirmed;

    if (!extractPath.empty() && !WriteCustomFile(extractPath, options.extractContents)) {
        if (!options.quiet)
            m_userInterface.showMessage(kCustomFileMessage, MessageStyle::Exclamation);
        return RunResult::CustomFileNotWritten;
    }

    if (SetInstallerExitInfo(dialog.m_nReturnCode, dialog.m_strMessage.c_str()) == 0) {
        if (!options.quiet)
            m_userInterface.showMessage(kExitInfoMessage, MessageStyle::ExclamationSystemModal);
        return RunResult::ExitInfoNotStored;
    }
    return RunResult::ReportStored;
}

std::string CInstallerApp::FindInstallDirectory(const std::string &appDir) const
{
    if (!appDir.empty())
        return appDir;
    std::vector<char> buffer(kInstallPathBufferSize);
    auto size = static_cast<std::uint32_t>(buffer.size());
    if (GetAppInstallPath(&size, buffer.data()) == 0)
        return {};
    return std::string(buffer.data(), size);
}

bool CInstallerApp::ConfirmInDialog(InstallerDialogValues &dialog)
{
    const DialogResult result = m_userInterface.runProgressDialog(dialog);
    if (result.outcome == DialogOutcome::Unavailable)
        m_errors << kDiagnosticPrefix << "cannot open the progress dialog: " << result.reason
                 << '\n'
                 << std::flush;
    return result.outcome == DialogOutcome::Ok;
}

void CInstallerApp::DumpEnvironment()
{
    // A viewer is only worth starting on a complete file.
    if (platform::WriteWholeFile(kEnvironmentFileName, JoinLines(platform::EnvironmentEntries())))
        platform::StartDetached({kViewerProgram, kEnvironmentFileName});
}

bool CInstallerApp::WriteCustomFile(const std::string &path, const std::string &contents)
{
    return platform::WriteWholeFile(path, contents);
}

} // namespace stubsetup
