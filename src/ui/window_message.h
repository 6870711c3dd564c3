#pragma once

#include <QEvent>
#include <QtGlobal>
#include <cstdint>

// Window messages keep their designed numbers; they travel between windows as posted or sent Qt
// events, so a message posted from any thread is handled on the UI thread.
using WPARAM = quintptr;
using LPARAM = qintptr;
using UINT = std::uint32_t;

namespace WindowMessage {
constexpr UINT kDestroy = 2;        // WM_DESTROY
constexpr UINT kSysCommand = 274;   // WM_SYSCOMMAND
constexpr UINT kTimer = 275;        // WM_TIMER
constexpr UINT kDeviceChange = 537; // WM_DEVICECHANGE
constexpr UINT kUser = 1024;        // WM_USER
}  // namespace WindowMessage

namespace SysCommand {
constexpr WPARAM kMinimize = 0xF020;
constexpr WPARAM kRestore = 0xF120;
}  // namespace SysCommand

// Window styles the windows are created with; translated into Qt window flags.
namespace WindowStyle {
constexpr std::uint32_t kPopup = 0x80000000;
constexpr std::uint32_t kVisible = 0x10000000;
constexpr std::uint32_t kMinimizeBox = 0x00020000;
constexpr std::uint32_t kExTopmost = 0x08;
constexpr std::uint32_t kExToolWindow = 0x80;
}  // namespace WindowStyle

class WindowMessageEvent final : public QEvent {
public:
    static QEvent::Type EventType();

    WindowMessageEvent(UINT message, WPARAM wParam, LPARAM lParam)
        : QEvent(EventType()), message(message), wParam(wParam), lParam(lParam)
    {
    }

    const UINT message;
    const WPARAM wParam;
    const LPARAM lParam;
};
