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
// so that runs that show nothing never load a toolkit. Without a display, or
// when the module cannot be loaded or declines, everything goes to standard
// error instead.
class LazyUserInterface : public UserInterface {
public:
    explicit LazyUserInterface(std::ostream &errors);

    void showMessage(const std::string &text, MessageStyle style) override;
    DialogResult runProgressDialog(InstallerDialogValues &values) override;

private:
    UserInterface &resolve();
    std::unique_ptr<UserInterface> loadModuleUserInterface();

    StandardErrorUserInterface m_fallback;
    std::unique_ptr<platform::SharedModule> m_module; // outlives m_loaded
    std::unique_ptr<UserInterface> m_loaded;
    UserInterface *m_resolved = nullptr;
};

// Where the module lives relative to the program: <bin>/../<libdir>/stubsetup/.
std::string DefaultUserInterfaceModulePath();

// The program's name for captions: its file name without extension.
std::string ProgramCaption();

} // namespace stubsetup
