#pragma once

#include <string>

namespace stubsetup::DisplayProbe {

// Whether a Wayland compositor accepts a connection on the socket at `socketPath`.
bool waylandSocketAccepts(const std::string &socketPath);

} // namespace stubsetup::DisplayProbe
