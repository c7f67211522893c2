#include "InstallerLib/InstallerReport.h"

#include "InstallerLib/Environment.h"
#include "InstallerLib/TextConversion.h"
#include "InstallerLib/UpdaterFolders.h"

#include <stdexcept>

namespace stubsetup {
namespace {

constexpr char kNoLocationMessage[] = "Unable to installer report location";

} // namespace

InstallerReport::InstallerReport(const std::string &path)
    : PrefsFile(path, kReportRootName), m_returnCode(this, "ReturnCode", kDefaultReturnCode),
      m_userMessage(this, "UserMessage", std::string())
{}

InstallerReportWriter::InstallerReportWriter(const std::string &appId)
{
    std::string updaterFolder;
    if (appId.empty() || !GetUpdaterFolder(updaterFolder))
        return;
    const std::string installFolder = JoinPath(updaterFolder, kInstallFolderName);
    if (!PathExists(installFolder) && !CreateDirectoryTree(installFolder))
        throw std::runtime_error(kNoLocationMessage);
    m_report = std::make_unique<InstallerReport>(JoinPath(installFolder, appId + kReportExtension));
}

bool InstallerReportWriter::set(std::int32_t returnCode, const std::string &message)
{
    return m_report && m_report->returnCode().set(returnCode) &&
           m_report->userMessage().set(message);
}

bool WriteInstallerExitInfo(std::int32_t returnCode, const char *message)
{
    std::string appId;
    if (!ReadEnvironmentVariable(kAppIdVariable, appId))
        return false;
    InstallerReportWriter writer(appId);
    const std::string text = message ? message : "";
    return writer.set(returnCode, text.empty() ? text : AnsiToUtf8(text));
}

} // namespace stubsetup
