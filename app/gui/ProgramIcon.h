#pragma once

class QIcon;

namespace stubsetup {

// The program's icon (its own drawing, a scalable image), as dialog templates
// name it for static icon controls.
inline constexpr char kProgramIconPath[] = ":/stubsetup/icons/stubsetup.svg";

QIcon ProgramIcon();

} // namespace stubsetup
