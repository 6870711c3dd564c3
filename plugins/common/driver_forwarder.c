/* A driver library that forwards its seven exports to one link of a shared device library
 * (KARVO_LINK_PREFIX names the link's exports there, e.g. sim_cable). Both links of a device share
 * one library this way, and so share its state. */
#include "karvo_driver.h"

#define KARVO_CAT2(a, b) a##_##b
#define KARVO_CAT(a, b) KARVO_CAT2(a, b)
#define LINK(name) KARVO_CAT(KARVO_LINK_PREFIX, name)

int32_t LINK(Set_VIDPID)(int32_t, int32_t);
int32_t LINK(Open_DevMonitor)(const KarvoPostTarget*, uint32_t, uint32_t);
int32_t LINK(Close_DevMonitor)(void);
int32_t LINK(Open_FeatureDevice)(void);
int32_t LINK(Close_FeatureDevice)(void);
int32_t LINK(SetFeature)(const uint8_t*, int32_t);
int32_t LINK(GetFeature)(uint8_t*, int32_t);

int32_t Set_VIDPID(int32_t vendorId, int32_t productId) { return LINK(Set_VIDPID)(vendorId, productId); }
int32_t Open_DevMonitor(const KarvoPostTarget* target, uint32_t eventMessage, uint32_t linkMessage)
{
    return LINK(Open_DevMonitor)(target, eventMessage, linkMessage);
}
int32_t Close_DevMonitor(void) { return LINK(Close_DevMonitor)(); }
int32_t Open_FeatureDevice(void) { return LINK(Open_FeatureDevice)(); }
int32_t Close_FeatureDevice(void) { return LINK(Close_FeatureDevice)(); }
int32_t SetFeature(const uint8_t* report, int32_t length) { return LINK(SetFeature)(report, length); }
int32_t GetFeature(uint8_t* report, int32_t length) { return LINK(GetFeature)(report, length); }
