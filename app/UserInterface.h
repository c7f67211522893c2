#pragma once

#include "app/InstallerDialogValues.h"

#include <memory>
#include <string>

namespace stubsetup {

// How a message is shown: the icons and modality of the run's message boxes.
enum class MessageStyle {
    Plain,                  // the framework adds the exclamation icon
    Exclamation,            // exclamation icon
    ExclamationSystemModal, // exclamation icon, above every other window
};

enum class DialogOutcome {
    Ok,
    Cancelled,
    Unavailable, // the dialog could not be shown; see the reason
};

struct DialogResult {
    DialogOutcome outcome = DialogOutcome::Unavailable;
    std::string reason; // for Unavailable: why, for standard error
};

// What the run sequence needs from a user interface. The program itself links
// no user-interface library: the Qt implementation is a module that is loaded
// only when something must be shown, so that quiet runs stay cheap.
class UserInterface {
public:
    virtual ~UserInterface() = default;
    // Shows `text`, the program's fixed message; `reason`, possibly empty,
    // says why in words for standard error.
    virtual void showMessage(const std::string &text, MessageStyle style,
                             const std::string &reason) = 0;
    // Runs the progress dialog modally on `values`; Ok hands the edited
    // return code and message back in `values`.
    virtual DialogResult runProgressDialog(InstallerDialogValues &values) = 0;
};

// Entry point of the user-interface module, resolved with dlsym. Answers null
// when no display can be reached; the caller then falls back to standard error.
// `caption` is the program's name for message-box captions.
using CreateUserInterfaceFunction = UserInterface *(*)(const char *caption);
inline constexpr char kCreateUserInterfaceSymbol[] = "stubsetup_create_user_interface";

} // namespace stubsetup
