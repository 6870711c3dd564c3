#pragma once

#include <QObject>
#include <functional>

class WindowImplBase;

// Tells the user, once per run, when a Karvo mouse is attached but this user may not open it, and
// how to install the udev rule, instead of letting the window behave as if no mouse were there.
// The check runs in the background; the message box comes on the UI thread.
class DeviceAccessNotice final : public QObject {
public:
    explicit DeviceAccessNotice(WindowImplBase& window);
    ~DeviceAccessNotice() override;

    void Check();
    bool Shown() const { return m_shown; }
    // Heard once access was found denied, before the message box comes.
    void SetDeniedHandler(std::function<void()> handler) { m_onDenied = std::move(handler); }

private:
    WindowImplBase& m_window;
    bool m_checking = false;
    bool m_shown = false;
    std::function<void()> m_onDenied;
};
