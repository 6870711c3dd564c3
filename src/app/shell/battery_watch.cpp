#include "app/shell/battery_watch.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QLoggingCategory>

#include "ui/resource_manager.h"
#include "ui/tray_icon.h"

Q_LOGGING_CATEGORY(lcBattery, "karvo.app.battery", QtInfoMsg)

namespace {

QString Text(const char* key)
{
    return CResourceManager::Instance().GetText(QLatin1String(key));
}

}  // namespace

int BatteryAlerts::Update(int percent, bool charging)
{
    if (charging || percent > kRearmAbovePercent) {
        m_lastWarned = 0;
        return 0;
    }
    if (percent < 0)
        return 0;
    for (int threshold : kThresholds) {
        if (percent <= threshold) {
            if (m_lastWarned != 0 && m_lastWarned <= threshold)
                return 0;
            m_lastWarned = threshold;
            return threshold;
        }
    }
    return 0;
}

BatteryWatch::BatteryWatch(const MouseControl& control, CTrayIcon& tray, const QDBusConnection& bus)
    : m_control(control), m_tray(tray), m_bus(bus)
{
}

QString BatteryWatch::ToolTip(const MouseStatus& status)
{
    const QString link = status.links.isEmpty() ? Text("tray_link_none_text") : status.links.join(QStringLiteral(", "));
    const QString battery = status.charging             ? Text("tray_battery_charging_text")
                            : status.batteryLevel >= 0 ? QStringLiteral("%1 %").arg(status.batteryLevel)
                                                       : Text("tray_battery_unknown_text");
    return Text("mouse_name_text") + QLatin1Char('\n') + Text("tray_tooltip_text").arg(status.currentProfile, link, battery);
}

void BatteryWatch::Refresh()
{
    const MouseStatus status = m_control.Status();
    if (m_any && status == m_shown)
        return;
    m_any = true;
    m_shown = status;
    m_tray.SetToolTip(ToolTip(status));
    if (m_alerts.Update(status.links.isEmpty() ? -1 : status.batteryLevel, status.charging) != 0)
        Notify(status.batteryLevel);
}

void BatteryWatch::Notify(int percent)
{
    qCInfo(lcBattery) << "battery low:" << percent << "%";
    if (!m_bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.Notifications"),
                                                      QStringLiteral("/org/freedesktop/Notifications"),
                                                      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    call << QStringLiteral("Karvo Gaming Mouse") << m_notificationId << QStringLiteral("karvo-gaming-mouse")
         << Text("battery_low_title_text") << Text("battery_low_text").arg(percent) << QStringList()
         << QVariantMap{{QStringLiteral("urgency"), QVariant::fromValue(uchar(percent <= BatteryAlerts::kThresholds[0] ? 2 : 1))}}
         << int(-1);
    // Without a notification service the call fails; the warning then stays in the log.
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [this, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<uint> reply = *watcher;
        if (reply.isError())
            qCInfo(lcBattery) << "no desktop notification:" << reply.error().message();
        else
            m_notificationId = reply.value();
    });
}
