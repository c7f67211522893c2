#include "framework/CWaitCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace stubsetup {

CWaitCursor::CWaitCursor()
{
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

CWaitCursor::~CWaitCursor()
{
    QGuiApplication::restoreOverrideCursor();
}

} // namespace stubsetup
