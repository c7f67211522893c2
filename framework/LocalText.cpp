#include "framework/LocalText.h"

#include "common/TextConversion.h"

#include <QFile>

namespace stubsetup {

QString toQString(const std::string &localBytes)
{
    return QString::fromStdString(AnsiToUtf8(localBytes));
}

std::string toLocalBytes(const QString &text)
{
    return Utf8ToAnsi(text.toStdString());
}

QString fromQtFileName(const QString &qtFileName)
{
    return toQString(QFile::encodeName(qtFileName).toStdString());
}

QString toQtFileName(const QString &text)
{
    return QFile::decodeName(QByteArray::fromStdString(toLocalBytes(text)));
}

} // namespace stubsetup
