#pragma once

#include <QIcon>
#include <QString>
#include <memory>

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

private:
    std::unique_ptr<QSystemTrayIcon> m_icon;
};
