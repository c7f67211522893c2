/*
 * Preloaded into the program under test to make system calls and allocations
 * fail the way a sick disk, a full memory or a hostile environment would, and
 * to record what was synced.
 * Only descriptors whose path contains $STUBSETUP_FAULT_PATH are affected:
 *   STUBSETUP_FAULT_READ=<errno>          read() fails with it
 *   STUBSETUP_FAULT_WRITE=<errno>         write() fails with it (ENOSPC: a full disk)
 *   STUBSETUP_FAULT_FSYNC=<errno>         fsync() fails with it
 *   STUBSETUP_FAULT_CLOSE=<errno>         close() closes, then reports it
 *   STUBSETUP_FAULT_FSYNC_SIGNAL=<signal> fsync() raises it first
 *   STUBSETUP_FAULT_WRITE_SIGNAL=<signal> write() raises it first
 *   STUBSETUP_FAULT_PAUSE=<base>          the first write() creates <base>.reached,
 *                                         then waits until the FIFO <base>.release
 *                                         is opened for writing
 *   STUBSETUP_FAULT_CONTENDED=<file>      flock() finding the lock taken creates <file>
 *   STUBSETUP_FAULT_READLINK=<errno>      readlink() of such a link fails
 *                                         with it ("/proc/self/exe": the
 *                                         program cannot find its own file)
 * These affect every call:
 *   STUBSETUP_FAULT_TMPFILE=<errno>       open(), openat() and their 64 forms
 *                                         fail with it when asked for an
 *                                         unnamed file (O_TMPFILE), as on a
 *                                         file system without them
 *   STUBSETUP_FAULT_NEW=<bytes>           operator new and new[] throw
 *                                         std::bad_alloc for that much or
 *                                         more, as when memory runs out
 *   STUBSETUP_FAULT_SECURE=1              getauxval(AT_SECURE) answers 1, as
 *                                         in a set-user-ID or set-group-ID run
 * STUBSETUP_FAULT_TRACE=<file> appends "fsync <path>", "rename <to>" and "fork"
 * lines.
 * A file being saved has no name until it is complete: its path is then
 * "<folder>/#<inode> (deleted)", so "Install/#" picks the report's.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/auxv.h>
#include <sys/file.h>
#include <unistd.h>

#define NEXT(name) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))

static int setting(const char *name)
{
    const char *value = getenv(name);
    return value ? atoi(value) : 0;
}

static int pathOf(int fd, char *path, size_t size)
{
    char link[64];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = NEXT(readlink)(link, path, size - 1);
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
        const int error = setting("STUBSETUP_FAULT_WRITE");
        if (error) {
            errno = error;
            return -1;
        }
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

ssize_t readlink(const char *link, char *target, size_t size)
{
    const char *part = getenv("STUBSETUP_FAULT_PATH");
    const int error = setting("STUBSETUP_FAULT_READLINK");
    if (error && part && strstr(link, part)) {
        errno = error;
        return -1;
    }
    return NEXT(readlink)(link, target, size);
}

pid_t fork(void)
{
    trace("fork", "");
    return NEXT(fork)();
}

int rename(const char *from, const char *to)
{
    const int result = NEXT(rename)(from, to);
    if (result == 0)
        trace("rename", to);
    return result;
}

/* O_TMPFILE includes O_DIRECTORY: only the whole of it asks for an unnamed file. */
static int openUnlessRefused(int folder, const char *path, int flags, mode_t mode)
{
    const int error = setting("STUBSETUP_FAULT_TMPFILE");
    if (error && (flags & O_TMPFILE) == O_TMPFILE) {
        errno = error;
        return -1;
    }
    return NEXT(openat)(folder, path, flags, mode);
}

/* The mode argument is there only when a file may be created. */
#define MODE_ARGUMENT(flags)                                                                       \
    mode_t mode = 0;                                                                               \
    if ((flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE) {                                   \
        va_list arguments;                                                                         \
        va_start(arguments, flags);                                                                \
        mode = va_arg(arguments, mode_t);                                                          \
        va_end(arguments);                                                                         \
    }

int open(const char *path, int flags, ...)
{
    MODE_ARGUMENT(flags)
    return openUnlessRefused(AT_FDCWD, path, flags, mode);
}

int open64(const char *path, int flags, ...)
{
    MODE_ARGUMENT(flags)
    return openUnlessRefused(AT_FDCWD, path, flags, mode);
}

int openat(int folder, const char *path, int flags, ...)
{
    MODE_ARGUMENT(flags)
    return openUnlessRefused(folder, path, flags, mode);
}

int openat64(int folder, const char *path, int flags, ...)
{
    MODE_ARGUMENT(flags)
    return openUnlessRefused(folder, path, flags, mode);
}

/* From C, the C++ library's own helper throws std::bad_alloc; this file is
 * built with unwind tables so that the exception passes through. */
static void *allocate(const char *operatorNew, size_t size)
{
    const char *limit = getenv("STUBSETUP_FAULT_NEW");
    if (limit && size >= strtoull(limit, NULL, 10))
        ((void (*)(void))dlsym(RTLD_NEXT, "_ZSt17__throw_bad_allocv"))();
    return ((void *(*)(size_t))dlsym(RTLD_NEXT, operatorNew))(size);
}

/* operator new(std::size_t) */
void *_Znwm(size_t size)
{
    return allocate("_Znwm", size);
}

/* operator new[](std::size_t) */
void *_Znam(size_t size)
{
    return allocate("_Znam", size);
}

unsigned long getauxval(unsigned long type)
{
    if (type == AT_SECURE && setting("STUBSETUP_FAULT_SECURE"))
        return 1;
    return NEXT(getauxval)(type);
}
