// Where the emulated mouse's control socket listens: $KARVO_SIM_SOCKET, else the user's runtime
// folder. Shared by the emulated mouse and karvo-simctl.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace sim {

inline std::string ControlSocketPath()
{
    if (const char* path = std::getenv("KARVO_SIM_SOCKET"))
        return path;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"))
        return std::string(runtime) + "/karvo-simmouse.sock";
    return "/tmp/karvo-simmouse-" + std::to_string(getuid()) + ".sock";
}

}  // namespace sim
