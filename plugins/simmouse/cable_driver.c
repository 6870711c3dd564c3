/* hiddriver_2.so: the cable link of the emulated mouse. */
#include "karvo_driver.h"

int32_t sim_cable_Set_VIDPID(int32_t, int32_t);
int32_t sim_cable_Open_DevMonitor(const KarvoPostTarget*, uint32_t, uint32_t);
int32_t sim_cable_Close_DevMonitor(void);
int32_t sim_cable_Open_FeatureDevice(void);
int32_t sim_cable_Close_FeatureDevice(void);
int32_t sim_cable_SetFeature(const uint8_t*, int32_t);
int32_t sim_cable_GetFeature(uint8_t*, int32_t);

int32_t Set_VIDPID(int32_t vendorId, int32_t productId) { return sim_cable_Set_VIDPID(vendorId, productId); }
int32_t Open_DevMonitor(const KarvoPostTarget* target, uint32_t eventMessage, uint32_t linkMessage)
{
    return sim_cable_Open_DevMonitor(target, eventMessage, linkMessage);
}
int32_t Close_DevMonitor(void) { return sim_cable_Close_DevMonitor(); }
int32_t Open_FeatureDevice(void) { return sim_cable_Open_FeatureDevice(); }
int32_t Close_FeatureDevice(void) { return sim_cable_Close_FeatureDevice(); }
int32_t SetFeature(const uint8_t* report, int32_t length) { return sim_cable_SetFeature(report, length); }
int32_t GetFeature(uint8_t* report, int32_t length) { return sim_cable_GetFeature(report, length); }
