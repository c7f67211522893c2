/*
 * Preloaded into the program under test to make system calls fail the way a
 * sick disk or a hostile environment would, and to record what was synced.
 * Only descriptors whose path contains $STUBSETUP_FAULT_PATH are affected:
 *   STUBSETUP_FAULT_READ=<errno>          read() fails with it
 *   STUBSETUP_FAULT_FSYNC=<errno>         fsync() fails with it
 *   STUBSETUP_FAULT_CLOSE=<errno>         close() closes, then reports it
 *   STUBSETUP_FAULT_FSYNC_SIGNAL=<signal> fsync() raises it first
 *   STUBSETUP_FAULT_WRITE_SIGNAL=<signal> write() raises it first
 *   STUBSETUP_FAULT_PAUSE=<base>          the first write() creates <base>.reached,
 *                                         then waits until the FIFO <base>.release
 *                                         is opened for writing
 *   STUBSETUP_FAULT_CONTENDED=<file>      flock() finding the lock taken creates <file>
 *   STUBSETUP_FAULT_TMPFILE=<errno>       opening an unnamed file (O_TMPFILE) fails
 *                                         with it, wherever it is
 * STUBSETUP_FAULT_TRACE=<file> appends "fsync <path>" and "rename <to>" lines.
 * A file being saved has no name until it is complete: its path is then
 * "<folder>/#<inode> (deleted)", so "Install/#" picks the report's.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <sys/file.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static int setting(const char *name)
{
    const char *value = getenv(name);
    return value ? atoi(value) : 0;
}

static int pathOf(int fd, char *path, size_t size)
{
    char link[64];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, path, size - 1);
    if (length < 0)
        return 0;
    path[length] = '\0';
    return 1;
}

static int affected(int fd)
{
    const char *part = getenv("STUBSETUP_FAULT_PATH");
    char path[PATH_MAX];
    return part && pathOf(fd, path, sizeof path) && strstr(path, part);
}

static void trace(const char *what, const char *path)
{
    const char *log = getenv("STUBSETUP_FAULT_TRACE");
    FILE *file = log ? fopen(log, "a") : NULL;
    if (file) {
        fprintf(file, "%s %s\n", what, path);
        fclose(file);
    }
}

#define NEXT(name) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))

ssize_t read(int fd, void *buffer, size_t size)
{
    const int error = setting("STUBSETUP_FAULT_READ");
    if (error && affected(fd)) {
        errno = error;
        return -1;
    }
    return NEXT(read)(fd, buffer, size);
}

static void createFile(const char *path)
{
    const int fd = open(path, O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd >= 0)
        close(fd);
}

/* Holds the first write still until the test lets it go, so that another
 * process can be started against a save that is half done. */
static void pauseOnce(void)
{
    static int paused = 0;
    const char *base = getenv("STUBSETUP_FAULT_PAUSE");
    char path[PATH_MAX];
    if (!base || paused)
        return;
    paused = 1;
    snprintf(path, sizeof path, "%s.reached", base);
    createFile(path);
    snprintf(path, sizeof path, "%s.release", base);
    const int release = open(path, O_RDONLY | O_CLOEXEC);
    if (release >= 0)
        close(release);
}

ssize_t write(int fd, const void *buffer, size_t size)
{
    if (affected(fd)) {
        const int signal = setting("STUBSETUP_FAULT_WRITE_SIGNAL");
        if (signal)
            raise(signal);
        pauseOnce();
    }
    return NEXT(write)(fd, buffer, size);
}

int flock(int fd, int operation)
{
    const int result = NEXT(flock)(fd, operation);
    const char *contended = getenv("STUBSETUP_FAULT_CONTENDED");
    if (result != 0 && errno == EWOULDBLOCK && contended && affected(fd)) {
        createFile(contended);
        errno = EWOULDBLOCK;
    }
    return result;
}

static int refusedUnnamed(int flags)
{
    const int error = setting("STUBSETUP_FAULT_TMPFILE");
    if (error && (flags & O_TMPFILE) == O_TMPFILE) {
        errno = error;
        return 1;
    }
    return 0;
}

int openat(int folder, const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(arguments, mode_t) : 0;
    va_end(arguments);
    return refusedUnnamed(flags) ? -1 : NEXT(openat)(folder, path, flags, mode);
}

int fsync(int fd)
{
    char path[PATH_MAX];
    if (pathOf(fd, path, sizeof path))
        trace("fsync", path);
    const int signal = setting("STUBSETUP_FAULT_FSYNC_SIGNAL");
    if (signal && affected(fd))
        raise(signal);
    const int error = setting("STUBSETUP_FAULT_FSYNC");
    if (error && affected(fd)) {
        errno = error;
        return -1;
    }
    return NEXT(fsync)(fd);
}

int close(int fd)
{
    const int error =
        setting("STUBSETUP_FAULT_CLOSE") && affected(fd) ? setting("STUBSETUP_FAULT_CLOSE") : 0;
    const int result = NEXT(close)(fd);
    if (error) {
        errno = error;
        return -1;
    }
    return result;
}

int renameat(int fromFolder, const char *from, int toFolder, const char *to)
{
    const int result = NEXT(renameat)(fromFolder, from, toFolder, to);
    char folder[PATH_MAX];
    char path[PATH_MAX + NAME_MAX + 2];
    if (result == 0 && pathOf(toFolder, folder, sizeof folder)) {
        snprintf(path, sizeof path, "%s/%s", folder, to);
        trace("rename", path);
    }
    return result;
}

int rename(const char *from, const char *to)
{
    const int result = NEXT(rename)(from, to);
    if (result == 0)
        trace("rename", to);
    return result;
}
