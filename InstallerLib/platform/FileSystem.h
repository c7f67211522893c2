#pragma once

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
bool MakeDirectory(const std::string &path, unsigned int mode);

// Replaces the content of the regular file `path` (or creates it) with what
// `writeContent` writes to the stream it is given; `writeContent` answers
// whether it succeeded. The new content goes to a temporary file in the same
// folder that is synced and renamed over the target (the folder is synced
// too), so readers see either the old or the whole new file, even after a
// power cut. The replacement keeps the old file's permission bits (never
// set-user-ID, set-group-ID or sticky) and, where the process may set them,
// its owner and group. A symbolic link is followed: the file it points to is
// replaced and the link stays. When the folder refuses new files but the file
// itself is writable, the file is rewritten in place instead.
// On failure the target stays as it was and errno tells why.
bool ReplaceFileContent(const std::string &path,
                        const std::function<bool(std::ostream &)> &writeContent);

// Puts `content` at `path` as a new file readable by its owner only, through
// a temporary file renamed over the name: a symbolic link there is replaced,
// never followed. A file of another user in a sticky folder is left alone.
// On failure whatever was at `path` stays and errno tells why.
bool ReplaceWithPrivateFile(const std::string &path, const std::string &content);

// Removes the temporary file of a replacement in progress, if any. Only
// async-signal-safe calls: meant for signal handlers that end the process.
void RemovePendingTemporaryFile() noexcept;

} // namespace stubsetup::platform
