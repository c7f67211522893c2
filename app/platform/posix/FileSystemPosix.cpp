#include "app/platform/FileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stubsetup::platform {
namespace {

bool IsRegularFile(int descriptor)
{
    struct stat status {};
    return fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
}

bool WriteAll(int descriptor, const std::string &contents)
{
    std::size_t written = 0;
    while (written < contents.size()) {
        const ssize_t count =
            write(descriptor, contents.data() + written, contents.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        written += static_cast<std::size_t>(count);
    }
    return true;
}

} // namespace

bool WriteWholeFile(const std::string &path, const std::string &contents)
{
    // O_NONBLOCK: opening a FIFO must fail or return at once, never wait for a
    // reader; a FIFO that does have a reader is then refused as not regular.
    const int descriptor =
        open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
    if (descriptor < 0)
        return false;
    if (!IsRegularFile(descriptor)) {
        close(descriptor);
        return false;
    }
    const bool written = WriteAll(descriptor, contents) && fsync(descriptor) == 0;
    const bool closed = close(descriptor) == 0;
    if (written && closed)
        return true;
    unlink(path.c_str());
    return false;
}

} // namespace stubsetup::platform
