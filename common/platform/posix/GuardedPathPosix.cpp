#include "common/platform/GuardedPath.h"

#include "common/platform/Paths.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace stubsetup::platform {
namespace {

constexpr int kMaxLinkHops = 40;
// 0755 less the umask: whatever the umask, never writable by group or others.
constexpr mode_t kFolderMode = 0755;
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// The components of `path` that name something: "a//./b/" gives a, b.
std::vector<std::string> Components(const std::string &path)
{
    std::vector<std::string> components;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        std::string component = path.substr(start, end - start);
        if (!component.empty() && component != ".")
            components.push_back(std::move(component));
        start = end + 1;
    }
    return components;
}

bool IsTrustedOwner(uid_t owner)
{
    return owner == ::geteuid() || owner == 0;
}

bool IsSymbolicLink(int folder, const std::string &name)
{
    struct stat status;
    return ::fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISLNK(status.st_mode);
}

// Walks from an open folder one component at a time. Each link is opened
// itself before its owner is judged and its target read, so the link that is
// judged is the link that is followed.
class Walk {
public:
    Outcome start(const std::string &trustedFolder)
    {
        m_shown = trustedFolder.empty() ? "." : trustedFolder;
        m_folder = FileDescriptor(::open(m_shown.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        return m_folder ? Outcome() : Outcome::failure(errno, m_shown);
    }

    // Into the sub-folder `name`, made first when `create` and missing.
    Outcome enter(const std::string &name, bool create)
    {
        const std::string shown = JoinPath(m_shown, name);
        FileDescriptor next(::openat(m_folder.get(), name.c_str(), kFolderFlags));
        bool created = false;
        if (!next && errno == ENOENT && create) {
            created = ::mkdirat(m_folder.get(), name.c_str(), kFolderMode) == 0;
            if (!created && errno != EEXIST)
                return Outcome::failure(errno, shown);
            next = FileDescriptor(::openat(m_folder.get(), name.c_str(), kFolderFlags));
        }
        if (next) {
            if (created)
                HandToFolderOwner(next.get(), m_folder.get());
            m_folder = std::move(next);
            m_shown = shown;
            return {};
        }
        const int error = errno;
        if (!IsSymbolicLink(m_folder.get(), name))
            return Outcome::failure(error, shown);
        std::string target;
        const Outcome read = readTrustedLink(name, target);
        return read.ok() ? enterAll(target) : read;
    }

    // Follows links at the file's own name until it names something else
    // (or nothing yet), and hands over the folder that holds it.
    Outcome finish(std::string name, FolderEntry &entry)
    {
        while (IsSymbolicLink(m_folder.get(), name)) {
            std::string target;
            Outcome followed = readTrustedLink(name, target);
            std::vector<std::string> components = Components(target);
            if (followed.ok() && components.empty())
                followed = Outcome::failure(EISDIR, target);
            if (followed.ok() && target[0] == '/')
                followed = start("/");
            for (std::size_t index = 0; followed.ok() && index + 1 < components.size(); ++index)
                followed = enter(components[index], false);
            if (!followed.ok())
                return followed;
            name = components.back();
        }
        entry.shown = JoinPath(m_shown, name);
        entry.folder = std::move(m_folder);
        entry.name = std::move(name);
        return {};
    }

    FileDescriptor takeFolder() { return std::move(m_folder); }

private:
    Outcome readTrustedLink(const std::string &name, std::string &target)
    {
        const std::string shown = JoinPath(m_shown, name);
        if (++m_hops > kMaxLinkHops)
            return Outcome::failure(ELOOP, shown);
        const FileDescriptor link(
            ::openat(m_folder.get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat status;
        if (!link || ::fstat(link.get(), &status) != 0)
            return Outcome::failure(errno, shown);
        if (!S_ISLNK(status.st_mode)) // swapped since it was looked at
            return Outcome::failure(EAGAIN, shown);
        if (!IsTrustedOwner(status.st_uid))
            return Outcome::failure(EPERM, shown,
                                    "a symbolic link of another user (uid " +
                                        std::to_string(status.st_uid) + "), not followed");
        std::array<char, PATH_MAX> buffer;
        const ssize_t length = ::readlinkat(link.get(), "", buffer.data(), buffer.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size())
            return Outcome::failure(length < 0 ? errno : ENAMETOOLONG, shown);
        target.assign(buffer.data(), static_cast<std::size_t>(length));
        return {};
    }

    Outcome enterAll(const std::string &path)
    {
        Outcome outcome = path[0] == '/' ? start("/") : Outcome();
        for (const std::string &component : Components(path))
            if (outcome.ok())
                outcome = enter(component, false);
        return outcome;
    }

    FileDescriptor m_folder;
    std::string m_shown;
    int m_hops = 0;
};

} // namespace

std::string GuardedPath::text() const
{
    return JoinPath(trustedFolder, below);
}

GuardedPath TrustingFolderOf(const std::string &path)
{
    FolderAndName split = SplitFolderAndName(path);
    // Too long to take apart: opened whole, the system says why not.
    if (split.folder.empty())
        return {path, std::string()};
    return {std::move(split.folder), std::move(split.name)};
}

Outcome OpenFolderEntry(const GuardedPath &path, FolderEntry &entry)
{
    const std::vector<std::string> components = Components(path.below);
    Walk walk;
    Outcome outcome = walk.start(path.trustedFolder);
    if (outcome.ok() && (components.empty() || path.below.back() == '/'))
        return Outcome::failure(EISDIR, path.text());
    for (std::size_t index = 0; outcome.ok() && index + 1 < components.size(); ++index)
        outcome = walk.enter(components[index], index < path.creatableLevels);
    return outcome.ok() ? walk.finish(components.back(), entry) : outcome;
}

Outcome OpenGuardedFolder(const GuardedPath &path, FileDescriptor &folder)
{
    const std::vector<std::string> components = Components(path.below);
    Walk walk;
    Outcome outcome = walk.start(path.trustedFolder);
    for (std::size_t index = 0; outcome.ok() && index < components.size(); ++index)
        outcome = walk.enter(components[index], index < path.creatableLevels);
    if (outcome.ok())
        folder = walk.takeFolder();
    return outcome;
}

void HandToFolderOwner(int created, int folder)
{
    if (::geteuid() != 0)
        return;
    const int savedErrno = errno;
    struct stat status;
    if (::fstat(folder, &status) == 0) {
        // A file that stays root's is still usable by root; nothing to report.
        [[maybe_unused]] const int handed = ::fchown(created, status.st_uid, status.st_gid);
    }
    errno = savedErrno;
}

} // namespace stubsetup::platform
