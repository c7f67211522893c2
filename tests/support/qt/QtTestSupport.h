#pragma once

// The shared test support in Qt's types.
#include "TestSupport.h"

#include <QByteArray>
#include <QString>

#include <ostream>

// Readable QStrings in test failures.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace stubsetup::test {

// Qt names files in UTF-8 on Linux, as toStdString spells them.
inline void WriteFile(const QString &path, const QByteArray &bytes = {})
{
    WriteFile(path.toStdString(), bytes.toStdString());
}

} // namespace stubsetup::test
