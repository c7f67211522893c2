#include "framework/CDataExchange.h"

#include "framework/LocalText.h"
#include "framework/MaxCharsValidator.h"
#include "framework/MessageBox.h"
#include "framework/Window.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTextEdit>

#include <memory>

namespace stubsetup {
namespace {

QLineEdit *lineEditOf(QWidget *control)
{
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        return edit;
    if (auto *combo = qobject_cast<QComboBox *>(control))
        return combo->lineEdit();
    return nullptr;
}

void selectAllText(QWidget *control)
{
    if (QLineEdit *edit = lineEditOf(control))
        edit->selectAll();
    else if (auto *textEdit = qobject_cast<QTextEdit *>(control))
        textEdit->selectAll();
}

void limitTyping(QLineEdit &edit, int maxChars)
{
    const auto *current = dynamic_cast<const MaxCharsValidator *>(edit.validator());
    if (current && current->maxChars() == maxChars)
        return;
    const std::unique_ptr<const MaxCharsValidator> replaced(current);
    edit.setValidator(new MaxCharsValidator(edit, maxChars));
}

} // namespace

CDataExchange::CDataExchange(QWidget &dialog, bool saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate), m_dialog(dialog)
{}

QWidget &CDataExchange::PrepareCtrl(int id)
{
    m_lastControl = &requireControl(&m_dialog, id);
    return *m_lastControl;
}

void CDataExchange::Fail()
{
    if (m_lastControl) {
        m_lastControl->setFocus(Qt::OtherFocusReason);
        selectAllText(m_lastControl);
    }
    throw Failure{};
}

void DDX_Text(CDataExchange &dx, int id, std::string &value)
{
    QWidget &control = dx.PrepareCtrl(id);
    if (dx.m_bSaveAndValidate)
        value = toLocalBytes(windowText(&control));
    else
        setWindowText(&control, toQString(value));
}

void DDX_CBIndex(CDataExchange &dx, int id, int &index)
{
    auto *combo = qobject_cast<QComboBox *>(&dx.PrepareCtrl(id));
    if (!combo)
        throw std::logic_error("control " + std::to_string(id) + " is no combo box");
    // An editable box's text may have been set without a selection (typed, or
    // set by an accessibility client): what it shows is what counts.
    if (dx.m_bSaveAndValidate)
        index = combo->isEditable() ? combo->findText(combo->currentText(),
                                                      Qt::MatchExactly | Qt::MatchCaseSensitive)
                                    : combo->currentIndex();
    else
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

void DDV_MaxChars(CDataExchange &dx, const std::string &value, int maxChars)
{
    if (!dx.m_bSaveAndValidate) {
        if (QLineEdit *edit = lineEditOf(dx.LastControl()))
            limitTyping(*edit, maxChars);
        return;
    }
    if (MaxCharsValidator::characterCount(toQString(value)) <= maxChars)
        return;
    AfxMessageBox(QString("Please enter no more than %1 characters.").arg(maxChars));
    dx.Fail();
}

void DDX_Control(CDataExchange &dx, int id, QWidget &control)
{
    QWidget &placeholder = dx.PrepareCtrl(id);
    if (&placeholder != &control)
        replaceControl(&placeholder, &control);
}

} // namespace stubsetup
