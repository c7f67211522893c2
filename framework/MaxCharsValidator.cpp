#include "framework/MaxCharsValidator.h"

#include <QLineEdit>

namespace stubsetup {

MaxCharsValidator::MaxCharsValidator(QLineEdit &edit, int maxChars)
    : QValidator(&edit), m_maxChars(maxChars), m_currentLength(characterCount(edit.text()))
{
    connect(&edit, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_currentLength = characterCount(text); });
}

QValidator::State MaxCharsValidator::validate(QString &input, int &) const
{
    const int length = characterCount(input);
    return length <= m_maxChars || length < m_currentLength ? Acceptable : Invalid;
}

int MaxCharsValidator::characterCount(const QString &text)
{
    return int(text.toUcs4().size());
}

} // namespace stubsetup
