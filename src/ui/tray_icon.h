#pragma once

#include <QIcon>
#include <QString>
#include <memory>
#include <optional>

#include "ui/window_message.h"

class QSystemTrayIcon;
class WindowImplBase;

// The notification-area icon. Clicks reach its window as the callback message, with lParam 514
// for a left click and 517 for a right click. Where the desktop has no notification area the icon
// simply does not show; the program keeps running.
class CTrayIcon {
public:
    static constexpr LPARAM kLeftButtonUp = 514;
    static constexpr LPARAM kRightButtonUp = 517;

    CTrayIcon();
    ~CTrayIcon();

    void CreateTrayIcon(WindowImplBase* window, const QIcon& icon, const QString& toolTip, UINT callbackMessage);
    void DeleteTrayIcon();
    // The text shown over the icon (profile, link, battery); nothing while there is no icon.
    void SetToolTip(const QString& toolTip);

    // Whether the desktop shows tray icons now. Without one the window must stay reachable by
    // other means. Tests set the answer (nullopt asks the desktop again).
    static bool IsAvailable();
    static void SetAvailableForTesting(std::optional<bool> available);

private:
    std::unique_ptr<QSystemTrayIcon> m_icon;
};
