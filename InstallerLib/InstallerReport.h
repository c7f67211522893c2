#pragma once

#include "InstallerLib/PrefsFile.h"

#include <cstdint>
#include <memory>
#include <string>

namespace stubsetup {

inline constexpr char kInstallFolderName[] = "Install";
inline constexpr char kReportExtension[] = ".irpt";
inline constexpr char kReportRootName[] = "InstallerResult";
inline constexpr std::int32_t kDefaultReturnCode = 4; // IncompleteCannotSucceed

// An id names a file inside the report folder, or one in a sub-folder of it:
// not empty, not absolute, no "." or ".." component.
bool IsAcceptableAppId(const std::string &appId);

// Where the report of `appId` is kept, whether or not its folders exist yet;
// empty when the user's data folder cannot be told.
std::string InstallerReportPath(const std::string &appId);

// The outcome of an installer as the update manager reads it back.
class InstallerReport : public PrefsFile {
public:
    explicit InstallerReport(const std::string &path);

    IntPrefValue &returnCode() { return m_returnCode; }
    StringPrefValue &userMessage() { return m_userMessage; }

private:
    IntPrefValue m_returnCode;
    StringPrefValue m_userMessage;
};

// The report of one application id, for the length of one hand-off.
class InstallerReportWriter {
public:
    // Holds no report for an unacceptable id or when the updater folder
    // cannot be had (errno tells why). Throws std::runtime_error when the Install folder cannot be
    // made, and passes on what loading an existing report throws.
    explicit InstallerReportWriter(const std::string &appId);

    // Saves the return code and the UTF-8 message together; true when both
    // reached the file, otherwise errno tells why.
    bool set(std::int32_t returnCode, const std::string &message);

private:
    std::unique_ptr<InstallerReport> m_report;
};

// The C++ side of SetInstallerExitInfo: `message` is in the locale's
// character set, or null. False, errno set, when the report was not written.
bool WriteInstallerExitInfo(std::int32_t returnCode, const char *message);

} // namespace stubsetup
