#pragma once

#include "common/Outcome.h"
#include "common/platform/GuardedPath.h"

#include <functional>
#include <ostream>
#include <string>

namespace stubsetup::platform {

// Unreadable: the path could not be examined (errno says why), which is not
// the same as knowing that nothing is there.
enum class PathKind { Missing, RegularFile, Directory, Other, Unreadable };

// What `path` names, following symbolic links.
PathKind GetPathKind(const std::string &path);

// Creates one directory level; an existing directory counts as success.
// Root hands a new level to the owner of the folder it was made in.
bool MakeDirectory(const std::string &path, unsigned int mode);

// How long a save or a read waits for another process's lock on the file.
inline constexpr int kLockWaitSeconds = 10;

// Takes an exclusive flock on the open file, waiting for another process's
// lock at most kLockWaitSeconds; `shown` names the file in a failure.
Outcome LockExclusively(int descriptor, const std::string &shown);

// Writes the new content to the stream; false when it could not.
using ContentWriter = std::function<bool(std::ostream &)>;
// Writes exactly `content`; it must outlive the writer.
inline ContentWriter BytesWriter(const std::string &content)
{
    return [&content](std::ostream &stream) {
        return static_cast<bool>(
            stream.write(content.data(), static_cast<std::streamsize>(content.size())));
    };
}

// Reads the file from the descriptor (at its start) so that the content is
// made from what the file holds now; a failure is handed back as it is.
using ContentReader = std::function<Outcome(int descriptor)>;

// Reads the regular file at `path` under a shared lock, waiting for a writer
// that holds the lock at most kLockWaitSeconds. `found` false, and `read` not
// called, when there is no file.
Outcome ReadFileLocked(const GuardedPath &path, const ContentReader &read, bool &found);

// Replaces the content of the regular file at `path` (or creates it) with
// what `writeContent` writes. The new content goes to a file in the same
// folder that has no name until it is complete and synced and is then renamed
// over the target, so readers see either the old or the whole new file, even
// after a power cut or a killed process. The replacement keeps the old file's
// permission bits (never set-user-ID, set-group-ID or sticky) and, where the
// process may set them, its owner and group.
// When the folder refuses new files but the file itself is writable, the file
// is rewritten in place instead, under an exclusive lock: `rereadContent`
// (when given) first reads it again, then its new length is reserved, so that
// a full disk or a file-size limit fails before an old byte changes, and the
// terminating signals are held off while the bytes are replaced. Readers that
// do not take the lock may see the rewrite half done.
// On failure the target stays as it was.
Outcome ReplaceFileContent(const GuardedPath &path, const ContentWriter &writeContent,
                           const ContentReader &rereadContent = {});

// Puts `content` at `path` as a new file readable by its owner only, through
// a temporary file renamed over the name: a symbolic link there is replaced,
// never followed. A file of another user in a sticky folder is left alone.
// On failure whatever was at `path` stays and errno tells why.
bool ReplaceWithPrivateFile(const std::string &path, const std::string &content);

// Removes the named temporary files of the saves in progress, if any. Only
// async-signal-safe calls: meant for signal handlers that end the process.
void RemovePendingTemporaryFile() noexcept;

} // namespace stubsetup::platform
