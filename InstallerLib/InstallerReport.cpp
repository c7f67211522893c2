#include "InstallerLib/InstallerReport.h"

#include "InstallerLib/Environment.h"
#include "InstallerLib/ErrorReason.h"
#include "InstallerLib/TextConversion.h"
#include "InstallerLib/UpdaterFolders.h"

#include <algorithm>
#include <stdexcept>

namespace stubsetup {
namespace {

constexpr char kNoLocationMessage[] = "Unable to installer report location";

std::string ReportPathIn(const std::string &updaterFolder, const std::string &appId)
{
    return JoinPath(JoinPath(updaterFolder, kInstallFolderName), appId + kReportExtension);
}

} // namespace

bool IsAcceptableAppId(const std::string &appId)
{
    if (appId.empty() || appId.front() == '/')
        return false;
    std::size_t start = 0;
    while (start <= appId.size()) {
        const std::size_t end = std::min(appId.find('/', start), appId.size());
        const std::string component = appId.substr(start, end - start);
        if (component == "." || component == "..")
            return false;
        start = end + 1;
    }
    return true;
}

std::string InstallerReportPath(const std::string &appId)
{
    std::string updaterFolder;
    if (!LocateUpdaterFolder(updaterFolder))
        return {};
    return ReportPathIn(updaterFolder, appId);
}

InstallerReport::InstallerReport(const std::string &path)
    : PrefsFile(path, kReportRootName), m_returnCode(this, "ReturnCode", kDefaultReturnCode),
      m_userMessage(this, "UserMessage", std::string())
{}

InstallerReportWriter::InstallerReportWriter(const std::string &appId)
{
    std::string updaterFolder;
    if (!IsAcceptableAppId(appId)) {
        errno = EINVAL;
        return;
    }
    if (!GetUpdaterFolder(updaterFolder))
        return;
    const std::string reportPath = ReportPathIn(updaterFolder, appId);
    const std::string installFolder = JoinPath(updaterFolder, kInstallFolderName);
    if (!PathExists(installFolder) && !CreateDirectoryTree(installFolder))
        throw ErrorWithReason<std::runtime_error>(kNoLocationMessage);
    m_report = std::make_unique<InstallerReport>(reportPath);
}

bool InstallerReportWriter::set(std::int32_t returnCode, const std::string &message)
{
    // Both values reach the file in one save, so a failed save leaves the
    // previous report whole.
    return m_report && m_report->returnCode().assign(returnCode) &&
           m_report->userMessage().assign(message) && m_report->save();
}

bool WriteInstallerExitInfo(std::int32_t returnCode, const char *message)
{
    std::string appId;
    if (!ReadEnvironmentVariable(kAppIdVariable, appId)) {
        errno = EINVAL;
        return false;
    }
    InstallerReportWriter writer(appId);
    const std::string text = message ? message : "";
    return writer.set(returnCode, text.empty() ? text : AnsiToUtf8(text));
}

} // namespace stubsetup
