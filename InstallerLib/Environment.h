#pragma once

#include <cstdint>
#include <string>

namespace stubsetup {

// Set by the update manager before it starts an installer.
inline constexpr char kAppIdVariable[] = "ORL_APP_ID";
inline constexpr char kAppInstallPathVariable[] = "ORL_APP_INSTALL_PATH";

// True with the whole value when the variable is defined, even when empty;
// false with an empty value when it is not.
bool ReadEnvironmentVariable(const std::string &name, std::string &value);

// Copies the install directory into `buffer` of capacity *size; see
// GetAppInstallPath in <stubsetup/InstallerLib.h> for the contract.
bool CopyAppInstallPath(std::uint32_t *size, char *buffer);

} // namespace stubsetup
