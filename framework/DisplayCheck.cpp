#include "framework/DisplayCheck.h"

#include "framework/DisplayProbe.h"

namespace stubsetup {

namespace {

constexpr char kDefaultWaylandDisplay[] = "wayland-0";

} // namespace

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
