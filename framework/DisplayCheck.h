#pragma once

#include <functional>
#include <string>

namespace stubsetup {

// Answers an environment variable's value; empty when it is not set.
using EnvironmentLookup = std::function<std::string(const char *name)>;

EnvironmentLookup processEnvironment();

// The Qt platform plugin the application is started with, chosen the way Qt
// itself would choose it from the environment.
struct DisplayTarget {
    std::string platform;      // plugin name ("xcb", "wayland", "offscreen"...); empty: none
    std::string platformEntry; // the entry as Qt takes it, options included
};

DisplayTarget chooseDisplayTarget(const EnvironmentLookup &environment);

// Where a Wayland client connects, from WAYLAND_DISPLAY and XDG_RUNTIME_DIR.
std::string waylandSocketPath(const EnvironmentLookup &environment);

// Qt aborts the process when the display it was told about is dead, so the
// display is tried before Qt gets to it. Platforms without a server to reach
// (offscreen, minimal, vnc...) are trusted.
bool canReachDisplay(const DisplayTarget &target, const EnvironmentLookup &environment);

} // namespace stubsetup
