#pragma once

#include <QValidator>

class QLineEdit;

namespace stubsetup {

// Limits typing in a line edit to a number of characters without cutting a
// longer text the program put there: such a text may shrink but not grow.
// Characters are counted as the user sees them (code points).
class MaxCharsValidator final : public QValidator {
public:
    MaxCharsValidator(QLineEdit &edit, int maxChars);

    int maxChars() const { return m_maxChars; }

    State validate(QString &input, int &position) const override;

    static int characterCount(const QString &text);

private:
    const int m_maxChars;
    int m_currentLength; // the edit's text before the change being judged
};

} // namespace stubsetup
