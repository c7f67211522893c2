#pragma once

#include <QString>

class QTextDocument;

namespace stubsetup {

// The face the usage text is set in: "Courier New" where installed, the
// system's fixed-pitch face otherwise.
QString usageFontFamily();

// Replaces `document`'s content with the usage document, line by line: leading
// tabs, the exact text, headings bold 14 point, emphasised runs bold or italic,
// the rest plain 10 point. The result has no undo history.
void writeUsageDocument(QTextDocument &document);

} // namespace stubsetup
