// karvo-simctl: drives the emulated mouse of a running demo through its control socket.

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "control_socket_path.h"

namespace {

constexpr int kExitBadInput = 2;

void Usage(FILE* out)
{
    std::fputs("Usage: karvo-simctl [--socket PATH] COMMAND\n\n"
               "Commands:\n"
               "  state                   the mouse's decoded state as JSON\n"
               "  press dpi               press the DPI button: next enabled stage\n"
               "  battery N               report battery level N (0..10, tenths)\n"
               "  sleep | wake            the mouse falls asleep or wakes up\n"
               "  light N                 change the lighting effect on the mouse (0..7)\n"
               "  unplug cable|receiver   remove a link\n"
               "  plug cable|receiver     attach a link\n"
               "  ble pair|unpair         the mouse connects or goes over Bluetooth LE (the demo's\n"
               "                          stand-in for BlueZ, karvo-simbluez, shows or drops it)\n"
               "  send cable|receiver HEX...  write raw bytes to the mouse, as another program could\n"
               "  reset                   forget everything the mouse was sent\n\n"
               "The socket is $KARVO_SIM_SOCKET, else $XDG_RUNTIME_DIR/karvo-simmouse.sock.\n",
               out);
}

}  // namespace

int main(int argc, char* argv[])
{
    std::string path = sim::ControlSocketPath();
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--socket") == 0) {
        path = argv[2];
        first = 3;
    }
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        Usage(stdout);
        return 0;
    }
    if (first >= argc) {
        Usage(stderr);
        return kExitBadInput;
    }
    std::string line;
    for (int i = first; i < argc; ++i)
        line += (i > first ? " " : "") + std::string(argv[i]);

    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::fprintf(stderr, "karvo-simctl: no emulated mouse listens on %s (is the demo running?)\n", path.c_str());
        return kExitBadInput;
    }
    line += '\n';
    if (write(fd, line.data(), line.size()) != ssize_t(line.size())) {
        std::fprintf(stderr, "karvo-simctl: cannot send the command\n");
        return kExitBadInput;
    }
    std::string reply;
    char buffer[4096];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0)
        reply.append(buffer, std::size_t(got));
    close(fd);
    std::fputs(reply.c_str(), stdout);
    return reply.rfind("error", 0) == 0 ? kExitBadInput : 0;
}
