#pragma once

#include <QString>
#include <functional>
#include <map>

#include "ui/notify.h"

// Receives notifications by type. A pump can hold virtual windows: other pumps registered under a
// name, which get the notifications of the controls marked with that name (the settings page is
// the virtual window "MS_1_Page" of the main window).
class CNotifyPump {
public:
    virtual ~CNotifyPump() = default;

    bool AddVirtualWnd(const QString& name, CNotifyPump* pump);
    bool RemoveVirtualWnd(const QString& name);
    CNotifyPump* VirtualWnd(const QString& name) const;

    // Hands the notification to the virtual window it belongs to, or to this pump's own map.
    // True when a handler took it.
    bool NotifyPump(TNotifyUI& msg);

protected:
    using Handler = std::function<void(TNotifyUI&)>;
    // The message map: one handler per notification type, for any sender.
    void BindNotify(const QString& type, Handler handler);

private:
    bool Dispatch(TNotifyUI& msg);

    std::map<QString, CNotifyPump*> m_virtualWnds;
    std::map<QString, Handler> m_messageMap;
};
