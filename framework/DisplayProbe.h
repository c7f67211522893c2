#pragma once

#include <string>

namespace stubsetup::DisplayProbe {

// Whether an X server answers at `displayName` (empty: the X library's default).
bool x11ServerAccepts(const std::string &displayName);

// Whether a Wayland compositor accepts a connection on the socket at `socketPath`.
bool waylandSocketAccepts(const std::string &socketPath);

} // namespace stubsetup::DisplayProbe
