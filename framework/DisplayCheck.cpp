#include "framework/DisplayCheck.h"

#include "framework/DisplayProbe.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace stubsetup {

namespace {

constexpr char kX11Platform[] = "xcb";
constexpr char kWaylandPlatform[] = "wayland";
constexpr char kDefaultWaylandDisplay[] = "wayland-0";

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

std::string waylandSocketPath(const EnvironmentLookup &environment)
{
    std::string display = environment("WAYLAND_DISPLAY");
    if (display.empty())
        display = kDefaultWaylandDisplay;
    if (display.front() == '/')
        return display;
    const std::string runtimeFolder = environment("XDG_RUNTIME_DIR");
    // Without a runtime folder a relative name would resolve against the
    // current directory, which is not where compositors put their sockets.
    if (runtimeFolder.empty())
        return {};
    return runtimeFolder + '/' + display;
}

DisplayReach::DisplayReach(const DisplayTarget &target, const EnvironmentLookup &environment)
{
    if (target.platform == kWaylandPlatform) {
        m_reached = displayProbe::waylandSocketAccepts(waylandSocketPath(environment));
    } else if (target.platform == kX11Platform) {
        m_xConnection = std::make_unique<displayProbe::XConnection>(environment("DISPLAY"));
        m_reached = m_xConnection->accepted();
    } else {
        m_reached = !target.platform.empty();
    }
}

} // namespace stubsetup
