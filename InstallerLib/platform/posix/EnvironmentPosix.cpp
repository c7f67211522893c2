#include "InstallerLib/platform/Environment.h"

#include <cstdlib>

namespace stubsetup::platform {

bool LookupEnvironment(const std::string &name, std::string &value)
{
    const char *found = std::getenv(name.c_str());
    value = found ? found : "";
    return found != nullptr;
}

} // namespace stubsetup::platform
