#pragma once

#include <string>

namespace stubsetup::platform {

enum class KnownFolder {
    Temporary,      // ends with a separator
    Desktop,        // XDG user directory
    Documents,      // XDG user directory
    UserCache,      // XDG base directory
    UserData,       // XDG base directory
    SharedData,     // application data of all users
    PublicShare,    // XDG user directory
    UserFonts,      // below the XDG data directory
    SystemFiles,    // the operating system's own tree
    SharedPrograms, // add-on programs of all users
};

// The folder's path; false (and `path` untouched) when it cannot be told,
// e.g. without HOME and without the XDG variable that names it.
bool LocateKnownFolder(KnownFolder folder, std::string &path);

// Why the folders that depend on HOME cannot be told, in words.
std::string WhyHomeFoldersAreUnknown();

} // namespace stubsetup::platform
