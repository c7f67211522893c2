#include "app/platform/Journal.h"

#include "common/platform/FileDescriptor.h"
#include "common/platform/FileSystem.h"
#include "common/platform/GuardedPath.h"
#include "common/platform/Paths.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stubsetup::platform {
namespace {

// Never blocks on a FIFO, never follows a link at the name.
constexpr int kAppendFlags = O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
// The journal records arguments and paths that are nobody else's business.
constexpr mode_t kJournalMode = 0600;

// Creates the journal when it is missing; `created` tells whether it was.
FileDescriptor OpenForAppending(int folder, const std::string &name, bool &created)
{
    FileDescriptor file(
        ::openat(folder, name.c_str(), kAppendFlags | O_CREAT | O_EXCL, kJournalMode));
    created = static_cast<bool>(file);
    if (!file && errno == EEXIST)
        file = FileDescriptor(::openat(folder, name.c_str(), kAppendFlags));
    return file;
}

Outcome WhyNotOpened(int error, const std::string &path)
{
    if (error == ELOOP)
        return Outcome::failure(error, path, "a symbolic link, not followed");
    // Only FIFOs without a reader and device files refuse so.
    if (error == ENXIO)
        return Outcome::failure(error, path, "not a regular file");
    return Outcome::failure(error, path);
}

// Under the lock nobody else appends, so the length before is where a torn
// line begins.
Outcome WriteLine(int file, const std::string &line, const std::string &path)
{
    const long long before = FileSize(file);
    if (before < 0)
        return Outcome::failure(errno, path);
    if (WriteAll(file, line.data(), line.size()))
        return {};
    const int error = errno;
    [[maybe_unused]] const int takenBack = ::ftruncate(file, before);
    return Outcome::failure(error, path);
}

} // namespace

Outcome AppendWholeLine(const std::string &path, const std::string &line)
{
    const FolderAndName place = SplitFolderAndName(path);
    if (place.folder.empty())
        return Outcome::failure(ENAMETOOLONG, path);
    const FileDescriptor folder(::open(place.folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder)
        return Outcome::failure(errno, place.folder);
    bool created = false;
    FileDescriptor file = OpenForAppending(folder.get(), place.name, created);
    if (!file)
        return WhyNotOpened(errno, path);
    if (created)
        HandToFolderOwner(file.get(), folder.get());
    struct stat status;
    if (::fstat(file.get(), &status) != 0)
        return Outcome::failure(errno, path);
    if (!S_ISREG(status.st_mode))
        return Outcome::failure(EINVAL, path, "not a regular file");
    Outcome appended = LockExclusively(file.get(), path);
    if (appended.ok())
        appended = WriteLine(file.get(), line, path);
    if (appended.ok() && !file.close())
        appended = Outcome::failure(errno, path);
    return appended;
}

} // namespace stubsetup::platform
