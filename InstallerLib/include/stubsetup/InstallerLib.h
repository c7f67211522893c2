/*
 * stubsetup installer interface: the hand-off between an installer and the
 * Corvane update manager (ORL).
 *
 * The update manager starts an installer with two environment variables set:
 *   ORL_APP_ID            the id of the application being installed
 *   ORL_APP_INSTALL_PATH  the application's install directory
 * and afterwards reads the installer's outcome from the installer report,
 * $XDG_DATA_HOME/Corvane/Updater/Install/<ORL_APP_ID>.irpt
 * (~/.local/share/... when XDG_DATA_HOME is unset).
 *
 * Both functions answer 1 on success and 0 on failure, never throw, keep no
 * state between calls and may be called from C or C++. Neither prints
 * anything: when one answers 0, errno tells the reason (see each function).
 *
 * Threads: every function may be called from several threads at once, as
 * long as no thread changes the environment (setenv, putenv) meanwhile. Two
 * calls saving the same report at once each leave a whole report; the later
 * one wins.
 */
#ifndef STUBSETUP_INSTALLERLIB_H
#define STUBSETUP_INSTALLERLIB_H

#include <stdint.h>

#include "stubsetup/InstallerLib_export.h"

/* The version of this header. GetInstallerLibVersion tells the version of
 * the library a program runs with, which may be newer. */
#define STUBSETUP_INSTALLERLIB_VERSION_MAJOR 1
#define STUBSETUP_INSTALLERLIB_VERSION_MINOR 1
#define STUBSETUP_INSTALLERLIB_VERSION_MICRO 0

#ifdef __cplusplus
extern "C" {
#endif

/*
 * Copies the install directory (ORL_APP_INSTALL_PATH) into `buffer`.
 *
 * size    never null. On entry the capacity of `buffer` in bytes.
 * buffer  caller-owned, or null to ask only for the size needed.
 *
 * Returns 1 when the value and a terminating zero byte were copied; *size is
 * then the value's length without the terminator.
 * Returns 0 otherwise:
 *   - variable not set: *size is 0, buffer untouched;
 *   - buffer null or capacity below length + 1: *size is length + 1 (the
 *     bytes needed), buffer untouched.
 * Never writes more than the capacity given in *size.
 * errno on 0: ENOENT  the variable is not set;
 *             ERANGE  buffer null or too small (*size tells what is needed);
 *             ENOMEM  memory ran out.
 */
INSTALLERLIB_EXPORT int GetAppInstallPath(uint32_t *size, char *buffer);

/*
 * Stores the installer's outcome in the installer report for ORL_APP_ID,
 * creating the report's folders as needed and keeping whatever else an
 * existing report holds.
 *
 * returnCode  0 Complete, 1 CompleteAfterReboot, 2 IncompleteTryAgain,
 *             3 IncompleteRebootTryAgain, 4 IncompleteCannotSucceed; any
 *             other value is stored unchanged.
 * message     zero-terminated text in the locale's character set, or null
 *             (same as empty); it is stored as UTF-8. The caller keeps it.
 *
 * ORL_APP_ID names the report file inside the report folder; it may name a
 * file in an existing sub-folder of it ("tools/Demo"), but it must not be
 * absolute or have a "." or ".." component.
 *
 * Below the user's data folder no symbolic link is followed unless it
 * belongs to the calling process's effective user or to root, and folders
 * are created with mode 0755 less the umask; created by root, folders and a
 * new report belong to the owner of the folder they are made in.
 *
 * Returns 1 when both values were written, in one save. Returns 0 when
 * nothing was written: the previous report, if any, stays byte for byte as it
 * was. A report in a folder that refuses new files is rewritten in place
 * under an exclusive flock(2) on it, after its new length has been reserved;
 * every read takes a shared flock. errno tells why:
 *   EINVAL       ORL_APP_ID not set, empty, absolute, ending in '/', or with
 *                "." or "..";
 *   ENOENT       no folder for user data (neither XDG_DATA_HOME nor an
 *                absolute HOME), or a sub-folder named by the id is missing;
 *   ENOTDIR      a file stands where a folder belongs;
 *   EPERM        a symbolic link of another user, not followed;
 *   EBADMSG      the existing report is not a well-formed installer report;
 *   EWOULDBLOCK  another process held the report's lock for 10 seconds;
 *   EFBIG        the process's file-size limit (RLIMIT_FSIZE);
 *   ENOMEM       memory ran out;
 *   otherwise the reason of the failed system call (EACCES, ENOSPC, EIO,
 *   EMFILE ...) on the report or its folders.
 * An existing report that cannot be read is never replaced by a new one.
 *
 * Needs 64 KiB of stack in the calling thread. Installs no signal handlers
 * and changes no dispositions: SIGXFSZ is only held off in the calling
 * thread while the report is written.
 */
INSTALLERLIB_EXPORT int SetInstallerExitInfo(int32_t returnCode, const char *message);

/*
 * The version of the library in use as "MAJOR.MINOR.MICRO" (for this header
 * "1.1.0"). The text is static: never freed, never changed. Since 1.1.
 */
INSTALLERLIB_EXPORT const char *GetInstallerLibVersion(void);

#ifdef __cplusplus
}
#endif

#endif /* STUBSETUP_INSTALLERLIB_H */
