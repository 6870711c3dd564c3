#include "support/xvfb_server.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

XvfbServer::~XvfbServer() {
    if (m_pid > 0)
        kill(m_pid, SIGTERM), waitpid(m_pid, nullptr, 0);
}

bool XvfbServer::Start(bool asDesktop, const char* screen) {
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    // Xvfb writes its display number to the descriptor once it accepts connections.
    const std::string displayFd = std::to_string(fds[1]);
    const char* argv[] = {"Xvfb", "-displayfd", displayFd.c_str(), "-nolisten", "tcp", "-screen", "0", screen, nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (char c = 0; spawned == 0 && (number.empty() || number.back() != '\n'); number.push_back(c)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd readable{fds[0], POLLIN, 0};
        if (left.count() <= 0 || poll(&readable, 1, int(left.count())) <= 0 || read(fds[0], &c, 1) != 1)
            break;
    }
    close(fds[0]);
    if (spawned != 0)
        m_pid = 0;
    if (number.empty() || number.back() != '\n')
        return false;
    m_display = ":" + number.substr(0, number.size() - 1);
    if (asDesktop)  // an X11 session: a Wayland one would keep the desktop's input from X11 programs
        unsetenv("WAYLAND_DISPLAY"), unsetenv("XDG_SESSION_TYPE"), setenv("DISPLAY", m_display.c_str(), 1);
    return true;
}
