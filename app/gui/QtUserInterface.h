#pragma once

#include "app/UserInterface.h"

#include "framework/Application.h"

#include <QString>

#include <memory>
#include <string>

namespace stubsetup {

// The user interface on Qt Widgets, living in the module the program loads
// when something must be shown. Holds the QApplication while it lives.
class QtUserInterface final : public UserInterface {
public:
    QtUserInterface(std::unique_ptr<ApplicationScope> application, const std::string &caption);

    // The reason goes to standard error, not into the box.
    void showMessage(const std::string &text, MessageStyle style,
                     const std::string &reason) override;
    DialogResult runProgressDialog(InstallerDialogValues &values) override;

    // The usage window, modal; the progress dialog's "&Usage" button and its
    // about command open it.

private:
    std::unique_ptr<ApplicationScope> m_application;
    QString m_caption;
};

} // namespace stubsetup
