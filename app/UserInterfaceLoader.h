#pragma once

#include "app/StandardErrorUserInterface.h"
#include "app/UserInterface.h"
#include "common/platform/SharedModule.h"

#include <iosfwd>
#include <memory>
#include <string>

namespace stubsetup {

// Names the user-interface module file instead of the installed one.
inline constexpr char kUserInterfaceModuleVariable[] = "STUBSETUP_GUI_MODULE";

// Stands in for the graphical user interface and loads it on first use only,
// so that runs that show nothing never load a toolkit. Without a display, in
// a set-user-ID or set-group-ID run, or when the module cannot be found or
// loaded or declines, everything goes to standard error instead.
class LazyUserInterface : public UserInterface {
public:
    explicit LazyUserInterface(std::ostream &errors);

    // A message shown in a window has its reason on standard error too, so
    // that every run says why it failed in one line there.
    void showMessage(const std::string &text, MessageStyle style,
                     const std::string &reason) override;
    DialogResult runProgressDialog(InstallerDialogValues &values) override;

private:
    UserInterface &resolve();
    std::unique_ptr<UserInterface> loadModuleUserInterface();
    // No module: standard error, and `reason` for the dialog that cannot be shown.
    std::unique_ptr<UserInterface> decline(std::string reason);

    StandardErrorUserInterface m_fallback;
    std::unique_ptr<platform::SharedModule> m_module; // outlives m_loaded
    std::unique_ptr<UserInterface> m_loaded;
    UserInterface *m_resolved = nullptr;
};

// Where the module lives relative to the program: <bin>/../<libdir>/stubsetup/;
// empty when the program's own file cannot be found.
std::string DefaultUserInterfaceModulePath();

// The program's name for captions: its file name without extension.
std::string ProgramCaption();

} // namespace stubsetup
