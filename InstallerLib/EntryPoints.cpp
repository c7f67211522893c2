// The C boundary: no exception may cross it, so each entry point is one
// try/catch around its C++ counterpart. A 0 always comes with errno set.

#include "stubsetup/InstallerLib.h"

#include "InstallerLib/Environment.h"
#include "InstallerLib/ErrorReason.h"
#include "InstallerLib/InstallerReport.h"

#include <cerrno>
#include <new>

namespace {

#define STUBSETUP_TEXT(number) #number
#define STUBSETUP_VERSION_TEXT(major, minor, micro)                                                \
    STUBSETUP_TEXT(major) "." STUBSETUP_TEXT(minor) "." STUBSETUP_TEXT(micro)
constexpr char kVersion[] = STUBSETUP_VERSION_TEXT(STUBSETUP_INSTALLERLIB_VERSION_MAJOR,
                                                   STUBSETUP_INSTALLERLIB_VERSION_MINOR,
                                                   STUBSETUP_INSTALLERLIB_VERSION_MICRO);

int Failed(int reason)
{
    errno = reason != 0 ? reason : EIO;
    return 0;
}

// Answers 1 or 0 for `call`, whatever it throws.
template <typename Call> int AtBoundary(Call call)
{
    try {
        errno = 0;
        return call() ? 1 : Failed(errno);
    } catch (const stubsetup::ErrorReason &error) {
        return Failed(error.reason());
    } catch (const std::bad_alloc &) {
        return Failed(ENOMEM);
    } catch (...) {
        return Failed(errno);
    }
}

} // namespace

extern "C" {

INSTALLERLIB_EXPORT int GetAppInstallPath(uint32_t *size, char *buffer)
{
    return AtBoundary([=] { return stubsetup::CopyAppInstallPath(size, buffer); });
}

INSTALLERLIB_EXPORT int SetInstallerExitInfo(int32_t returnCode, const char *message)
{
    return AtBoundary([=] {
        const stubsetup::Outcome written = stubsetup::WriteInstallerExitInfo(returnCode, message);
        errno = written.error();
        return written.ok();
    });
}

INSTALLERLIB_EXPORT const char *GetInstallerLibVersion(void)
{
    return kVersion;
}

} // extern "C"
