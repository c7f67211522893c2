#include "framework/LocalText.h"

#include "InstallerLib/TextConversion.h"

namespace stubsetup {

QString toQString(const std::string &localBytes)
{
    return QString::fromStdString(AnsiToUtf8(localBytes));
}

std::string toLocalBytes(const QString &text)
{
    return Utf8ToAnsi(text.toStdString());
}

} // namespace stubsetup
