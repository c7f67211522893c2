#include "app/gui/QtUserInterface.h"

#include "app/gui/CInstallerDlg.h"
#include "app/gui/ProgramIcon.h"

#include "framework/LocalText.h"
#include "framework/MessageBox.h"
#include "framework/Window.h"

#include <QApplication>

#include <utility>

namespace stubsetup {

namespace {

MessageBox::Style toBoxStyle(MessageStyle style)
{
    switch (style) {
    case MessageStyle::Plain:
        return MessageBox::Style::Plain;
    case MessageStyle::Exclamation:
        return MessageBox::Style::Exclamation;
    case MessageStyle::ExclamationSystemModal:
        return MessageBox::Style::ExclamationSystemModal;
    }
    // A value outside the enumeration still gets a visible, ordinary box.
    return MessageBox::Style::Exclamation;
}

} // namespace

// Texts arrive as the locale's narrow bytes.
QtUserInterface::QtUserInterface(std::unique_ptr<ApplicationScope> application,
                                 const std::string &caption)
    : m_application(std::move(application)), m_caption(toQString(caption))
{
    MessageBox::setProgramCaption(m_caption);
    QApplication::setWindowIcon(programIcon());
}

void QtUserInterface::showMessage(const std::string &text, MessageStyle style)
{
    MessageBox::show(toQString(text), m_caption, toBoxStyle(style));
}

DialogResult QtUserInterface::runProgressDialog(InstallerDialogValues &values)
{
    CInstallerDlg dialog;
    static_cast<InstallerDialogValues &>(dialog) = values;
    if (dialog.DoModal() != IDOK)
        return DialogResult{DialogOutcome::Cancelled, {}};
    // Only these two reach the report; the other fields are for showing.
    values.m_nReturnCode = dialog.m_nReturnCode;
    values.m_strMessage = dialog.m_strMessage;
    return DialogResult{DialogOutcome::Ok, {}};
}

} // namespace stubsetup
