#pragma once

class QIcon;

namespace stubsetup {

// The program's icon resource, drawn from its SVG source at build time, as
// dialog templates name it for static icon controls.
inline constexpr char kProgramIconResource[] = ":/stubsetup/icons/stubsetup";

QIcon programIcon();

} // namespace stubsetup
