#pragma once

#include <cstdint>
#include <vector>

namespace stubsetup {

enum class ControlKind {
    Edit,     // one-line edit
    ComboBox, // with an edit field when the style says kComboDropDown
    PushButton,
    DefaultPushButton, // pressed by Enter
    StaticText,        // '&' marks a mnemonic unless kStaticNoPrefix
    StaticIcon,        // text: the icon resource's folder (IconResource.h)
    SeparatorLine,     // sunken one-unit line
    ProgressBar,
    RichEdit, // formatted, editable text
};

// One control of a dialog, positioned in dialog units. Texts are UTF-8.
struct ControlTemplate {
    int id;
    ControlKind kind;
    const char *text;
    std::uint32_t style;         // WindowStyle:: bits
    std::uint32_t extendedStyle; // ExtendedStyle:: bits
    int x, y, width, height;
};

// A dialog as data. The controls' order is their tab order.
struct DialogTemplate {
    const char *caption;
    int width, height; // client area, dialog units
    const char *fontName;
    int pointSize;
    std::vector<ControlTemplate> controls;
};

// The face name that stands for the desktop's own dialog font.
inline constexpr char kShellDialogFont[] = "MS Shell Dlg";

} // namespace stubsetup
