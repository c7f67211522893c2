/*
 * Preloaded into the program under test to make system calls and allocations
 * fail the way a sick disk, a full memory or a hostile environment would, and
 * to record what was synced.
 * Only descriptors whose path contains $STUBSETUP_FAULT_PATH are affected:
 *   STUBSETUP_FAULT_READ=<errno>          read() fails with it
 *   STUBSETUP_FAULT_FSYNC=<errno>         fsync() fails with it
 *   STUBSETUP_FAULT_CLOSE=<errno>         close() closes, then reports it
 *   STUBSETUP_FAULT_FSYNC_SIGNAL=<signal> fsync() raises it first
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
 * STUBSETUP_FAULT_TRACE=<file> appends "fsync <path>" and "rename <to>" lines.
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
