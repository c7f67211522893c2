#include "app/gui/QtUserInterface.h"

#include "app/gui/CUsageDlg.h"
#include "app/gui/ProgramIcon.h"

#include "framework/MessageBox.h"

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

// Texts arrive as the system's narrow bytes.
QtUserInterface::QtUserInterface(std::unique_ptr<ApplicationScope> application,
                                 const std::string &caption)
    : m_application(std::move(application)), m_strCaption(QString::fromLocal8Bit(caption))
{
    MessageBox::setProgramCaption(m_strCaption);
    QApplication::setWindowIcon(ProgramIcon());
}

void QtUserInterface::showMessage(const std::string &text, MessageStyle style)
{
    MessageBox::show(QString::fromLocal8Bit(text), m_strCaption, toBoxStyle(style));
}

void QtUserInterface::showUsageDialog()
{
    CUsageDlg dialog;
    dialog.DoModal();
}

DialogResult QtUserInterface::runProgressDialog(InstallerDialogValues &)
{
    // Placeholder until the progress dialog is built on the framework; the
    // next issue replaces it with the real dialog.
    return DialogResult{DialogOutcome::Unavailable,
                        "the progress dialog is not part of this build yet"};
}

} // namespace stubsetup
