/* Where a plugin delivers its messages in place of a window handle: a post function that any
 * thread may call. The message numbers are the program's window messages. A plugin stops posting
 * before the call that detaches it (closing a monitor, removing a hook) returns. */
#ifndef KARVO_POST_TARGET_H
#define KARVO_POST_TARGET_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct KarvoPostTarget {
    void* context;
    void (*post)(void* context, uint32_t message, uintptr_t wParam, intptr_t lParam);
} KarvoPostTarget;

#ifdef __cplusplus
}
#endif

#endif
