#pragma once

#include "InstallerLib/PrefsFile.h"
#include "common/Outcome.h"

#include <cstdint>
#include <memory>
#include <string>

namespace stubsetup {

inline constexpr char kInstallFolderName[] = "Install";
inline constexpr char kReportExtension[] = ".irpt";
inline constexpr char kReportRootName[] = "InstallerResult";
inline constexpr std::int32_t kDefaultReturnCode = 4; // IncompleteCannotSucceed

// An id names a file inside the report folder, or one in a sub-folder of it:
// not empty, not absolute, not ending in '/', no "." or ".." component.
bool IsAcceptableAppId(const std::string &appId);

// The outcome of an installer as the update manager reads it back.
class InstallerReport : public PrefsFile {
public:
    explicit InstallerReport(const std::string &path);
    explicit InstallerReport(const platform::GuardedPath &path);

    IntPrefValue &returnCode() { return m_returnCode; }
    StringPrefValue &userMessage() { return m_userMessage; }

private:
    IntPrefValue m_returnCode;
    StringPrefValue m_userMessage;
};

// The report of one application id, for the length of one hand-off. The
// report lives below the user's data folder, which is trusted as it is;
// below it no link of another user is followed.
class InstallerReportWriter {
public:
    // Holds no report for an unacceptable id or when the user's data folder
    // cannot be told (set says why). Throws std::runtime_error when the
    // folders up to Install cannot be made, and passes on what loading an
    // existing report throws; both carry the reason (ErrorReason).
    explicit InstallerReportWriter(const std::string &appId);

    // Saves the return code and the UTF-8 message together.
    Outcome set(std::int32_t returnCode, const std::string &message);

private:
    std::unique_ptr<InstallerReport> m_report;
    Outcome m_whyNoReport;
};

// The C++ side of SetInstallerExitInfo: `message` is in the locale's
// character set, or null. Says why when the report was not written.
Outcome WriteInstallerExitInfo(std::int32_t returnCode, const char *message);

} // namespace stubsetup
