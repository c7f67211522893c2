#pragma once

#include "app/CInstallerCommandLineInfo.h"
#include "app/InstallerDialogValues.h"
#include "app/UserInterface.h"

#include <iosfwd>
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
};

// The installer's one pass: options, optional environment dump, install
// directory, progress dialog unless quiet, custom file, installer report.
class CInstallerApp {
public:
    // `arguments` excludes the program name. Diagnostics that are not the
    // installer's own messages (why no dialog could be shown) go to `errors`.
    CInstallerApp(const std::vector<std::string> &arguments, UserInterface &userInterface,
                  std::ostream &errors);

    RunResult RunInstallation();

    // Writes the process environment to "env.txt" in the current directory
    // and opens it in the desktop's viewer without waiting for it.
    void DumpEnvironment();

    // Creates (or truncates) the file at `path` with exactly `contents`.
    // False when it cannot be opened or written completely; a partly written
    // file is removed.
    bool WriteCustomFile(const std::string &path, const std::string &contents);

private:
    struct RunOptions;
    RunOptions ReadOptions() const;
    std::string FindInstallDirectory(const std::string &appDir) const;
    bool ConfirmInDialog(InstallerDialogValues &dialog);

    CInstallerCommandLineInfo m_cmdInfo;
    UserInterface &m_userInterface;
    std::ostream &m_errors;
};

} // namespace stubsetup
