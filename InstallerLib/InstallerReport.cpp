#include "InstallerLib/InstallerReport.h"

#include "InstallerLib/Environment.h"
#include "InstallerLib/ErrorReason.h"
#include "InstallerLib/TextConversion.h"
#include "InstallerLib/UpdaterFolders.h"
#include "InstallerLib/platform/GuardedPath.h"

#include <algorithm>
#include <stdexcept>

namespace stubsetup {
namespace {

constexpr char kNoLocationMessage[] = "Unable to installer report location";
// Corvane, Updater and Install are made when missing; the id's own folders
// must exist.
constexpr std::size_t kCreatableReportLevels = 3;

std::string ReportFolderBelowUserData()
{
    return JoinPath(JoinPath(kCorvaneFolderName, kUpdaterFolderName), kInstallFolderName);
}

Outcome WhyAppIdIsUnacceptable(const std::string &appId)
{
    if (appId.empty())
        return Outcome::failure(EINVAL, std::string(), std::string(kAppIdVariable) + " is empty");
    return Outcome::failure(EINVAL, std::string(kAppIdVariable) + " " + appId,
                            "not a name inside the report folder (absolute, ending in /, or with "
                            "a . or .. component)");
}

// What the library's errors mean for a report, in the user's words; errno
// keeps the system's number.
Outcome AboutTheReport(Outcome outcome)
{
    if (outcome.error() == EWOULDBLOCK)
        return Outcome::failure(EWOULDBLOCK, outcome.subject(),
                                "the report is locked by another process");
    if (outcome.error() == EBADMSG && outcome.reason().empty())
        return Outcome::failure(EBADMSG, outcome.subject(), "not a well-formed installer report");
    return outcome;
}

} // namespace

bool IsAcceptableAppId(const std::string &appId)
{
    if (appId.empty() || appId.front() == '/' || appId.back() == '/')
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

InstallerReport::InstallerReport(const std::string &path)
    : InstallerReport(platform::TrustingFolderOf(path))
{}

InstallerReport::InstallerReport(const platform::GuardedPath &path)
    : PrefsFile(path, kReportRootName), m_returnCode(this, "ReturnCode", kDefaultReturnCode),
      m_userMessage(this, "UserMessage", std::string())
{}

InstallerReportWriter::InstallerReportWriter(const std::string &appId)
{
    if (!IsAcceptableAppId(appId)) {
        m_whyNoReport = WhyAppIdIsUnacceptable(appId);
        return;
    }
    std::string userData;
    m_whyNoReport = PrepareUserDataFolder(userData);
    if (!m_whyNoReport.ok())
        return;
    const std::string reportFolder = ReportFolderBelowUserData();
    platform::FileDescriptor folder;
    const Outcome made =
        platform::OpenGuardedFolder({userData, reportFolder, kCreatableReportLevels}, folder);
    if (!made.ok())
        throw ErrorWithReason<std::runtime_error>(kNoLocationMessage, made);
    m_report = std::make_unique<InstallerReport>(platform::GuardedPath{
        userData, JoinPath(reportFolder, appId + kReportExtension), kCreatableReportLevels});
}

Outcome InstallerReportWriter::set(std::int32_t returnCode, const std::string &message)
{
    if (!m_report)
        return m_whyNoReport;
    // Both values reach the file in one save, so a failed save leaves the
    // previous report whole.
    m_report->returnCode().assign(returnCode);
    m_report->userMessage().assign(message);
    return m_report->save();
}

Outcome WriteInstallerExitInfo(std::int32_t returnCode, const char *message)
{
    std::string appId;
    if (!ReadEnvironmentVariable(kAppIdVariable, appId))
        return Outcome::failure(EINVAL, std::string(), std::string(kAppIdVariable) + " is not set");
    try {
        InstallerReportWriter writer(appId);
        const std::string text = message ? message : "";
        return AboutTheReport(writer.set(returnCode, text.empty() ? text : AnsiToUtf8(text)));
    } catch (const ErrorReason &error) {
        return AboutTheReport(error.outcome());
    }
}

} // namespace stubsetup
