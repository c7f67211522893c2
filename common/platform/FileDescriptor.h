#pragma once

#include <cstddef>
#include <string>
#include <utility>

namespace stubsetup::platform {

// Owns one open file descriptor. Closing is checked where it matters (some
// file systems report the last writes as failed only then); the destructor
// closes quietly and leaves errno as it was, so a failure's reason survives
// the clean-up after it.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int descriptor) : m_descriptor(descriptor) {}
    FileDescriptor(FileDescriptor &&other) noexcept
        : m_descriptor(std::exchange(other.m_descriptor, -1))
    {}
    FileDescriptor &operator=(FileDescriptor &&other) noexcept;
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    ~FileDescriptor() { closeQuietly(); }

    int get() const { return m_descriptor; }
    explicit operator bool() const { return m_descriptor >= 0; }
    // False, errno set, when the close reports an error.
    bool close();

private:
    void closeQuietly() noexcept;

    int m_descriptor = -1;
};

// Opens `path` for reading (a FIFO never holds the caller up). An empty
// descriptor, errno set, when it cannot be opened.
FileDescriptor OpenForReading(const std::string &path);

// The size of the open file in bytes, or -1 with errno set.
long long FileSize(int descriptor);

// Moves the file position back to the start; false, errno set, on failure.
bool SeekToStart(int descriptor);

// Reads until `size` bytes are in or the file ends, resuming after
// interruptions. The count read, or -1 with errno set on a failed read.
long long ReadFull(int descriptor, char *data, std::size_t size);

// Writes all `size` bytes, resuming after interruptions and short writes.
// False, errno set, on the first failed write.
bool WriteAll(int descriptor, const char *data, std::size_t size);

} // namespace stubsetup::platform
