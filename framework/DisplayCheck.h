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

// Qt's Wayland platform may abort the process when the compositor it was
// told about is gone, so that socket is tried before Qt gets to it. Qt's X11
// platform finds a dead server itself and falls back (which counts as no
// display); a connection of our own just before Qt's was seen to make Qt's
// fail on a live server. Platforms without a server to reach (offscreen,
// minimal, vnc...) are trusted.
bool canReachDisplay(const DisplayTarget &target, const EnvironmentLookup &environment);

} // namespace stubsetup
