#include "app/InstallPath.h"

#include <stubsetup/InstallerLib.h>

#include <vector>

namespace stubsetup {

bool LookUpInstallPath(std::string &path)
{
    std::vector<char> buffer(kInstallPathCapacity, '\0');
    auto size = static_cast<std::uint32_t>(buffer.size());
    if (GetAppInstallPath(&size, buffer.data()) == 0)
        return false;
    path.assign(buffer.data(), size);
    return true;
}

} // namespace stubsetup
