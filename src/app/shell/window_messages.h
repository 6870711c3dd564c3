#pragma once

#include "device/link_code.h"
#include "ui/window_message.h"

// Every custom window message, thread message and timer of the program, with its designed number.
namespace Msg {
constexpr UINT UM_TRAYICON = 1025;
constexpr UINT UM_MENUCLICK = 1027;
constexpr UINT UM_HOOK_INPUT = 1034;
constexpr UINT UM_ACTIVATE_INSTANCE = 1037;
constexpr UINT UM_DEVICE_STATE = 1128;
constexpr UINT UM_SHOW_DPI = 1129;
// Sent by nothing in the program; handled (and ignored) so that stray ones go no further.
constexpr UINT UM_UNUSED_1 = 1130;
constexpr UINT UM_UNUSED_2 = 1261;
constexpr UINT UM_UNUSED_3 = 5121;
constexpr UINT UM_RECEIVER_EVENT = 1325;
constexpr UINT UM_RECEIVER_LINK = 1326;
constexpr UINT UM_WIRED_EVENT = 1327;
constexpr UINT UM_WIRED_LINK = 1328;
constexpr UINT UM_APPLY = 1329;
// A store file could not be written; the window tells the user at the next opportunity.
constexpr UINT UM_STORE_SAVE_FAILED = 1340;

// Thread message of the device worker.
constexpr UINT TM_APPLY = 1648;
}  // namespace Msg

namespace TimerId {
constexpr UINT TIMER_APPLY_DELAY = 43;
constexpr UINT TIMER_DPI_POPUP = 52;
constexpr UINT TIMER_MOUSE_ONLINE = 100;
// Control timers (delivered as "timer" notifications).
constexpr int kChargingAnimation = 53;
constexpr int kLowPowerBlinkA = 50;
constexpr int kLowPowerBlinkB = 51;
}  // namespace TimerId

namespace TimerPeriodMs {
constexpr int kDpiPopup = 2000;
constexpr int kMouseOnline = 6000;
constexpr int kChargingAnimation = 30;
}  // namespace TimerPeriodMs

