#pragma once

#include <QString>

#include <string>

namespace stubsetup {

// The program holds its texts - command line, environment, dialog fields,
// paths - as bytes in the locale's character set, which Qt does not follow:
// it takes every narrow text, file names included, as UTF-8. All crossings
// between the two go through here.

// Bytes in the locale's character set as text.
QString toQString(const std::string &localBytes);

// Text as bytes in the locale's character set. A character that the charset
// cannot hold becomes one '?', so the text keeps its length in characters,
// which the field limits count, and the loss stays visible.
std::string toLocalBytes(const QString &text);

// A file name as Qt's file functions and dialogs give it, as the text that
// names the same bytes here; and back, for handing a name to them. Names Qt
// cannot decode (not UTF-8) are out of its reach either way.
QString fromQtFileName(const QString &qtFileName);
QString toQtFileName(const QString &text);

} // namespace stubsetup
