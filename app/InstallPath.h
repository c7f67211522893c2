#pragma once

#include <climits>
#include <cstddef>
#include <string>

namespace stubsetup {

// The install directory the update manager hands every installer, read
// through the installer interface as any installer reads it. A path too long
// for any folder the system can open counts as missing. False, errno set as
// GetAppInstallPath sets it, when there is none.
bool LookUpInstallPath(std::string &path);

// Room for the path and its terminator: twice the longest path the system
// takes, so that no path it can open is refused.
inline constexpr std::size_t kInstallPathCapacity = 2 * std::size_t{PATH_MAX};

} // namespace stubsetup
