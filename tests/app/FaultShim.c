/*
 * Preloaded into the program under test to make system calls fail the way a
 * sick disk or a hostile environment would, and to record what was synced.
 * Only descriptors whose path contains $STUBSETUP_FAULT_PATH are affected:
 *   STUBSETUP_FAULT_READ=<errno>          read() fails with it
 *   STUBSETUP_FAULT_FSYNC=<errno>         fsync() fails with it
 *   STUBSETUP_FAULT_CLOSE=<errno>         close() closes, then reports it
 *   STUBSETUP_FAULT_FSYNC_SIGNAL=<signal> fsync() raises it first
 * STUBSETUP_FAULT_TRACE=<file> appends "fsync <path>" and "rename <to>" lines.
 * A file being saved has no name until it is complete: its path is then
 * "<folder>/#<inode> (deleted)", so "Install/#" picks the report's.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
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
