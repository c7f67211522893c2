#pragma once

#include <QString>

#include <cstdint>

class QWidget;

namespace stubsetup {

// Window-style bits the dialog templates and the controls share: one word per
// control, as the templates in app/gui spell them.
namespace WindowStyle {
inline constexpr std::uint32_t kBorder = 0x00800000; // thin border
inline constexpr std::uint32_t kTabStop = 0x00010000;
inline constexpr std::uint32_t kGroup = 0x00020000;
inline constexpr std::uint32_t kVScroll = 0x00200000;
inline constexpr std::uint32_t kHScroll = 0x00100000;
inline constexpr std::uint32_t kDisabled = 0x08000000;
inline constexpr std::uint32_t kVisible = 0x10000000;

inline constexpr std::uint32_t kStaticLeft = 0x0;
inline constexpr std::uint32_t kStaticCenter = 0x1;
inline constexpr std::uint32_t kStaticRight = 0x2;
inline constexpr std::uint32_t kStaticIcon = 0x3;
inline constexpr std::uint32_t kStaticLeftNoWordWrap = 0xC;
inline constexpr std::uint32_t kStaticEtchedHorizontal = 0x10;
inline constexpr std::uint32_t kStaticTypeMask = 0x1F;
inline constexpr std::uint32_t kStaticNoPrefix = 0x80;
inline constexpr std::uint32_t kStaticNotify = 0x100; // clicks reach the control
inline constexpr std::uint32_t kStaticCenterImage = 0x200;
inline constexpr std::uint32_t kStaticSunken = 0x1000;

inline constexpr std::uint32_t kEditMultiLine = 0x4;
inline constexpr std::uint32_t kEditAutoVScroll = 0x40;
inline constexpr std::uint32_t kEditAutoHScroll = 0x80;
inline constexpr std::uint32_t kEditWantReturn = 0x1000;

inline constexpr std::uint32_t kComboDropDown = 0x2; // editable field and a list
inline constexpr std::uint32_t kComboDropDownList = 0x3;
inline constexpr std::uint32_t kComboSort = 0x100;

inline constexpr std::uint32_t kButtonDefault = 0x1;
inline constexpr std::uint32_t kProgressSmooth = 0x1;
} // namespace WindowStyle

namespace ExtendedStyle {
inline constexpr std::uint32_t kTransparent = 0x20;
inline constexpr std::uint32_t kClientEdge = 0x200;
inline constexpr std::uint32_t kStaticEdge = 0x20000; // sunken static edge
} // namespace ExtendedStyle

// Control id of a template control that has none.
inline constexpr int kNoControlId = -1;

// Ids of the OK and Cancel buttons, and the results a dialog ends with.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// Every control widget carries its id and style words, as a window does, so
// that dialogs find controls by id and controls read their own style.
int controlId(const QWidget *widget);
void setControlId(QWidget *widget, int id);
std::uint32_t windowStyle(const QWidget *widget);
void setWindowStyle(QWidget *widget, std::uint32_t style);
std::uint32_t extendedStyle(const QWidget *widget);
void setExtendedStyle(QWidget *widget, std::uint32_t style);

// The window text, whatever kind of control holds it: a widget's "text"
// property (labels, line edits, buttons, custom controls that declare one),
// a combo box's edit text, a text edit's plain text. Text set by the program
// is never refused or cut short: input limits apply to typing only.
QString windowText(const QWidget *widget);
void setWindowText(QWidget *widget, const QString &text);

// Centres a window that has an owner on that owner each time it is shown, at
// the size it shows with.
void centreOnOwnerWhenShown(QWidget &window);

// A control text as it reads on screen: each '&' marks the next character as
// the mnemonic and is not shown, "&&" shows one '&'.
QString withoutMnemonics(const QString &text);

// The child control of `parent` with `id`; null for none and for kNoControlId.
QWidget *findControl(const QWidget *parent, int id);
// The same for a control the caller's template is known to hold; a missing
// one is a fault in the caller and throws std::logic_error.
QWidget &requireControl(const QWidget *parent, int id);

// Puts `replacement` in the place of a control made from a template: same
// parent, id, styles, geometry, font, text, visibility, enabled state,
// accessible name and tab position. The placeholder is deleted; the replacement's owner keeps
// owning it (it is usually a member of the dialog).
void replaceControl(QWidget *placeholder, QWidget *replacement);

} // namespace stubsetup
