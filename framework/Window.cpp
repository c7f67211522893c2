#include "framework/Window.h"

#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTextEdit>
#include <QValidator>
#include <QVariant>
#include <QWidget>
#include <QWindow>

#include <memory>
#include <stdexcept>
#include <string>

namespace stubsetup {
namespace {

constexpr char kStyleProperty[] = "stubsetupWindowStyle";
constexpr char kExtendedStyleProperty[] = "stubsetupExtendedStyle";

std::uint32_t styleProperty(const QWidget *widget, const char *name)
{
    const QVariant value = widget->property(name);
    return value.isValid() ? value.value<std::uint32_t>() : 0;
}

// Qt centres a dialog on its guess at the window frames, which misses by a
// title bar under some window managers. Before the dialog is mapped its
// position is that of its client area, so client area on client area needs
// no guess. A message box takes its final size only as it shows, so every
// resize up to the mapping centres it again.
class OwnerCentring final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto &window = static_cast<QWidget &>(*watched);
        const bool mapped = window.windowHandle() && window.windowHandle()->isVisible();
        if (!mapped && (event->type() == QEvent::Show || event->type() == QEvent::Resize))
            centre(window);
        return false;
    }

private:
    static void centre(QWidget &window)
    {
        const QWidget *owner = window.parentWidget() ? window.parentWidget()->window() : nullptr;
        if (!owner || !owner->isVisible())
            return;
        const QRect area = owner->geometry();
        window.move(area.x() + (area.width() - window.width()) / 2,
                    area.y() + (area.height() - window.height()) / 2);
    }
};

void setLineEditText(QLineEdit *edit, const QString &text)
{
    // A validator would judge the program's text as if typed and leave the
    // edit unable to refuse the next keystroke.
    const QPointer<const QValidator> validator = edit->validator();
    edit->setValidator(nullptr);
    edit->setText(text);
    edit->setValidator(validator);
}

} // namespace

// The id is the control's object name, as a form names its widgets: finding a
// child by name is a string comparison, where a dynamic property would first
// be searched for among every property the widget's classes declare.
int controlId(const QWidget *widget)
{
    bool isNumber = false;
    const int id = widget->objectName().toInt(&isNumber);
    return isNumber ? id : kNoControlId;
}

void setControlId(QWidget *widget, int id)
{
    widget->setObjectName(id == kNoControlId ? QString() : QString::number(id));
}

std::uint32_t windowStyle(const QWidget *widget)
{
    return styleProperty(widget, kStyleProperty);
}

void setWindowStyle(QWidget *widget, std::uint32_t style)
{
    widget->setProperty(kStyleProperty, QVariant::fromValue(style));
}

std::uint32_t extendedStyle(const QWidget *widget)
{
    return styleProperty(widget, kExtendedStyleProperty);
}

void setExtendedStyle(QWidget *widget, std::uint32_t style)
{
    widget->setProperty(kExtendedStyleProperty, QVariant::fromValue(style));
}

QString windowText(const QWidget *widget)
{
    if (const auto *combo = qobject_cast<const QComboBox *>(widget))
        return combo->currentText();
    if (const auto *edit = qobject_cast<const QTextEdit *>(widget))
        return edit->toPlainText();
    return widget->property("text").toString();
}

void setWindowText(QWidget *widget, const QString &text)
{
    if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        if (combo->isEditable())
            setLineEditText(combo->lineEdit(), text);
        return;
    }
    if (auto *edit = qobject_cast<QTextEdit *>(widget)) {
        edit->setPlainText(text);
        return;
    }
    if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
        setLineEditText(edit, text);
        return;
    }
    widget->setProperty("text", text);
}

void centreOnOwnerWhenShown(QWidget &window)
{
    window.installEventFilter(new OwnerCentring(&window));
}

QString withoutMnemonics(const QString &text)
{
    QString shown;
    for (qsizetype index = 0; index < text.size(); ++index) {
        if (text[index] == '&')
            ++index;
        if (index < text.size())
            shown += text[index];
    }
    return shown;
}

QWidget *findControl(const QWidget *parent, int id)
{
    if (id == kNoControlId)
        return nullptr;
    return parent->findChild<QWidget *>(QString::number(id), Qt::FindDirectChildrenOnly);
}

QWidget &requireControl(const QWidget *parent, int id)
{
    QWidget *control = findControl(parent, id);
    if (!control)
        throw std::logic_error("the dialog has no control " + std::to_string(id));
    return *control;
}

void replaceControl(QWidget *placeholder, QWidget *replacement)
{
    QWidget *parent = placeholder->parentWidget();
    replacement->setParent(parent);
    setControlId(replacement, controlId(placeholder));
    setWindowStyle(replacement, windowStyle(placeholder));
    setExtendedStyle(replacement, extendedStyle(placeholder));
    replacement->setGeometry(placeholder->geometry());
    replacement->setFont(placeholder->font());
    setWindowText(replacement, windowText(placeholder));
    replacement->setEnabled(placeholder->isEnabled());
    replacement->setFocusPolicy(placeholder->focusPolicy());
    replacement->setAccessibleName(placeholder->accessibleName());
    // The replacement takes the placeholder's place in the focus chain, so the
    // template's tab order stays.
    QWidget::setTabOrder(placeholder, replacement);
    replacement->setVisible(!placeholder->isHidden());
    replacement->stackUnder(placeholder);
    const std::unique_ptr<QWidget> discarded(placeholder);
}

} // namespace stubsetup
