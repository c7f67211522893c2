#include "common/platform/FileDescriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stubsetup::platform {

FileDescriptor &FileDescriptor::operator=(FileDescriptor &&other) noexcept
{
    if (this != &other) {
        closeQuietly();
        m_descriptor = std::exchange(other.m_descriptor, -1);
    }
    return *this;
}

bool FileDescriptor::close()
{
    // Linux releases the descriptor even when close fails, so it is never retried.
    return ::close(std::exchange(m_descriptor, -1)) == 0;
}

void FileDescriptor::closeQuietly() noexcept
{
    if (m_descriptor < 0)
        return;
    const int savedErrno = errno;
    ::close(std::exchange(m_descriptor, -1));
    errno = savedErrno;
}

FileDescriptor OpenForReading(const std::string &path)
{
    return FileDescriptor(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
}

long long FileSize(int descriptor)
{
    struct stat status;
    return ::fstat(descriptor, &status) == 0 ? static_cast<long long>(status.st_size) : -1;
}

bool SeekToStart(int descriptor)
{
    return ::lseek(descriptor, 0, SEEK_SET) == 0;
}

long long ReadFull(int descriptor, char *data, std::size_t size)
{
    std::size_t total = 0;
    while (total < size) {
        const ssize_t count = ::read(descriptor, data + total, size - total);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return -1;
        if (count == 0)
            break;
        total += static_cast<std::size_t>(count);
    }
    return static_cast<long long>(total);
}

bool WriteAll(int descriptor, const char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(descriptor, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return false;
        if (written == 0) { // never for a regular file; refuse to spin
            errno = EIO;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace stubsetup::platform
