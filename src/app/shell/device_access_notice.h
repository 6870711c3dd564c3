#pragma once

#include <QObject>

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

private:
    WindowImplBase& m_window;
    bool m_checking = false;
    bool m_shown = false;
};
