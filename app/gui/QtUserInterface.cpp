#include "app/gui/QtUserInterface.h"

#include "app/gui/CInstallerDlg.h"
#include "app/gui/ProgramIcon.h"

#include "framework/LocalText.h"
#include "framework/MessageBox.h"
#include "framework/Window.h"

#include <QApplication>

#include <cstdlib>
#include <mutex>
#include <utility>

namespace stubsetup {

namespace {

QtMessageHandler g_nextMessageHandler = nullptr;

// Qt's Wayland platform ends the process with _exit(1) right after this
// warning when the compositor goes away, which skips every exit handler.
// quick_exit runs the program's own, which names the step that lost its
// window (on X11 Qt calls exit, which reaches it anyway).
void endOnLostWaylandConnection(QtMsgType type, const QMessageLogContext &context,
                                const QString &message)
{
    g_nextMessageHandler(type, context, message);
    if (type != QtWarningMsg || !message.startsWith(QLatin1String("The Wayland connection ")))
        return;
    // Every thread that meets the broken connection says so; the first ends
    // the process, the others wait for it.
    static std::mutex ending;
    ending.lock();
    std::quick_exit(EXIT_FAILURE);
}

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
    if (g_nextMessageHandler == nullptr)
        g_nextMessageHandler = qInstallMessageHandler(endOnLostWaylandConnection);
}

void QtUserInterface::showMessage(const std::string &text, MessageStyle style,
                                  const std::string & /*reason*/)
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
