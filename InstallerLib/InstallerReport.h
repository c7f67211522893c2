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

    // Saves the return code and the UTF-8 message together; `edit`, when
    // given, changes the text that is saved.
    Outcome set(std::int32_t returnCode, const std::string &message, const TextEdit &edit = {});

private:
    std::unique_ptr<InstallerReport> m_report;
    Outcome m_whyNoReport;
};

// The C++ side of SetInstallerExitInfo: `message` is in the locale's
// character set, or null. Says why when the report was not written.
Outcome WriteInstallerExitInfo(std::int32_t returnCode, const char *message);

// `report` (a whole report's text) up to and including <UserMessage>, then
// the first half, rounded down, of `message` (UTF-8) escaped as the report
// holds it: what an installer leaves that stopped while writing it.
std::string CutInsideMessage(const std::string &report, const std::string &message);

// WriteInstallerExitInfo, but the report is saved cut inside its message
// (CutInsideMessage), for testing how the update manager copes with a broken
// report. Later saves refuse such a report, as they refuse any that is not
// well-formed.
Outcome WriteCutInstallerExitInfo(std::int32_t returnCode, const char *message);

// Where the report of the id in ORL_APP_ID is, whether or not it exists;
// nothing is created. False when the id is unacceptable or the user's data
// folder cannot be told.
bool LocateInstallerReport(std::string &path);

} // namespace stubsetup
