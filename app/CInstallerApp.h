#pragma once

#include "app/CInstallerCommandLineInfo.h"
#include "app/Fault.h"
#include "app/InstallerDialogValues.h"
#include "app/RunJournal.h"
#include "app/UserInterface.h"

#include "common/Outcome.h"
#include "common/platform/GuardedPath.h"

#include <exception>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace stubsetup {

// The process exit status: how far the run got. The update manager itself
// reads only the installer report; the status is for scripts and tests.
enum class RunResult {
    ReportStored = 0,
    NoInstallDirectory = 1,
    DialogNotConfirmed = 2, // cancelled, or no dialog could be shown
    CustomFileNotWritten = 3,
    ExitInfoNotStored = 4,
    OutputNotWritten = 5, // --help or --version could not be written
};

struct RunStep;

// For a failure before the run begins (memory ran out while the command line
// was taken in): says so on `errors`; answers the status of reading options.
RunResult EndBeforeRun(const std::exception &error, std::ostream &errors);

// The installer's one pass: options, optional environment dump, install
// directory, progress dialog unless quiet, custom file, installer report.
class CInstallerApp {
public:
    // `arguments` excludes the program name. Every failing run says why in
    // one line on `errors`, besides the installer's own messages.
    CInstallerApp(const std::vector<std::string> &arguments, UserInterface &userInterface,
                  std::ostream &errors);

    // A step that throws (memory ran out) ends the run with its line and
    // status instead of ending the process.
    RunResult RunInstallation();

    // Writes the process environment to "env.txt" in the current directory
    // (mode 0600, replacing whatever is there, never through a link) and
    // opens it in the desktop's viewer without waiting for it. A dump that
    // fails, for want of memory too, is skipped and leaves the old file.
    void DumpEnvironment();

    // Puts exactly `contents` into the file at `path` (the install directory
    // and the name below it), replacing it whole or not at all: on failure
    // the old file stays as it was.
    Outcome WriteCustomFile(const platform::GuardedPath &path, const std::string &contents);

private:
    struct RunOptions {
        std::string displayName;
        std::string component;
        std::string revision;
        std::string message;
        std::uint32_t sleepSeconds = 0;
        bool quiet = false;
        std::string extractPath;
        std::string extractContents;
        bool dumpEnvironment = false;
        std::string appDir;
        Fault fault = Fault::None;
    };
    using ExitInfoWriter = Outcome (*)(std::int32_t returnCode, const char *message);

    RunResult RunSteps();
    RunOptions ReadOptions() const;
    Fault ReadFault() const;
    std::int32_t ReadReturnCode() const;
    // A line on standard error when an option's text did not convert
    // completely: what it was and the value the run goes on with.
    void WarnUnlessConverted(const char *option, bool converted, const std::string &used,
                             const char *expected) const;
    void Warn(const std::string &line) const;
    std::string FindInstallDirectory(const std::string &appDir, std::string &whyMissing) const;
    // One line on standard error: "stubsetup: <what>: <why>".
    void Diagnose(const std::string &what, const std::string &why);
    // The user interface, on behalf of the step under way should the display go.
    void ShowMessage(const std::string &text, MessageStyle style,
                     const std::string &reason = std::string());
    bool ConfirmInDialog(InstallerDialogValues &dialog);
    // The report goes to the update manager, unless a fault acts instead.
    RunResult HandOver();
    RunResult StoreReport(ExitInfoWriter write);
    [[noreturn]] void Crash();
    [[noreturn]] void Hang();
    // The run so far as a journal line tells it, when a journal is kept; a
    // journal that cannot be written changes nothing but a line on `errors`.
    void AppendToJournal(std::optional<int> exitStatus, const char *endingSignal = "");
    JournalEntry JournalEntryOfRun() const;

    CInstallerCommandLineInfo m_cmdInfo;
    UserInterface &m_userInterface;
    std::ostream &m_errors;
    const RunStep *m_step = nullptr; // the one under way
    RunJournal m_journal;
    std::vector<std::string> m_arguments; // kept only for the journal

    // What the run has done so far.
    RunOptions m_options;
    InstallerDialogValues m_dialog;
    std::string m_installDirectory;
    std::string m_customFile; // once written
    bool m_faultActs = false;
    bool m_handedOver = false;
    const char *m_whyNotHandedOver; // the journal's word for it
};

} // namespace stubsetup
