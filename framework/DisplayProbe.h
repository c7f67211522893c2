#pragma once

#include <string>

struct xcb_connection_t;

namespace stubsetup::displayProbe {

// A connection to the X server named by `display`, open while this lives.
class XConnection {
public:
    explicit XConnection(const std::string &display);
    ~XConnection();
    XConnection(const XConnection &) = delete;
    XConnection &operator=(const XConnection &) = delete;

    // Whether the server accepted it (authorisation included).
    bool accepted() const;

private:
    xcb_connection_t *m_connection;
};

// Whether a Wayland compositor accepts a connection on the socket at `socketPath`.
bool waylandSocketAccepts(const std::string &socketPath);

} // namespace stubsetup::displayProbe
