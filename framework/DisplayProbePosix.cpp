#include "framework/DisplayProbe.h"

#include "common/platform/FileDescriptor.h"

#include <xcb/xcb.h>

#include <sys/socket.h>
#include <sys/un.h>

#include <cstring>

namespace stubsetup::displayProbe {

XConnection::XConnection(const std::string &display)
    : m_connection(xcb_connect(display.c_str(), nullptr))
{}

XConnection::~XConnection()
{
    xcb_disconnect(m_connection);
}

bool XConnection::accepted() const
{
    return xcb_connection_has_error(m_connection) == 0;
}

bool waylandSocketAccepts(const std::string &socketPath)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    // A path that does not fit is not cut short: it would name another socket.
    if (socketPath.empty() || socketPath.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, socketPath.data(), socketPath.size());

    const platform::FileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket)
        return false;
    return ::connect(socket.get(), reinterpret_cast<const sockaddr *>(&address), sizeof address) ==
           0;
}

} // namespace stubsetup::displayProbe
