#include "InstallerLib/Environment.h"

#include "InstallerLib/platform/Environment.h"

#include <cerrno>
#include <cstring>

namespace stubsetup {

bool ReadEnvironmentVariable(const std::string &name, std::string &value)
{
    return platform::LookupEnvironment(name, value);
}

bool CopyAppInstallPath(std::uint32_t *size, char *buffer)
{
    if (size == nullptr) {
        errno = EINVAL;
        return false;
    }
    const std::uint64_t capacity = *size;
    *size = 0;
    std::string path;
    if (!ReadEnvironmentVariable(kAppInstallPathVariable, path)) {
        errno = ENOENT;
        return false;
    }
    const std::uint64_t needed = std::uint64_t{path.size()} + 1;
    if (buffer == nullptr || needed > capacity) {
        *size = static_cast<std::uint32_t>(needed);
        errno = ERANGE;
        return false;
    }
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    *size = static_cast<std::uint32_t>(path.size());
    return true;
}

} // namespace stubsetup
