/* The input-hook library ABI: what Hook.so exports. Every export may be called from the UI
 * thread at any time and in any order; the remove entries may be called when nothing is
 * installed. Events reach the program only through the post target given to installhook, as
 * KARVO_UM_HOOK_INPUT:
 *   key pressed         wParam virtual-key code                      lParam 0
 *   key released        wParam virtual-key code                      lParam not 0
 *   left button         wParam 513 pressed / 514 released
 *   right button        wParam 516 pressed / 517 released
 *   middle button       wParam 519 pressed / 520 released
 *   side button         wParam 523 pressed / 524 released            lParam 2 back, 1 forward
 * Key events are posted while the hook is installed and enabled, button events as well while the
 * mouse hook is enabled too. Nothing is posted once the call that disables or removes the hook
 * returns. */
#ifndef KARVO_HOOK_H
#define KARVO_HOOK_H

#include <stdint.h>

#include "karvo_post_target.h"

#ifdef __cplusplus
extern "C" {
#endif

#define KARVO_UM_HOOK_INPUT 1034u

/* Kept for callers that resolve it; the mouse hook needs no installing beyond installhook. */
typedef void (*Karvo_installmousehook)(void);
/* Stops button events. */
typedef void (*Karvo_removemousehook)(void);
/* 1: button events are posted to the installed target; 0: they stop. */
typedef void (*Karvo_enablemousehook)(uint32_t enable);
/* Names the target (copied; the pointer need not outlive the call). Returns 1 when events from
 * the whole desktop can be captured, 0 when they cannot (no X server, or a Wayland session whose
 * X server sees only some programs' input); then nothing will ever be posted. */
typedef int32_t (*Karvo_installhook)(const KarvoPostTarget* target);
/* Stops every event and forgets the target. */
typedef void (*Karvo_removehook)(void);
/* 1: key events are posted to the installed target; 0: they stop. */
typedef void (*Karvo_enablehook)(uint32_t enable);
/* Wheel movements are never posted; the flag is accepted and kept. */
typedef void (*Karvo_mousewheelenable)(uint32_t enable);

#define KARVO_HOOK_LIBRARY "Hook.so"

#ifdef __cplusplus
}
#endif

#endif
