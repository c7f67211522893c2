#include "InstallerLib/platform/FileSystem.h"

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <streambuf>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace stubsetup::platform {
namespace {

constexpr int kMaxSymlinkHops = 40;

// Collects output and hands it to the file with one write(2) per flush, so a
// writer that flushes at each line end costs one system call per line.
// Errors are kept: once a write failed, every later one fails too.
class FileDescriptorBuffer : public std::streambuf {
public:
    explicit FileDescriptorBuffer(int fd) : m_fd(fd) { resetBuffer(); }
    bool failed() const { return m_failed; }

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
        const char *data = pbase();
        std::size_t left = static_cast<std::size_t>(pptr() - pbase());
        while (!m_failed && left > 0) {
            const ssize_t written = ::write(m_fd, data, left);
            if (written < 0 && errno == EINTR)
                continue;
            m_failed = written <= 0;
            if (!m_failed) {
                data += written;
                left -= static_cast<std::size_t>(written);
            }
        }
        resetBuffer();
        return !m_failed;
    }

    int m_fd;
    bool m_failed = false;
    std::array<char, 4096> m_buffer;
};

// A file made next to its target under a unique name; removed again unless
// it was renamed over the target.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string &target) : m_name(target + ".XXXXXX")
    {
        m_fd = ::mkostemp(m_name.data(), O_CLOEXEC);
        m_created = m_fd >= 0;
    }
    ~TemporaryFile()
    {
        close();
        if (m_created && !m_renamed)
            ::unlink(m_name.c_str());
    }
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    bool close()
    {
        if (m_fd < 0)
            return true;
        const bool closed = ::close(m_fd) == 0;
        m_fd = -1;
        return closed;
    }
    bool renameTo(const std::string &target)
    {
        m_renamed = ::rename(m_name.c_str(), target.c_str()) == 0;
        return m_renamed;
    }

private:
    std::string m_name;
    int m_fd = -1;
    bool m_created = false;
    bool m_renamed = false;
};

std::string FolderOf(const std::string &path)
{
    return path.substr(0, path.rfind('/') + 1);
}

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

bool IsWritableFile(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// The mode the replacement gets: that of the file it replaces, or what a
// plain create would give. False when the target must not be replaced.
bool ReplacementMode(const std::string &target, mode_t &mode)
{
    struct stat status;
    if (::stat(target.c_str(), &status) != 0) {
        mode = 0666 & ~CurrentUmask();
        return errno == ENOENT;
    }
    mode = status.st_mode & 07777;
    return S_ISREG(status.st_mode) && IsWritableFile(target);
}

bool WriteAll(int fd, const std::function<bool(std::ostream &)> &writeContent)
{
    FileDescriptorBuffer buffer(fd);
    std::ostream stream(&buffer);
    const bool written = writeContent(stream) && stream.flush();
    return written && !buffer.failed();
}

} // namespace

PathKind GetPathKind(const std::string &path)
{
    struct stat status;
    if (::stat(path.c_str(), &status) != 0)
        return PathKind::Missing;
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
    mode_t mode = 0;
    if (!ReplacementMode(target, mode))
        return false;
    TemporaryFile temporary(target);
    if (!temporary.isOpen())
        return false;
    const bool synced = WriteAll(temporary.fd(), writeContent) &&
                        ::fchmod(temporary.fd(), mode) == 0 && ::fsync(temporary.fd()) == 0;
    const bool closed = temporary.close();
    return synced && closed && temporary.renameTo(target);
}

} // namespace stubsetup::platform
