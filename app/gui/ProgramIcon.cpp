#include "app/gui/ProgramIcon.h"

#include <QIcon>

namespace stubsetup {

QIcon ProgramIcon()
{
    return QIcon(QString::fromLatin1(kProgramIconPath));
}

} // namespace stubsetup
