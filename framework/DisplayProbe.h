#pragma once

#include <string>

namespace stubsetup::displayProbe {

// Whether a Wayland compositor accepts a connection on the socket at `socketPath`.
bool waylandSocketAccepts(const std::string &socketPath);

} // namespace stubsetup::displayProbe
