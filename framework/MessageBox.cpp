#include "framework/MessageBox.h"

#include "framework/Window.h"

#include <QApplication>

#include <utility>

namespace stubsetup {

namespace {

std::optional<QMessageBox::StandardButton> g_nextAnswer;
std::optional<MessageBox::Shown> g_lastShown;
QString g_programCaption;

void configure(QMessageBox &box, const QString &text, const QString &caption,
               MessageBox::Style style)
{
    // Messages may quote paths and user input; none of it is markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setWindowTitle(caption);
    box.setIcon(style == MessageBox::Style::Stop ? QMessageBox::Critical : QMessageBox::Warning);
    box.setStandardButtons(QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    if (style == MessageBox::Style::ExclamationSystemModal)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
}

MessageBox::Shown describe(const QMessageBox &box)
{
    return MessageBox::Shown{box.text(),           box.textFormat(),      box.windowTitle(),
                             box.icon(),           box.standardButtons(), box.windowFlags(),
                             box.windowModality(), box.parentWidget()};
}

} // namespace

QMessageBox::StandardButton MessageBox::show(const QString &text, const QString &caption,
                                             Style style)
{
    // A box belongs to the dialog that is running, as its transient and
    // centred on it; with none running it stands on its own.
    QWidget *owner = QApplication::activeModalWidget();
    QMessageBox box(owner ? owner : QApplication::activeWindow());
    configure(box, text, caption, style);
    centreOnOwnerWhenShown(box);
    if (g_nextAnswer) {
        g_lastShown = describe(box);
        return std::exchange(g_nextAnswer, std::nullopt).value();
    }
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void MessageBox::setProgramCaption(const QString &caption)
{
    g_programCaption = caption;
}

QString MessageBox::programCaption()
{
    return g_programCaption.isEmpty() ? QCoreApplication::applicationName() : g_programCaption;
}

void MessageBox::setNextAnswer(QMessageBox::StandardButton answer)
{
    g_nextAnswer = answer;
    g_lastShown.reset();
}

std::optional<MessageBox::Shown> MessageBox::lastShown()
{
    return g_lastShown;
}

QMessageBox::StandardButton AfxMessageBox(const QString &text, MessageBox::Style style)
{
    return MessageBox::show(text, MessageBox::programCaption(), style);
}

} // namespace stubsetup
