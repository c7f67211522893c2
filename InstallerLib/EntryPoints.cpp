// The C boundary: no exception may cross it, so each entry point is one
// try/catch around its C++ counterpart.

#include "stubsetup/InstallerLib.h"

#include "InstallerLib/Environment.h"
#include "InstallerLib/InstallerReport.h"

extern "C" {

INSTALLERLIB_EXPORT int GetAppInstallPath(uint32_t *size, char *buffer)
{
    try {
        return stubsetup::CopyAppInstallPath(size, buffer) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

INSTALLERLIB_EXPORT int SetInstallerExitInfo(int32_t returnCode, const char *message)
{
    try {
        return stubsetup::WriteInstallerExitInfo(returnCode, message) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

} // extern "C"
