#include "InstallerLib/UpdaterFolders.h"

#include "InstallerLib/platform/KnownFolders.h"
#include "common/platform/FileSystem.h"
#include "common/platform/GuardedPath.h"

#include <array>
#include <cerrno>

namespace stubsetup {
namespace {

using platform::KnownFolder;

// Whatever the umask, never writable by group or others: anyone who could
// write there could plant links for a privileged run to follow.
constexpr unsigned int kPublicFolderMode = 0755;
// The XDG base-directory rules ask for private folders where they are missing.
constexpr unsigned int kPrivateFolderMode = 0700;

enum class Creation { LastLevel, AllLevelsPrivate };

struct FolderMapping {
    KnownFolder folder;
    Creation creation;
};

// Indexed by SpecialFolderKind; kinds 0 and 1 are answered by GetTempFolder.
constexpr std::array<FolderMapping, 12> kFolderMappings = {{
    {KnownFolder::Temporary, Creation::LastLevel},
    {KnownFolder::Temporary, Creation::LastLevel},
    {KnownFolder::Desktop, Creation::LastLevel},
    {KnownFolder::Documents, Creation::LastLevel},
    {KnownFolder::UserCache, Creation::AllLevelsPrivate},
    {KnownFolder::UserData, Creation::AllLevelsPrivate},
    {KnownFolder::UserData, Creation::AllLevelsPrivate},
    {KnownFolder::SharedData, Creation::LastLevel},
    {KnownFolder::PublicShare, Creation::LastLevel},
    {KnownFolder::UserFonts, Creation::LastLevel},
    {KnownFolder::SystemFiles, Creation::LastLevel},
    {KnownFolder::SharedPrograms, Creation::LastLevel},
}};

bool IsDirectory(const std::string &path)
{
    return platform::GetPathKind(path) == platform::PathKind::Directory;
}

// A failure names the level that could not be made.
Outcome CreateTree(const std::string &path, unsigned int mode)
{
    if (IsDirectory(path))
        return {};
    const std::string parent = ParentPath(path);
    if (!parent.empty()) {
        Outcome madeParent = CreateTree(parent, mode);
        if (!madeParent.ok())
            return madeParent;
    }
    return platform::MakeDirectory(path, mode) ? Outcome() : Outcome::failure(errno, path);
}

// Folder paths are handled in buffers of a fixed size; longer ones are refused.
bool LocateFolder(KnownFolder folder, std::string &path)
{
    std::string located;
    if (!platform::LocateKnownFolder(folder, located)) {
        errno = ENOENT;
        return false;
    }
    if (located.size() >= kFolderBufferSize) {
        errno = ENAMETOOLONG;
        return false;
    }
    path = located;
    return true;
}

bool CreateFolder(const std::string &path, Creation creation)
{
    if (creation == Creation::AllLevelsPrivate)
        return CreateTree(path, kPrivateFolderMode).ok();
    return CreateSingleDirectory(path);
}

} // namespace

bool GetSpecialFolder(int kind, std::string &path, bool create)
{
    if (kind == kTemporaryFolder || kind == kTemporaryFolderAlias)
        return GetTempFolder(path, create);
    if (kind < 0 || static_cast<std::size_t>(kind) >= kFolderMappings.size())
        return false;
    const FolderMapping &mapping = kFolderMappings[static_cast<std::size_t>(kind)];
    std::string folder;
    if (!LocateFolder(mapping.folder, folder) ||
        (create && !CreateFolder(folder, mapping.creation)))
        return false;
    path = folder;
    return true;
}

bool GetTempFolder(std::string &path, bool create)
{
    std::string folder;
    if (!LocateFolder(KnownFolder::Temporary, folder))
        return false;
    if (create && !PathExists(folder) && !CreateSingleDirectory(folder))
        return false;
    path = folder;
    return true;
}

Outcome PrepareUserDataFolder(std::string &path)
{
    std::string folder;
    if (!LocateFolder(KnownFolder::UserData, folder))
        return Outcome::failure(errno, std::string(),
                                "no folder for user data: " + platform::WhyHomeFoldersAreUnknown());
    Outcome made = CreateTree(folder, kPrivateFolderMode);
    if (made.ok())
        path = folder;
    return made;
}

bool GetUpdaterFolder(std::string &path)
{
    std::string userData;
    platform::FileDescriptor updater;
    const std::string below = JoinPath(kCorvaneFolderName, kUpdaterFolderName);
    if (!PrepareUserDataFolder(userData).ok())
        return false;
    const Outcome made = platform::OpenGuardedFolder({userData, below, 2}, updater);
    if (!made.ok()) {
        errno = made.error();
        return false;
    }
    path = JoinPath(userData, below);
    return true;
}

bool PathExists(const std::string &path)
{
    return platform::GetPathKind(path) != platform::PathKind::Missing;
}

bool CreateSingleDirectory(const std::string &path)
{
    return platform::MakeDirectory(path, kPublicFolderMode);
}

bool CreateDirectoryTree(const std::string &path)
{
    const Outcome made = CreateTree(path, kPublicFolderMode);
    if (!made.ok())
        errno = made.error();
    return made.ok();
}

} // namespace stubsetup
