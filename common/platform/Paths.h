#pragma once

#include <climits>
#include <cstddef>
#include <string>

namespace stubsetup::platform {

// Paths this long or longer are not taken apart.
inline constexpr std::size_t kPathLimit = PATH_MAX;

// `first`, a '/' unless it already ends with one, then `second` unchanged.
// An empty `first` gives `second`, so a relative name never turns absolute.
std::string JoinPath(const std::string &first, const std::string &second);

// `path` without its last component (a trailing '/' belongs to it) and the
// separator before it: "/a/b" and "/a/b/" give "/a", "/a" gives "". Empty
// for a bare name, the root, and paths of kPathLimit characters or more.
std::string ParentPath(const std::string &path);

// A path taken apart for opening its last component relative to its folder.
struct FolderAndName {
    std::string folder; // "/" for a name in the root, "." for a bare name
    std::string name;   // keeps a trailing '/': such a path names a folder
};

// ParentPath's split, with the folders it leaves unnamed spelled out. A path
// of kPathLimit characters or more, which the system would refuse, gives
// two empty parts.
FolderAndName SplitFolderAndName(const std::string &path);

} // namespace stubsetup::platform
