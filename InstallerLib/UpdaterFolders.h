#pragma once

#include "common/Outcome.h"
#include "common/platform/Paths.h"

#include <cstddef>
#include <string>

namespace stubsetup {

// The path operations of the installer interface are the platform's own.
using platform::JoinPath;
using platform::kPathLimit;
using platform::ParentPath;

// Room for a folder path as the platform reports it, terminator included.
inline constexpr std::size_t kFolderBufferSize = 2 * kPathLimit;

inline constexpr char kCorvaneFolderName[] = "Corvane";
inline constexpr char kUpdaterFolderName[] = "Updater";

// Well-known folders, by the numbers callers pass around.
enum SpecialFolderKind : int {
    kTemporaryFolder = 0,
    kTemporaryFolderAlias = 1,
    kDesktopFolder = 2,
    kDocumentsFolder = 3,
    kCacheFolder = 4,
    kAppDataFolder = 5,
    kUpdaterBaseFolder = 6, // the user's application data, as 5
    kCommonAppDataFolder = 7,
    kCommonDocumentsFolder = 8,
    kFontsFolder = 9,
    kSystemFolder = 10,
    kCommonProgramsFolder = 11,
};

// The folder of `kind` (a SpecialFolderKind); with `create`, it is created
// when missing (its last level only, but every missing level of the XDG
// cache and data folders, with mode 0700). False, `path` untouched, for an
// unknown kind or a folder that cannot be told or created.
bool GetSpecialFolder(int kind, std::string &path, bool create);
// $TMPDIR or /tmp, ending with '/'.
bool GetTempFolder(std::string &path, bool create);
// <user data>/Corvane/Updater, created level by level.
bool GetUpdaterFolder(std::string &path);
// The user's data folder, its missing levels made private to the user; a
// failure names the level that could not be made, or says why the folder
// cannot be told.
Outcome PrepareUserDataFolder(std::string &path);

bool PathExists(const std::string &path);
// One level, mode 0755 less the umask (never writable by group or others); an existing directory
// counts as done.
bool CreateSingleDirectory(const std::string &path);
// The directory and every missing ancestor; true when it is a directory now.
bool CreateDirectoryTree(const std::string &path);

} // namespace stubsetup
