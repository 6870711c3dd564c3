// The shared emulated device's exports: one set per link, forwarded to by the two driver
// libraries, plus in-process controls for tests.
#include <cstring>

#include "sim_mouse.h"

using sim::Link;
using sim::SimMouse;

#define KARVO_SIM_EXPORT extern "C" __attribute__((visibility("default")))

#define KARVO_SIM_LINK_EXPORTS(prefix, link)                                                                   \
    KARVO_SIM_EXPORT int32_t prefix##_Set_VIDPID(int32_t v, int32_t p) { return SimMouse::Instance().SetVidPid(link, v, p); } \
    KARVO_SIM_EXPORT int32_t prefix##_Open_DevMonitor(const KarvoPostTarget* t, uint32_t e, uint32_t l)        \
    {                                                                                                          \
        return SimMouse::Instance().OpenMonitor(link, t, e, l);                                                \
    }                                                                                                          \
    KARVO_SIM_EXPORT int32_t prefix##_Close_DevMonitor(void) { return SimMouse::Instance().CloseMonitor(link); } \
    KARVO_SIM_EXPORT int32_t prefix##_Open_FeatureDevice(void) { return SimMouse::Instance().OpenDevice(link); } \
    KARVO_SIM_EXPORT int32_t prefix##_Close_FeatureDevice(void) { return SimMouse::Instance().CloseDevice(link); } \
    KARVO_SIM_EXPORT int32_t prefix##_SetFeature(const uint8_t* r, int32_t n) { return SimMouse::Instance().SetFeature(link, r, n); } \
    KARVO_SIM_EXPORT int32_t prefix##_GetFeature(uint8_t*, int32_t) { return 0; }

KARVO_SIM_LINK_EXPORTS(sim_cable, Link::Cable)
KARVO_SIM_LINK_EXPORTS(sim_receiver, Link::Receiver)

// Runs one line of the control protocol; the reply (cut to fit) goes into reply.
KARVO_SIM_EXPORT int32_t sim_command(const char* line, char* reply, int32_t replySize)
{
    const std::string answer = SimMouse::Instance().Command(line ? line : "");
    if (reply && replySize > 0) {
        std::strncpy(reply, answer.c_str(), std::size_t(replySize) - 1);
        reply[replySize - 1] = '\0';
    }
    return int32_t(answer.size());
}
