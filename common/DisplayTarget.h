#pragma once

#include <functional>
#include <string>

namespace stubsetup {

// Answers an environment variable's value; empty when it is not set.
using EnvironmentLookup = std::function<std::string(const char *name)>;

EnvironmentLookup processEnvironment();

inline constexpr char kX11Platform[] = "xcb";
inline constexpr char kWaylandPlatform[] = "wayland";

// The Qt platform plugin the application is started with, chosen the way Qt
// itself would choose it from the environment. The one rule for "is there a
// display": quiet-capable code asks it before loading any toolkit.
struct DisplayTarget {
    std::string platform;      // plugin name ("xcb", "wayland", "offscreen"...); empty: none
    std::string platformEntry; // the entry as Qt takes it, options included
};

DisplayTarget chooseDisplayTarget(const EnvironmentLookup &environment);

} // namespace stubsetup
