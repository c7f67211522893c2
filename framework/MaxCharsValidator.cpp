#include "framework/MaxCharsValidator.h"

#include <QLineEdit>

namespace stubsetup {

MaxCharsValidator::MaxCharsValidator(QLineEdit &edit, int maxChars)
    : QValidator(&edit), m_nMaxChars(maxChars), m_nCurrentLength(characterCount(edit.text()))
{
    connect(&edit, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_nCurrentLength = characterCount(text); });
}

QValidator::State MaxCharsValidator::validate(QString &input, int &) const
{
    const int length = characterCount(input);
    return length <= m_nMaxChars || length < m_nCurrentLength ? Acceptable : Invalid;
}

int MaxCharsValidator::characterCount(const QString &text)
{
    return int(text.toUcs4().size());
}

} // namespace stubsetup
