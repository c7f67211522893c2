#pragma once

#include <QWidget>

#include <stdexcept>
#include <string>

class QProgressBar;
class QTextEdit;

namespace stubsetup {

// One run of a dialog's field exchange, in one direction: filling the
// controls from the fields, or reading them back and validating.
class CDataExchange {
public:
    // Thrown by Fail(); the dialog's UpdateData catches it and answers false.
    struct Failure {};

    CDataExchange(QWidget &dialog, bool saveAndValidate);

    const bool m_bSaveAndValidate;

    // The control with `id`, remembered as the one a failing validation
    // concerns. A missing id is a fault in the dialog's code.
    QWidget &PrepareCtrl(int id);
    QWidget *LastControl() const { return m_lastControl; }
    QWidget &Dialog() const { return m_dialog; }

    // Gives the focus to the last prepared control, selects its text and
    // stops the exchange.
    [[noreturn]] void Fail();

private:
    QWidget &m_dialog;
    QWidget *m_lastControl = nullptr;
};

// A member that stands for a template control of a known kind, attached to
// it by DDX_Control.
template <class Widget> class CControl {
public:
    Widget *operator->() const { return m_widget; }
    Widget *Get() const { return m_widget; }
    bool IsAttached() const { return m_widget != nullptr; }
    void Attach(Widget *widget) { m_widget = widget; }

private:
    Widget *m_widget = nullptr;
};

using CProgressCtrl = CControl<QProgressBar>;
using CRichEditCtrl = CControl<QTextEdit>;

// Text of a control <-> a field in the locale's narrow charset.
void DDX_Text(CDataExchange &dx, int id, std::string &value);
// Selected item of a combo box <-> its index, -1 for none. Filling with an
// index outside the items selects none.
void DDX_CBIndex(CDataExchange &dx, int id, int &index);
// Filling limits typing in the last text control to `maxChars` characters
// (text already there is kept); reading back refuses a longer value.
void DDV_MaxChars(CDataExchange &dx, const std::string &value, int maxChars);

// Puts a custom control in the place of the template control `id`, once.
void DDX_Control(CDataExchange &dx, int id, QWidget &control);

// Binds `control` to the template control `id`, which must be a `Widget`.
template <class Widget> void DDX_Control(CDataExchange &dx, int id, CControl<Widget> &control)
{
    if (control.IsAttached())
        return;
    auto *widget = qobject_cast<Widget *>(&dx.PrepareCtrl(id));
    if (!widget)
        throw std::logic_error("control " + std::to_string(id) + " is of another kind");
    control.Attach(widget);
}

} // namespace stubsetup
