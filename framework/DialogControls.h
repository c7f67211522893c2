#pragma once

#include "framework/DialogTemplate.h"
#include "framework/DialogUnits.h"

class QWidget;

namespace stubsetup {

// Makes a dialog's controls as children of `dialog`, in template order, so
// that the focus chain follows the template. Static texts that take a
// mnemonic get the next focusable control as their buddy.
void createControls(QWidget &dialog, const DialogTemplate &dialogTemplate,
                    const DialogBaseUnits &units);

} // namespace stubsetup
