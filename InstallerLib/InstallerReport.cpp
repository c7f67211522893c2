#include "InstallerLib/InstallerReport.h"

#include "InstallerLib/Environment.h"
#include "InstallerLib/ErrorReason.h"
#include "InstallerLib/UpdaterFolders.h"
#include "common/TextConversion.h"
#include "common/platform/GuardedPath.h"
#include "xml/XmlWriter.h"

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

Outcome WriteExitInfo(std::int32_t returnCode, const char *message, bool cutInsideMessage)
{
    std::string appId;
    if (!ReadEnvironmentVariable(kAppIdVariable, appId))
        return Outcome::failure(EINVAL, std::string(), std::string(kAppIdVariable) + " is not set");
    try {
        InstallerReportWriter writer(appId);
        const std::string text = message ? message : "";
        const std::string utf8 = text.empty() ? text : AnsiToUtf8(text);
        TextEdit cut;
        if (cutInsideMessage)
            cut = [&utf8](const std::string &report) { return CutInsideMessage(report, utf8); };
        return AboutTheReport(writer.set(returnCode, utf8, cut));
    } catch (const ErrorReason &error) {
        return AboutTheReport(error.outcome());
    }
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

Outcome InstallerReportWriter::set(std::int32_t returnCode, const std::string &message,
                                   const TextEdit &edit)
{
    if (!m_report)
        return m_whyNoReport;
    // Both values reach the file in one save, so a failed save leaves the
    // previous report whole.
    m_report->returnCode().assign(returnCode);
    m_report->userMessage().assign(message);
    return m_report->save(edit);
}

Outcome WriteInstallerExitInfo(std::int32_t returnCode, const char *message)
{
    return WriteExitInfo(returnCode, message, false);
}

std::string CutInsideMessage(const std::string &report, const std::string &message)
{
    // The message follows its element's start tag, which another writer may
    // have given attributes.
    const std::string escaped = escapeXmlText(message);
    const std::size_t text = report.find('>' + escaped, report.find("<UserMessage")) + 1;
    return report.substr(0, text + escaped.size() / 2);
}

Outcome WriteCutInstallerExitInfo(std::int32_t returnCode, const char *message)
{
    return WriteExitInfo(returnCode, message, true);
}

bool LocateInstallerReport(std::string &path)
{
    std::string appId;
    std::string userData;
    if (!ReadEnvironmentVariable(kAppIdVariable, appId) || !IsAcceptableAppId(appId) ||
        !GetSpecialFolder(kAppDataFolder, userData, false))
        return false;
    path = JoinPath(userData, JoinPath(ReportFolderBelowUserData(), appId + kReportExtension));
    return true;
}

} // namespace stubsetup
