#pragma once

#include "app/UserInterface.h"

#include <iosfwd>
#include <string>
#include <utility>

namespace stubsetup {

// The user interface of last resort: messages become lines on standard error,
// and no dialog can be shown.
class StandardErrorUserInterface : public UserInterface {
public:
    explicit StandardErrorUserInterface(std::ostream &errors);

    // What the progress dialog's failure names as the reason: "no display"
    // unless a display was there and the user interface itself is missing.
    void setReasonForNoDialog(std::string reason) { m_reasonForNoDialog = std::move(reason); }

    // One line: the message, then its reason when there is one.
    void showMessage(const std::string &text, MessageStyle style,
                     const std::string &reason) override;
    DialogResult runProgressDialog(InstallerDialogValues &values) override;

private:
    std::ostream &m_errors;
    std::string m_reasonForNoDialog = "no display";
};

// The prefix of every line the program writes to standard error.
inline constexpr char kDiagnosticPrefix[] = "stubsetup: ";

} // namespace stubsetup
