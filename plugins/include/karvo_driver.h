/* The driver-library ABI: what the cable library (hiddriver_2.so) and the receiver library
 * (hiddriver_1.so) export. Each library serves the one device chosen with Set_VIDPID. Every export
 * may be called from any thread: the utility writes reports from its device worker while its UI
 * thread opens and closes the device. */
#ifndef KARVO_DRIVER_H
#define KARVO_DRIVER_H

#include <stdint.h>

#include "karvo_post_target.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Selects the device (vendor and product ID) the library serves; called first. */
typedef int32_t (*Karvo_Set_VIDPID)(int32_t vendorId, int32_t productId);
/* Starts posting to the target: eventMessage with wParam = event code and lParam = event value
 * (low 16 bits each), linkMessage with wParam 1 when the device arrived and 0 when it was removed. */
typedef int32_t (*Karvo_Open_DevMonitor)(const KarvoPostTarget* target, uint32_t eventMessage, uint32_t linkMessage);
/* No message is posted once it returns. */
typedef int32_t (*Karvo_Close_DevMonitor)(void);
/* Non-zero when the device was opened. */
typedef int32_t (*Karvo_Open_FeatureDevice)(void);
typedef int32_t (*Karvo_Close_FeatureDevice)(void);
/* Writes one report (byte 0 is its command); non-zero when it was written. */
typedef int32_t (*Karvo_SetFeature)(const uint8_t* report, int32_t length);
/* Reads a report; the utility never reads the mouse's settings back. */
typedef int32_t (*Karvo_GetFeature)(uint8_t* report, int32_t length);

#define KARVO_CABLE_LIBRARY "hiddriver_2.so"
#define KARVO_RECEIVER_LIBRARY "hiddriver_1.so"

#ifdef __cplusplus
}
#endif

#endif
