#include "InstallerLib/platform/KnownFolders.h"

#include "InstallerLib/platform/Environment.h"

#include <fstream>

namespace stubsetup::platform {
namespace {

constexpr char kHomePrefix[] = "$HOME";

// XDG locations count only when they are absolute; anything else is ignored.
bool AbsoluteVariable(const char *name, std::string &value)
{
    std::string found;
    if (!LookupEnvironment(name, found) || found.empty() || found[0] != '/')
        return false;
    value = found;
    return true;
}

std::string Below(std::string folder, const char *relative)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder + relative;
}

bool BelowHome(const char *relative, std::string &path)
{
    std::string home;
    if (!AbsoluteVariable("HOME", home))
        return false;
    path = Below(home, relative);
    return true;
}

bool BaseDirectory(const char *variable, const char *belowHome, std::string &path)
{
    return AbsoluteVariable(variable, path) || BelowHome(belowHome, path);
}

// The quoted value of a user-dirs.dirs line, with backslash escapes removed.
std::string UnquotedValue(const std::string &line, std::size_t openingQuote)
{
    std::string value;
    for (std::size_t pos = openingQuote + 1; pos < line.size() && line[pos] != '"'; ++pos) {
        if (line[pos] == '\\' && pos + 1 < line.size())
            ++pos;
        value += line[pos];
    }
    return value;
}

// "$HOME/..." or an absolute path; anything else does not name a folder.
bool ExpandUserDirValue(const std::string &value, std::string &path)
{
    const std::string prefix = kHomePrefix;
    if (value.compare(0, prefix.size(), prefix) == 0 &&
        (value.size() == prefix.size() || value[prefix.size()] == '/')) {
        std::string home;
        if (!AbsoluteVariable("HOME", home))
            return false;
        path = home + value.substr(prefix.size());
        return true;
    }
    if (value.empty() || value[0] != '/')
        return false;
    path = value;
    return true;
}

// Looks `key` up in user-dirs.dirs; like the shell that sources the file, the
// last valid assignment wins.
bool UserDirsEntry(const std::string &key, std::string &path)
{
    std::string configHome;
    if (!BaseDirectory("XDG_CONFIG_HOME", ".config", configHome))
        return false;
    std::ifstream file(Below(configHome, "user-dirs.dirs"));
    const std::string assignment = key + "=\"";
    bool found = false;
    for (std::string line; std::getline(file, line);) {
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, assignment.size(), assignment) != 0)
            continue;
        found =
            ExpandUserDirValue(UnquotedValue(line, start + assignment.size() - 1), path) || found;
    }
    return found;
}

bool UserDirectory(const std::string &key, const char *belowHome, std::string &path)
{
    return UserDirsEntry(key, path) || BelowHome(belowHome, path);
}

bool TemporaryFolder(std::string &path)
{
    std::string folder;
    if (!AbsoluteVariable("TMPDIR", folder))
        folder = "/tmp";
    path = Below(folder, "");
    return true;
}

bool UserFontsFolder(std::string &path)
{
    std::string data;
    if (!BaseDirectory("XDG_DATA_HOME", ".local/share", data))
        return false;
    path = Below(data, "fonts");
    return true;
}

bool FixedFolder(const char *folder, std::string &path)
{
    path = folder;
    return true;
}

} // namespace

bool LocateKnownFolder(KnownFolder folder, std::string &path)
{
    std::string found;
    bool located = false;
    switch (folder) {
    case KnownFolder::Temporary:
        located = TemporaryFolder(found);
        break;
    case KnownFolder::Desktop:
        located = UserDirectory("XDG_DESKTOP_DIR", "Desktop", found);
        break;
    case KnownFolder::Documents:
        located = UserDirectory("XDG_DOCUMENTS_DIR", "Documents", found);
        break;
    case KnownFolder::UserCache:
        located = BaseDirectory("XDG_CACHE_HOME", ".cache", found);
        break;
    case KnownFolder::UserData:
        located = BaseDirectory("XDG_DATA_HOME", ".local/share", found);
        break;
    case KnownFolder::SharedData:
        located = FixedFolder("/var/lib", found);
        break;
    case KnownFolder::PublicShare:
        located = UserDirectory("XDG_PUBLICSHARE_DIR", "Public", found);
        break;
    case KnownFolder::UserFonts:
        located = UserFontsFolder(found);
        break;
    case KnownFolder::SystemFiles:
        located = FixedFolder("/usr", found);
        break;
    case KnownFolder::SharedPrograms:
        located = FixedFolder("/opt", found);
        break;
    }
    if (located)
        path = found;
    return located;
}

std::string WhyHomeFoldersAreUnknown()
{
    std::string home;
    if (!LookupEnvironment("HOME", home))
        return "neither XDG_DATA_HOME nor HOME is set";
    if (home.empty())
        return "HOME is empty";
    return home[0] == '/' ? "the folder cannot be told" : "HOME is not an absolute path";
}

} // namespace stubsetup::platform
