// Entry point of the user-interface module, resolved by the program with dlsym.

#include "app/gui/QtUserInterface.h"
#include "app/gui/stubsetup_gui_export.h"

#include "framework/Application.h"

#include <memory>
#include <utility>

extern "C" STUBSETUP_GUI_EXPORT stubsetup::UserInterface *
stubsetup_create_user_interface(const char *caption)
{
    // No exception crosses into the program: it gets null and reports to standard error.
    try {
        std::unique_ptr<stubsetup::ApplicationScope> application = stubsetup::ensureApplication();
        if (!application)
            return nullptr;
        return std::make_unique<stubsetup::QtUserInterface>(std::move(application),
                                                            caption ? caption : "")
            .release();
    } catch (...) {
        return nullptr;
    }
}
