#include "app/gui/platform/FileCopy.h"

#include "common/platform/FileDescriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace stubsetup::platform {
namespace {

using Status = AppendOutcome::Status;

// Large enough that a copy through user space costs little more than the
// system calls cat makes.
constexpr std::size_t kBufferSize = 1 << 20;
constexpr std::size_t kKernelChunk = std::size_t(1) << 30;

struct stat statusOf(const FileDescriptor &file)
{
    struct stat status {};
    if (fstat(file.get(), &status) != 0)
        status.st_mode = 0; // no type at all: refused as not regular
    return status;
}

bool isSameFile(const struct stat &one, const struct stat &other)
{
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

// O_NONBLOCK: a FIFO must not hold the program up before it is refused.
FileDescriptor openRegular(const std::string &path, int flags, struct stat &status)
{
    FileDescriptor file(open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0600));
    if (!file)
        return file;
    status = statusOf(file);
    if (S_ISREG(status.st_mode))
        return file;
    errno = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
    return FileDescriptor();
}

struct Failure {
    Status status;
    int error;
};

std::optional<Failure> copyThroughBuffer(int from, int to)
{
    std::vector<char> buffer(kBufferSize);
    for (;;) {
        const long long count = ReadFull(from, buffer.data(), buffer.size());
        if (count < 0)
            return Failure{Status::ReadFailed, errno};
        if (count == 0)
            return std::nullopt;
        if (!WriteAll(to, buffer.data(), static_cast<std::size_t>(count)))
            return Failure{Status::WriteFailed, errno};
    }
}

void copyInKernel(int from, int to)
{
    for (;;) {
        const ssize_t count = copy_file_range(from, nullptr, to, nullptr, kKernelChunk, 0);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return;
    }
}

// The kernel copies without a detour through user space where it can. Both
// positions move on with what it copied, so whatever it leaves (another file
// system, a file it reports as empty, a real error) goes through the buffer,
// which also tells a read error from a write error.
std::optional<Failure> transfer(int from, int to)
{
    copyInKernel(from, to);
    return copyThroughBuffer(from, to);
}

} // namespace

bool areSameFile(const std::string &one, const std::string &other)
{
    struct stat oneStatus {};
    struct stat otherStatus {};
    return stat(one.c_str(), &oneStatus) == 0 && stat(other.c_str(), &otherStatus) == 0 &&
           isSameFile(oneStatus, otherStatus);
}

bool copyFileWithMode(const std::string &source, const std::string &target)
{
    struct stat sourceStatus {};
    struct stat targetStatus {};
    FileDescriptor in = openRegular(source, O_RDONLY, sourceStatus);
    if (!in)
        return false;
    // Not truncated on opening: the target may turn out to be the source.
    FileDescriptor out = openRegular(target, O_WRONLY | O_CREAT, targetStatus);
    if (!out || isSameFile(sourceStatus, targetStatus))
        return false;
    const bool copied = ftruncate(out.get(), 0) == 0 &&
                        fchmod(out.get(), sourceStatus.st_mode & 0777) == 0 &&
                        !transfer(in.get(), out.get()) && out.close();
    if (!copied)
        unlink(target.c_str());
    return copied;
}

AppendOutcome appendFileContents(const std::string &source, const std::string &target)
{
    struct stat sourceStatus {};
    struct stat targetStatus {};
    FileDescriptor in = openRegular(source, O_RDONLY, sourceStatus);
    if (!in)
        return {Status::SourceUnavailable, {}};
    // Appending a file to itself would never reach its end.
    FileDescriptor out = openRegular(target, O_WRONLY, targetStatus);
    if (!out || isSameFile(sourceStatus, targetStatus) || lseek(out.get(), 0, SEEK_END) < 0)
        return {Status::TargetUnavailable, {}};
    std::optional<Failure> failure = transfer(in.get(), out.get());
    if (!failure && !out.close())
        failure = Failure{Status::WriteFailed, errno};
    if (failure)
        return {failure->status, std::error_code(failure->error, std::generic_category())};
    return {Status::Appended, {}};
}

} // namespace stubsetup::platform
