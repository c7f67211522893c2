#include "common/platform/Paths.h"

namespace stubsetup::platform {

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

FolderAndName SplitFolderAndName(const std::string &path)
{
    if (path.empty() || path.size() >= kPathLimit)
        return {};
    const std::string parent = ParentPath(path);
    if (!parent.empty())
        return {parent, path.substr(parent.size() + 1)};
    if (path.front() == '/')
        return {"/", path.substr(1)};
    return {".", path};
}

} // namespace stubsetup::platform
