#pragma once

#include <QDBusConnection>
#include <QString>

#include "app/shell/mouse_control.h"

class CTrayIcon;

// When to warn of a low battery: at 20 % and again at 10 %, once per fall. Charging, or a level
// back above 30 % (so a reading that wavers round a threshold does not warn again), starts a new
// fall.
class BatteryAlerts {
public:
    static constexpr int kThresholds[] = {10, 20};  // lowest first
    static constexpr int kRearmAbovePercent = 30;

    // The threshold reached by this reading, or 0 when there is nothing to say.
    int Update(int percent, bool charging);

private:
    int m_lastWarned = 0;  // the lowest threshold warned of in this fall; 0 when none
};

// Follows the mouse's status after every window message: the tray icon's tooltip (profile, link,
// battery) and a desktop notification through org.freedesktop.Notifications when the battery runs
// low. Where no notification service answers, nothing happens.
class BatteryWatch {
public:
    BatteryWatch(const MouseControl& control, CTrayIcon& tray, const QDBusConnection& bus);

    void Refresh();
    static QString ToolTip(const MouseStatus& status);

private:
    void Notify(int percent);

    const MouseControl& m_control;
    CTrayIcon& m_tray;
    QDBusConnection m_bus;
    BatteryAlerts m_alerts;
    MouseStatus m_shown;
    bool m_any = false;
    uint m_notificationId = 0;  // the last notification, replaced by the next
};
