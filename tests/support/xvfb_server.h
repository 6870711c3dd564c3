#pragma once

#include <string>
#include <sys/types.h>

// A private X server for one test program: Xvfb on a display number it picks itself, reachable
// only through its local socket, stopped when the object goes.
class XvfbServer {
public:
    XvfbServer() = default;
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;
    ~XvfbServer();

    // Starts the server and waits (to a deadline) until it accepts connections. False when Xvfb is
    // missing or does not come up. As the desktop, it is also this process's X11 session (DISPLAY).
    bool Start(bool asDesktop = false, const char* screen = "640x480x24");
    const std::string& Display() const { return m_display; }  // ":N", empty before a successful Start

private:
    pid_t m_pid = 0;
    std::string m_display;
};
