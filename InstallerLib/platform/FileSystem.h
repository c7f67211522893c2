#pragma once

#include <functional>
#include <ostream>
#include <string>

namespace stubsetup::platform {

enum class PathKind { Missing, RegularFile, Directory, Other };

// What `path` names, following symbolic links.
PathKind GetPathKind(const std::string &path);

// Creates one directory level; an existing directory counts as success.
bool MakeDirectory(const std::string &path, unsigned int mode);

// Replaces the content of the regular file `path` (or creates it) with what
// `writeContent` writes to the stream it is given; `writeContent` answers
// whether it succeeded. The new content goes to a temporary file in the same
// folder that is synced and renamed over the target, so readers see either
// the old or the whole new file. On any failure the target stays as it was.
// A symbolic link is followed: the file it points to is replaced.
bool ReplaceFileContent(const std::string &path,
                        const std::function<bool(std::ostream &)> &writeContent);

} // namespace stubsetup::platform
