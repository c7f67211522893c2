#pragma once

#include "common/DisplayTarget.h"
#include "framework/DisplayProbe.h"

#include <memory>
#include <string>

namespace stubsetup {

// Where a Wayland client connects, from WAYLAND_DISPLAY and XDG_RUNTIME_DIR.
std::string waylandSocketPath(const EnvironmentLookup &environment);

// The display is tried before Qt gets to it: Qt's Wayland platform may abort
// the process when the compositor it was told about is gone, and its X11
// platform, finding no server, prints lines of its own before it falls back.
// The X connection made here stays open as long as this lives, so that a
// server that resets when its last client leaves (Xvfb without -noreset)
// cannot reset between it and Qt's own. Platforms without a server to reach
// (offscreen, minimal, vnc...) are trusted.
class DisplayReach {
public:
    DisplayReach(const DisplayTarget &target, const EnvironmentLookup &environment);
    bool reached() const { return m_reached; }

private:
    std::unique_ptr<displayProbe::XConnection> m_xConnection;
    bool m_reached = false;
};

} // namespace stubsetup
