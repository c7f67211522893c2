#include "app/gui/ProgramIcon.h"

#include "framework/IconResource.h"

#include <QIcon>

namespace stubsetup {

QIcon programIcon()
{
    return loadIconResource(QString::fromLatin1(kProgramIconResource));
}

} // namespace stubsetup
