#include "InstallerLib/UpdaterFolders.h"

#include "InstallerLib/platform/FileSystem.h"
#include "InstallerLib/platform/KnownFolders.h"

#include <array>
#include <cerrno>

namespace stubsetup {
namespace {

using platform::KnownFolder;

constexpr unsigned int kPublicFolderMode = 0777;
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

bool CreateTree(const std::string &path, unsigned int mode)
{
    if (IsDirectory(path))
        return true;
    const std::string parent = ParentPath(path);
    if (!parent.empty() && !CreateTree(parent, mode))
        return false;
    return platform::MakeDirectory(path, mode);
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
        return CreateTree(path, kPrivateFolderMode);
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

bool GetUpdaterFolder(std::string &path)
{
    std::string folder;
    if (!GetSpecialFolder(kUpdaterBaseFolder, folder, true))
        return false;
    for (const char *level : {kCorvaneFolderName, kUpdaterFolderName}) {
        folder = JoinPath(folder, level);
        if (!CreateDirectoryTree(folder))
            return false;
    }
    path = folder;
    return true;
}

bool LocateUpdaterFolder(std::string &path)
{
    std::string folder;
    if (!GetSpecialFolder(kUpdaterBaseFolder, folder, false))
        return false;
    path = JoinPath(JoinPath(folder, kCorvaneFolderName), kUpdaterFolderName);
    return true;
}

std::string JoinPath(const std::string &first, const std::string &second)
{
    if (first.empty())
        return second;
    return first.back() == '/' ? first + second : first + '/' + second;
}

std::string ParentPath(const std::string &path)
{
    if (path.size() >= kPathLimit)
        return {};
    // The last component starts after the last separator that something other
    // than a separator follows; trailing separators stay with it.
    std::size_t componentStart = 0;
    for (std::size_t pos = 0; pos + 1 < path.size(); ++pos) {
        if (path[pos] == '/' && path[pos + 1] != '/')
            componentStart = pos + 1;
    }
    if (componentStart == 0)
        return {};
    return path.substr(0, componentStart - 1);
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
    return CreateTree(path, kPublicFolderMode);
}

} // namespace stubsetup
