#pragma once

#include <QString>

#include <string>

namespace stubsetup {

// The program holds its texts - command line, environment, dialog fields,
// paths - as bytes in the locale's character set, which Qt does not follow:
// it takes every narrow text as UTF-8. All crossings between the two go
// through here.

// Bytes in the locale's character set as text.
QString toQString(const std::string &localBytes);

// Text as bytes in the locale's character set. A character that the charset
// cannot hold becomes one '?', so the text keeps its length in characters,
// which the field limits count, and the loss stays visible.
std::string toLocalBytes(const QString &text);

} // namespace stubsetup
