#include "InstallerLib/platform/FileSystem.h"

#include "common/platform/FileDescriptor.h"

#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <locale>
#include <streambuf>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace stubsetup::platform {
namespace {

constexpr int kMaxSymlinkHops = 40;
constexpr mode_t kPermissionBits = 0777; // never set-user-ID, set-group-ID or sticky
constexpr mode_t kPrivateMode = 0600;

// The temporary file a signal handler must remove if the process is ended
// while a replacement is under way. A fixed buffer and a flag: the handler may
// only read memory that is never reallocated.
std::array<char, PATH_MAX> g_pendingTemporaryName{};
volatile std::sig_atomic_t g_pendingTemporary = 0;

// Collects output and hands it to the file with one write(2) per flush, so a
// writer that flushes at each line end costs one system call per line. Once a
// write failed, every later one fails too and errno keeps the first reason.
class FileDescriptorBuffer : public std::streambuf {
public:
    explicit FileDescriptorBuffer(int fd) : m_fd(fd) { resetBuffer(); }
    bool failed() const { return m_failed; }
    int error() const { return m_error; }
    off_t bytesWritten() const { return m_bytesWritten; }

protected:
    int_type overflow(int_type ch) override
    {
        if (!writeBuffer())
            return traits_type::eof();
        if (!traits_type::eq_int_type(ch, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(ch);
            pbump(1);
        }
        return traits_type::not_eof(ch);
    }

    int sync() override { return writeBuffer() ? 0 : -1; }

private:
    void resetBuffer() { setp(m_buffer.data(), m_buffer.data() + m_buffer.size()); }

    bool writeBuffer()
    {
        const auto size = static_cast<std::size_t>(pptr() - pbase());
        if (!m_failed && !WriteAll(m_fd, pbase(), size)) {
            m_failed = true;
            m_error = errno;
        }
        if (!m_failed)
            m_bytesWritten += static_cast<off_t>(size);
        resetBuffer();
        return !m_failed;
    }

    int m_fd;
    bool m_failed = false;
    int m_error = 0;
    off_t m_bytesWritten = 0;
    std::array<char, 4096> m_buffer;
};

// Runs `writeContent` on a stream into `fd`. Numbers come out in plain digits
// whatever global locale the installer that links us has set.
bool WriteThrough(int fd, const std::function<bool(std::ostream &)> &writeContent, off_t &length)
{
    FileDescriptorBuffer buffer(fd);
    std::ostream stream(&buffer);
    stream.imbue(std::locale::classic());
    // A failed write puts the stream in its bad state, so the stream tells
    // the whole story; the buffer only keeps the system's reason.
    const bool written = writeContent(stream) && stream.flush();
    if (!written)
        errno = buffer.failed() ? buffer.error() : EIO;
    length = buffer.bytesWritten();
    return written;
}

bool WriteString(int fd, const std::string &content)
{
    return WriteAll(fd, content.data(), content.size());
}

std::string FolderOf(const std::string &path)
{
    return path.substr(0, path.rfind('/') + 1);
}

// Folder syncs make a rename durable. File systems that cannot sync a folder
// say so with EINVAL; there is nothing more to do for them.
bool SyncFolderOf(const std::string &path)
{
    const std::string folder = FolderOf(path);
    const FileDescriptor descriptor(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return descriptor && (::fsync(descriptor.get()) == 0 || errno == EINVAL);
}

// A file made next to its target under a unique name; removed again unless it
// was renamed over the target. A signal that ends the process meanwhile
// removes it too.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string &target) : m_name(target + ".XXXXXX")
    {
        m_descriptor = FileDescriptor(::mkostemp(m_name.data(), O_CLOEXEC));
        if (m_descriptor && m_name.size() < g_pendingTemporaryName.size()) {
            std::memcpy(g_pendingTemporaryName.data(), m_name.c_str(), m_name.size() + 1);
            g_pendingTemporary = 1;
        }
    }
    ~TemporaryFile()
    {
        if (!m_descriptor && !m_closed)
            return;
        const int savedErrno = errno;
        m_descriptor = FileDescriptor();
        if (!m_renamed)
            ::unlink(m_name.c_str());
        g_pendingTemporary = 0;
        errno = savedErrno;
    }
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;

    bool isOpen() const { return static_cast<bool>(m_descriptor); }
    int fd() const { return m_descriptor.get(); }

    // Syncs and closes the file, then renames it over `target`.
    bool commitTo(const std::string &target)
    {
        const bool synced = ::fsync(m_descriptor.get()) == 0;
        m_closed = true;
        const bool closed = m_descriptor.close();
        if (!synced || !closed)
            return false;
        m_renamed = ::rename(m_name.c_str(), target.c_str()) == 0;
        return m_renamed;
    }

private:
    std::string m_name;
    FileDescriptor m_descriptor;
    bool m_closed = false;
    bool m_renamed = false;
};

std::string ResolveSymlinks(std::string path)
{
    for (int hop = 0; hop < kMaxSymlinkHops; ++hop) {
        struct stat status;
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            break;
        std::array<char, PATH_MAX> target;
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= target.size())
            break;
        const std::string linkTarget(target.data(), static_cast<std::size_t>(length));
        path = linkTarget[0] == '/' ? linkTarget : FolderOf(path).append(linkTarget);
    }
    return path;
}

// Linux reports the mask in /proc; setting and restoring it instead would race
// with other threads of the installer that links us, so that is the fallback.
mode_t CurrentUmask()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, 6, "Umask:") == 0)
            return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// O_NONBLOCK: a FIFO in the file's place must be refused, not waited on.
FileDescriptor OpenWritable(const std::string &path)
{
    return FileDescriptor(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK));
}

// The file a replacement would replace; `exists` false for a new one.
struct ExistingFile {
    bool exists = false;
    struct stat status {};
};

// False, errno set, when the target must not be replaced: it cannot be
// examined, is no regular file, or may not be written.
bool ExamineTarget(const std::string &target, ExistingFile &existing)
{
    if (::stat(target.c_str(), &existing.status) != 0)
        return errno == ENOENT;
    existing.exists = true;
    if (!S_ISREG(existing.status.st_mode)) {
        errno = S_ISDIR(existing.status.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    return static_cast<bool>(OpenWritable(target));
}

// Root rewriting a user's file must hand it back to that user; anyone else
// keeps at least the group where allowed. Failing to is no error.
void KeepOwnership(int fd, const struct stat &old)
{
    const int savedErrno = errno;
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
        [[maybe_unused]] const int groupOnly = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
    errno = savedErrno;
}

bool WriteReplacement(TemporaryFile &temporary, const std::string &target,
                      const ExistingFile &existing,
                      const std::function<bool(std::ostream &)> &writeContent)
{
    const mode_t mode =
        existing.exists ? existing.status.st_mode & kPermissionBits : 0666 & ~CurrentUmask();
    if (existing.exists)
        KeepOwnership(temporary.fd(), existing.status);
    off_t length = 0;
    return WriteThrough(temporary.fd(), writeContent, length) &&
           ::fchmod(temporary.fd(), mode) == 0 && temporary.commitTo(target) &&
           SyncFolderOf(target);
}

// For a folder that refuses new files: the old content is overwritten, so a
// failure midway leaves a damaged file, but the caller hears of it.
bool RewriteInPlace(const std::string &target,
                    const std::function<bool(std::ostream &)> &writeContent)
{
    FileDescriptor file = OpenWritable(target);
    off_t length = 0;
    return file && WriteThrough(file.get(), writeContent, length) &&
           ::ftruncate(file.get(), length) == 0 && ::fsync(file.get()) == 0 && file.close();
}

bool IsFolderRefusingNewFiles(int error)
{
    return error == EACCES || error == EPERM;
}

bool IsStickyFolder(const std::string &path)
{
    struct stat status;
    const std::string folder = FolderOf(path);
    return ::stat(folder.empty() ? "." : folder.c_str(), &status) == 0 &&
           (status.st_mode & S_ISVTX) != 0;
}

bool IsOwnedByAnotherUser(const std::string &path)
{
    struct stat status;
    return ::lstat(path.c_str(), &status) == 0 && status.st_uid != ::geteuid();
}

} // namespace

PathKind GetPathKind(const std::string &path)
{
    struct stat status;
    if (::stat(path.c_str(), &status) != 0)
        return errno == ENOENT || errno == ENOTDIR ? PathKind::Missing : PathKind::Unreadable;
    if (S_ISREG(status.st_mode))
        return PathKind::RegularFile;
    return S_ISDIR(status.st_mode) ? PathKind::Directory : PathKind::Other;
}

bool MakeDirectory(const std::string &path, unsigned int mode)
{
    if (::mkdir(path.c_str(), static_cast<mode_t>(mode)) == 0)
        return true;
    return errno == EEXIST && GetPathKind(path) == PathKind::Directory;
}

bool ReplaceFileContent(const std::string &path,
                        const std::function<bool(std::ostream &)> &writeContent)
{
    const std::string target = ResolveSymlinks(path);
    ExistingFile existing;
    if (!ExamineTarget(target, existing))
        return false;
    TemporaryFile temporary(target);
    if (!temporary.isOpen())
        return existing.exists && IsFolderRefusingNewFiles(errno) &&
               RewriteInPlace(target, writeContent);
    return WriteReplacement(temporary, target, existing, writeContent);
}

bool ReplaceWithPrivateFile(const std::string &path, const std::string &content)
{
    // The kernel protects such files from others' renames; root is refused
    // here all the same, so that a planted file is never replaced.
    if (IsStickyFolder(path) && IsOwnedByAnotherUser(path)) {
        errno = EPERM;
        return false;
    }
    TemporaryFile temporary(path);
    return temporary.isOpen() && ::fchmod(temporary.fd(), kPrivateMode) == 0 &&
           WriteString(temporary.fd(), content) && temporary.commitTo(path) && SyncFolderOf(path);
}

void RemovePendingTemporaryFile() noexcept
{
    if (g_pendingTemporary != 0)
        ::unlink(g_pendingTemporaryName.data());
}

} // namespace stubsetup::platform
