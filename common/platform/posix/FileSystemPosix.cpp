#include "common/platform/FileSystem.h"

#include "common/platform/FileDescriptor.h"
#include "common/platform/Paths.h"
#include "common/platform/Signals.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <locale>
#include <memory>
#include <sstream>
#include <streambuf>
#include <string>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace stubsetup::platform {
namespace {

constexpr mode_t kPermissionBits = 0777; // never set-user-ID, set-group-ID or sticky
constexpr mode_t kPrivateMode = 0600;
// A temporary name is '.', at most this much of the target's name, '.' and
// six random characters, so it never exceeds the name limit the target meets.
constexpr std::size_t kTemporaryNamePrefix = 200;
constexpr std::size_t kRandomLength = 6;
constexpr int kNameAttempts = 100;
// A named temporary this old whose lock is free belongs to a save that died.
constexpr std::time_t kStaleTemporarySeconds = 60;
// A save whose file was replaced while it waited for the lock starts over.
constexpr int kInPlaceAttempts = 3;

// The named temporaries of saves in progress, for a signal handler to remove.
// Fixed slots claimed atomically: a handler may only read memory that is
// never reallocated, and saves on several threads must not share one slot.
struct PendingSlot {
    std::atomic<int> state{0}; // kFree, kFilling, kArmed
    int folder = -1;
    std::array<char, NAME_MAX + 1> name{};
};
constexpr int kFree = 0;
constexpr int kFilling = 1;
constexpr int kArmed = 2;
std::array<PendingSlot, 16> g_pending;

class PendingName {
public:
    PendingName() = default;
    PendingName(const PendingName &) = delete;
    PendingName &operator=(const PendingName &) = delete;
    ~PendingName() { release(); }

    // More saves at once than slots: the extra ones go unrecorded.
    void record(int folder, const std::string &name)
    {
        release();
        for (PendingSlot &slot : g_pending) {
            int expected = kFree;
            if (name.size() < slot.name.size() &&
                slot.state.compare_exchange_strong(expected, kFilling)) {
                slot.folder = folder;
                std::memcpy(slot.name.data(), name.c_str(), name.size() + 1);
                slot.state.store(kArmed);
                m_slot = &slot;
                return;
            }
        }
    }

    void release()
    {
        if (m_slot != nullptr)
            m_slot->state.store(kFree);
        m_slot = nullptr;
    }

private:
    PendingSlot *m_slot = nullptr;
};

// Holds signals off in the calling thread while a file is written. SIGXFSZ
// always: a file-size limit must fail the write with EFBIG, never kill the
// process that links us; the terminating signals too while old bytes are
// overwritten in place. A SIGXFSZ raised meanwhile is consumed, one that was
// pending before is left alone. Dispositions are never touched.
class HeldSignals {
public:
    explicit HeldSignals(bool terminatingToo)
    {
        sigset_t held;
        sigemptyset(&held);
        sigaddset(&held, SIGXFSZ);
        if (terminatingToo)
            for (const int signal : TerminatingSignals())
                sigaddset(&held, signal);
        m_sizeSignalWasPending = isPending(SIGXFSZ);
        pthread_sigmask(SIG_BLOCK, &held, &m_previous);
    }
    HeldSignals(const HeldSignals &) = delete;
    HeldSignals &operator=(const HeldSignals &) = delete;
    ~HeldSignals() { release(); }

    // Ends the hold; true when the file-size limit was hit meanwhile.
    bool release()
    {
        if (m_released)
            return m_sizeLimitHit;
        m_released = true;
        const int savedErrno = errno;
        if (!m_sizeSignalWasPending && isPending(SIGXFSZ)) {
            sigset_t sizeSignal;
            sigemptyset(&sizeSignal);
            sigaddset(&sizeSignal, SIGXFSZ);
            const timespec immediately{0, 0};
            m_sizeLimitHit = sigtimedwait(&sizeSignal, nullptr, &immediately) == SIGXFSZ;
        }
        pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
        errno = savedErrno;
        return m_sizeLimitHit;
    }

private:
    static bool isPending(int signal)
    {
        sigset_t pending;
        return sigpending(&pending) == 0 && sigismember(&pending, signal) == 1;
    }

    sigset_t m_previous;
    bool m_sizeSignalWasPending = false;
    bool m_sizeLimitHit = false;
    bool m_released = false;
};

// Collects output and hands it to the file with one write(2) per flush, so a
// writer that flushes at each line end costs one system call per line. Once a
// write failed, every later one fails too and the first reason is kept.
class FileDescriptorBuffer : public std::streambuf {
public:
    explicit FileDescriptorBuffer(int fd) : m_fd(fd) { resetBuffer(); }
    int error() const { return m_error; }

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
        if (m_error == 0 && !WriteAll(m_fd, pbase(), size))
            m_error = errno;
        resetBuffer();
        return m_error == 0;
    }

    int m_fd;
    int m_error = 0;
    std::array<char, 4096> m_buffer;
};

// Numbers come out in plain digits whatever global locale the installer that
// links us has set.
void UseClassicLocale(std::ostream &stream)
{
    stream.imbue(std::locale::classic());
}

// Runs `writeContent` on a stream into `fd`; the error number, 0 on success.
int WriteThrough(int fd, const ContentWriter &writeContent)
{
    FileDescriptorBuffer buffer(fd);
    std::ostream stream(&buffer);
    UseClassicLocale(stream);
    HeldSignals held(false);
    const bool written = writeContent(stream) && stream.flush();
    if (held.release())
        return EFBIG;
    if (written)
        return 0;
    return buffer.error() != 0 ? buffer.error() : EIO;
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

std::string RandomCharacters()
{
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::atomic<unsigned> counter{0};
    std::array<unsigned char, kRandomLength> bytes{};
    if (::getrandom(bytes.data(), bytes.size(), GRND_NONBLOCK) !=
        static_cast<ssize_t>(bytes.size())) {
        unsigned seed = static_cast<unsigned>(::getpid()) * 2654435761u +
                        static_cast<unsigned>(std::time(nullptr)) + counter++;
        for (unsigned char &byte : bytes)
            byte = static_cast<unsigned char>(seed = seed * 1103515245u + 12345u);
    }
    std::string characters;
    for (const unsigned char byte : bytes)
        characters += kAlphabet[byte % (sizeof kAlphabet - 1)];
    return characters;
}

std::string TemporaryNamePrefix(const std::string &target)
{
    return "." + target.substr(0, kTemporaryNamePrefix) + ".";
}

// Folder syncs make a rename durable. File systems that cannot sync a folder
// say so with EINVAL; there is nothing more to do for them.
bool SyncFolder(int folder)
{
    return ::fsync(folder) == 0 || errno == EINVAL;
}

bool CanNameUnnamedFiles()
{
    struct stat status;
    return ::stat("/proc/self/fd", &status) == 0;
}

// Waits for `operation` (LOCK_SH or LOCK_EX) on `fd` at most kLockWaitSeconds.
Outcome LockFile(int fd, int operation, const std::string &shown)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kLockWaitSeconds);
    auto pause = std::chrono::milliseconds(1);
    while (::flock(fd, operation | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            return Outcome::failure(errno, shown);
        if (std::chrono::steady_clock::now() >= deadline)
            return Outcome::failure(EWOULDBLOCK, shown, "locked by another process");
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
    return {};
}

// The new content of a save, made in the target's folder. Where the system
// allows it the file has no name until it is complete, so a save killed at
// any point leaves nothing behind; elsewhere it has a locked, hidden name.
class TemporaryFile {
public:
    // errno tells why when the result is not open.
    TemporaryFile(int folder, std::string target) : m_folder(folder), m_target(std::move(target))
    {
        if (CanNameUnnamedFiles()) {
            m_file = FileDescriptor(
                ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, kPrivateMode));
            if (m_file || errno == EACCES || errno == EPERM || errno == EROFS || errno == ENOSPC)
                return;
        }
        createNamed();
    }
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;
    ~TemporaryFile()
    {
        const int savedErrno = errno;
        m_file = FileDescriptor();
        if (!m_name.empty() && !m_renamed)
            ::unlinkat(m_folder, m_name.c_str(), 0);
        errno = savedErrno;
    }

    bool isOpen() const { return static_cast<bool>(m_file); }
    int fd() const { return m_file.get(); }

    // Syncs and closes the file, then puts it in the target's place.
    bool commit()
    {
        if (::fsync(m_file.get()) != 0 || (m_name.empty() && !giveName()))
            return false;
        if (!m_file.close())
            return false;
        m_renamed = ::renameat(m_folder, m_name.c_str(), m_folder, m_target.c_str()) == 0;
        m_pending.release();
        return m_renamed;
    }

private:
    void createNamed()
    {
        removeStaleTemporaries();
        for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
            const std::string name = TemporaryNamePrefix(m_target) + RandomCharacters();
            m_pending.record(m_folder, name);
            m_file = FileDescriptor(::openat(m_folder, name.c_str(),
                                             O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC,
                                             kPrivateMode));
            if (m_file) {
                m_name = name;
                ::flock(m_file.get(), LOCK_EX | LOCK_NB); // tells a live save from a dead one
                return;
            }
            m_pending.release();
            if (errno != EEXIST)
                return;
        }
    }

    // An unnamed file gets its name only now, just before the rename.
    bool giveName()
    {
        const std::string self = "/proc/self/fd/" + std::to_string(m_file.get());
        for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
            const std::string name = TemporaryNamePrefix(m_target) + RandomCharacters();
            m_pending.record(m_folder, name);
            if (::linkat(AT_FDCWD, self.c_str(), m_folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                m_name = name;
                return true;
            }
            m_pending.release();
            if (errno != EEXIST)
                return false;
        }
        return false;
    }

    // Named temporaries of this target left by saves that died: their lock is
    // free and they have not changed for a minute.
    void removeStaleTemporaries() const
    {
        const int listing = ::openat(m_folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const std::unique_ptr<DIR, int (*)(DIR *)> folder(
            listing < 0 ? nullptr : ::fdopendir(listing), ::closedir);
        if (!folder) {
            if (listing >= 0)
                ::close(listing);
            return;
        }
        const std::string prefix = TemporaryNamePrefix(m_target);
        while (const dirent *entry = ::readdir(folder.get())) {
            const std::string name = entry->d_name;
            if (name.size() == prefix.size() + kRandomLength &&
                name.compare(0, prefix.size(), prefix) == 0)
                removeIfStale(name);
        }
    }

    void removeIfStale(const std::string &name) const
    {
        const FileDescriptor file(
            ::openat(m_folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat opened, named;
        if (file && ::flock(file.get(), LOCK_EX | LOCK_NB) == 0 &&
            ::fstat(file.get(), &opened) == 0 && S_ISREG(opened.st_mode) &&
            std::time(nullptr) - opened.st_mtime > kStaleTemporarySeconds &&
            ::fstatat(m_folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_ino == opened.st_ino && named.st_dev == opened.st_dev)
            ::unlinkat(m_folder, name.c_str(), 0);
    }

    int m_folder;
    std::string m_target;
    FileDescriptor m_file;
    std::string m_name; // empty while the file has none
    PendingName m_pending;
    bool m_renamed = false;
};

// The file a save would replace; `exists` false for a new one.
struct ExistingFile {
    bool exists = false;
    struct stat status {};
};

// O_NONBLOCK: a FIFO in the file's place must be refused, not waited on.
FileDescriptor OpenInFolder(const FolderEntry &entry, int access)
{
    return FileDescriptor(::openat(entry.folder.get(), entry.name.c_str(),
                                   access | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
}

// A failure when the target must not be replaced: it cannot be examined, is
// no regular file, or may not be written.
Outcome ExamineTarget(const FolderEntry &entry, ExistingFile &existing)
{
    if (::fstatat(entry.folder.get(), entry.name.c_str(), &existing.status, AT_SYMLINK_NOFOLLOW) !=
        0)
        return errno == ENOENT ? Outcome() : Outcome::failure(errno, entry.shown);
    existing.exists = true;
    if (!S_ISREG(existing.status.st_mode))
        return Outcome::failure(S_ISDIR(existing.status.st_mode) ? EISDIR : EINVAL, entry.shown);
    return OpenInFolder(entry, O_WRONLY) ? Outcome() : Outcome::failure(errno, entry.shown);
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

Outcome WriteReplacement(TemporaryFile &temporary, const FolderEntry &entry,
                         const ExistingFile &existing, const ContentWriter &writeContent)
{
    const mode_t mode =
        existing.exists ? existing.status.st_mode & kPermissionBits : 0666 & ~CurrentUmask();
    if (existing.exists)
        KeepOwnership(temporary.fd(), existing.status);
    else
        HandToFolderOwner(temporary.fd(), entry.folder.get());
    const int written = WriteThrough(temporary.fd(), writeContent);
    if (written != 0)
        return Outcome::failure(written, entry.shown);
    if (::fchmod(temporary.fd(), mode) != 0 || !temporary.commit() ||
        !SyncFolder(entry.folder.get()))
        return Outcome::failure(errno, entry.shown);
    return {};
}

bool ExceedsFileSizeLimit(std::size_t length)
{
    struct rlimit limit;
    return ::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
           length > limit.rlim_cur;
}

// Replaces every byte of `fd` with `content`. Space for the new length is
// reserved first, so that a full disk or a file-size limit fails while the
// old content is still whole.
Outcome OverwriteWhole(int fd, const std::string &content, const std::string &shown)
{
    if (ExceedsFileSizeLimit(content.size()))
        return Outcome::failure(EFBIG, shown);
    const auto length = static_cast<off_t>(content.size());
    if (length > 0 && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, length) != 0 && errno != EOPNOTSUPP &&
        errno != ENOSYS)
        return Outcome::failure(errno, shown);
    HeldSignals held(true);
    const bool written = SeekToStart(fd) && WriteAll(fd, content.data(), content.size()) &&
                         ::ftruncate(fd, length) == 0 && ::fsync(fd) == 0;
    const int error = errno;
    if (held.release())
        return Outcome::failure(EFBIG, shown);
    return written ? Outcome() : Outcome::failure(error, shown);
}

// Opens the file of `entry` for `access` and takes `lock` (LOCK_SH or LOCK_EX) on it.
Outcome OpenLocked(const FolderEntry &entry, int access, int lock, FileDescriptor &file)
{
    file = OpenInFolder(entry, access);
    if (!file)
        return Outcome::failure(errno, entry.shown);
    return LockFile(file.get(), lock, entry.shown);
}

bool NamesSameFile(const FolderEntry &entry, int fd)
{
    struct stat named, opened;
    return ::fstatat(entry.folder.get(), entry.name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           ::fstat(fd, &opened) == 0 && named.st_dev == opened.st_dev &&
           named.st_ino == opened.st_ino;
}

// For a folder that refuses new files. ESTALE: the file was replaced while
// this save waited for its lock.
Outcome RewriteInPlace(const FolderEntry &entry, const ContentWriter &writeContent,
                       const ContentReader &rereadContent)
{
    FileDescriptor file;
    Outcome locked = OpenLocked(entry, O_RDWR, LOCK_EX, file);
    if (!locked.ok())
        return locked;
    if (!NamesSameFile(entry, file.get()))
        return Outcome::failure(ESTALE, entry.shown);
    if (rereadContent) {
        Outcome reread = rereadContent(file.get());
        if (!reread.ok())
            return reread;
    }
    std::ostringstream content;
    UseClassicLocale(content);
    if (!writeContent(content))
        return Outcome::failure(EIO, entry.shown);
    return OverwriteWhole(file.get(), content.str(), entry.shown);
}

bool IsFolderRefusingNewFiles(int error)
{
    return error == EACCES || error == EPERM;
}

Outcome SaveOnce(const GuardedPath &path, const ContentWriter &writeContent,
                 const ContentReader &rereadContent)
{
    FolderEntry entry;
    Outcome outcome = OpenFolderEntry(path, entry);
    ExistingFile existing;
    if (outcome.ok())
        outcome = ExamineTarget(entry, existing);
    if (!outcome.ok())
        return outcome;
    TemporaryFile temporary(entry.folder.get(), entry.name);
    if (temporary.isOpen())
        return WriteReplacement(temporary, entry, existing, writeContent);
    if (existing.exists && IsFolderRefusingNewFiles(errno))
        return RewriteInPlace(entry, writeContent, rereadContent);
    return Outcome::failure(errno, entry.shown);
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
    if (::mkdir(path.c_str(), static_cast<mode_t>(mode)) != 0)
        return errno == EEXIST && GetPathKind(path) == PathKind::Directory;
    const FileDescriptor parent(
        ::open(SplitFolderAndName(path).folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const FileDescriptor created(
        ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (parent && created)
        HandToFolderOwner(created.get(), parent.get());
    return true;
}

Outcome LockExclusively(int descriptor, const std::string &shown)
{
    return LockFile(descriptor, LOCK_EX, shown);
}

Outcome ReadFileLocked(const GuardedPath &path, const ContentReader &read, bool &found)
{
    found = false;
    GuardedPath existing = path;
    existing.creatableLevels = 0;
    FolderEntry entry;
    const Outcome located = OpenFolderEntry(existing, entry);
    if (!located.ok())
        return located.error() == ENOENT ? Outcome() : located;
    struct stat status;
    if (::fstatat(entry.folder.get(), entry.name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? Outcome() : Outcome::failure(errno, entry.shown);
    // Directories, FIFOs and devices are no files to read; a FIFO would even block.
    if (!S_ISREG(status.st_mode))
        return Outcome::failure(S_ISDIR(status.st_mode) ? EISDIR : EINVAL, entry.shown);
    FileDescriptor file;
    Outcome locked = OpenLocked(entry, O_RDONLY, LOCK_SH, file);
    if (!locked.ok())
        return locked;
    found = true;
    return read(file.get());
}

Outcome ReplaceFileContent(const GuardedPath &path, const ContentWriter &writeContent,
                           const ContentReader &rereadContent)
{
    Outcome outcome;
    for (int attempt = 0; attempt < kInPlaceAttempts; ++attempt) {
        outcome = SaveOnce(path, writeContent, rereadContent);
        if (outcome.error() != ESTALE)
            break;
    }
    return outcome;
}

bool ReplaceWithPrivateFile(const std::string &path, const std::string &content)
{
    const GuardedPath split = TrustingFolderOf(path);
    FileDescriptor folder;
    const Outcome opened = OpenGuardedFolder({split.trustedFolder, std::string()}, folder);
    if (!opened.ok()) {
        errno = opened.error();
        return false;
    }
    // The kernel protects such files from others' renames; root is refused
    // here all the same, so that a planted file is never replaced.
    struct stat folderStatus, fileStatus;
    if (::fstat(folder.get(), &folderStatus) == 0 && (folderStatus.st_mode & S_ISVTX) != 0 &&
        ::fstatat(folder.get(), split.below.c_str(), &fileStatus, AT_SYMLINK_NOFOLLOW) == 0 &&
        fileStatus.st_uid != ::geteuid()) {
        errno = EPERM;
        return false;
    }
    TemporaryFile temporary(folder.get(), split.below);
    if (!temporary.isOpen() || ::fchmod(temporary.fd(), kPrivateMode) != 0)
        return false;
    const int written = WriteThrough(temporary.fd(), BytesWriter(content));
    if (written != 0) {
        errno = written;
        return false;
    }
    return temporary.commit() && SyncFolder(folder.get());
}

void RemovePendingTemporaryFile() noexcept
{
    for (PendingSlot &slot : g_pending)
        if (slot.state.load() == kArmed)
            ::unlinkat(slot.folder, slot.name.data(), 0);
}

} // namespace stubsetup::platform
