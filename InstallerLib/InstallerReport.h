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
    // Holds no report for an empty id or when the updater folder cannot be
    // had. Throws std::runtime_error when the Install folder cannot be made,
    // and passes on what loading an existing report throws.
    explicit InstallerReportWriter(const std::string &appId);

    // Saves the return code, then the UTF-8 message; true when both reached
    // the file.
    bool set(std::int32_t returnCode, const std::string &message);

private:
    std::unique_ptr<InstallerReport> m_report;
};

// The C++ side of SetInstallerExitInfo: `message` is in the locale's
// character set, or null.
bool WriteInstallerExitInfo(std::int32_t returnCode, const char *message);

} // namespace stubsetup
