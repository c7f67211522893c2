#include "common/DisplayTarget.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace stubsetup {
namespace {

std::string firstEntry(const std::string &platformList)
{
    return platformList.substr(0, platformList.find(';'));
}

// Qt takes plugin names in any case.
std::string pluginName(const std::string &platformEntry)
{
    std::string name = platformEntry.substr(0, platformEntry.find(':'));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
}

} // namespace

EnvironmentLookup processEnvironment()
{
    return [](const char *name) {
        const char *value = std::getenv(name);
        return std::string(value ? value : "");
    };
}

DisplayTarget chooseDisplayTarget(const EnvironmentLookup &environment)
{
    const std::string requested = environment("QT_QPA_PLATFORM");
    std::string entry;
    if (!requested.empty())
        entry = firstEntry(requested);
    else if (!environment("DISPLAY").empty())
        entry = kX11Platform;
    else if (!environment("WAYLAND_DISPLAY").empty())
        entry = kWaylandPlatform;
    return DisplayTarget{pluginName(entry), entry};
}

} // namespace stubsetup
