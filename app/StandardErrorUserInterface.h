#pragma once

#include "app/UserInterface.h"

#include <iosfwd>

namespace stubsetup {

// The user interface of last resort: messages become lines on standard error,
// and no dialog can be shown.
class StandardErrorUserInterface : public UserInterface {
public:
    explicit StandardErrorUserInterface(std::ostream &errors);

    void showMessage(const std::string &text, MessageStyle style) override;
    DialogResult runProgressDialog(InstallerDialogValues &values) override;

private:
    std::ostream &m_errors;
};

// The prefix of every line the program writes to standard error.
inline constexpr char kDiagnosticPrefix[] = "stubsetup: ";

} // namespace stubsetup
