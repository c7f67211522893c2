#include "framework/Window.h"

#include <QComboBox>
#include <QTextEdit>
#include <QVariant>
#include <QWidget>

#include <memory>

namespace stubsetup {
namespace {

constexpr char kIdProperty[] = "stubsetupControlId";
constexpr char kStyleProperty[] = "stubsetupWindowStyle";
constexpr char kExtendedStyleProperty[] = "stubsetupExtendedStyle";

std::uint32_t styleProperty(const QWidget *widget, const char *name)
{
    const QVariant value = widget->property(name);
    return value.isValid() ? value.value<std::uint32_t>() : 0;
}

} // namespace

int controlId(const QWidget *widget)
{
    const QVariant value = widget->property(kIdProperty);
    return value.isValid() ? value.toInt() : kNoControlId;
}

void setControlId(QWidget *widget, int id)
{
    widget->setProperty(kIdProperty, id);
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
            combo->setEditText(text);
        return;
    }
    if (auto *edit = qobject_cast<QTextEdit *>(widget)) {
        edit->setPlainText(text);
        return;
    }
    widget->setProperty("text", text);
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
    // The replacement takes the placeholder's place in the focus chain, so the
    // template's tab order stays.
    QWidget::setTabOrder(placeholder, replacement);
    replacement->setVisible(!placeholder->isHidden());
    replacement->stackUnder(placeholder);
    const std::unique_ptr<QWidget> discarded(placeholder);
}

} // namespace stubsetup
