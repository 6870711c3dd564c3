#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>

#include "app/rules/active_application_source.h"

// KDE Plasma on Wayland: a small KWin script, loaded through org.kde.KWin /Scripting, calls
// Activated(resourceClass, pid) on our object /org/karvo/GamingMouse/ActiveWindow whenever a
// window is activated. The script is unloaded again when the source goes.
class KWinActiveSource final : public QDBusVirtualObject, public ActiveApplicationSource {
public:
    static inline const QString kObjectPath = QStringLiteral("/org/karvo/GamingMouse/ActiveWindow");
    static inline const QString kInterface = QStringLiteral("org.karvo.GamingMouse.ActiveWindow");
    static inline const QString kPluginName = QStringLiteral("karvo-gaming-mouse-follow");

    explicit KWinActiveSource(const QDBusConnection& connection);
    ~KWinActiveSource() override;

    bool Start(Listener listener) override;
    QString Name() const override { return QStringLiteral("KWin"); }

    // The script's text: whoever loads it must have it in a file.
    static QByteArray Script();

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    void Load(const QString& scriptPath);

    QDBusConnection m_connection;
    Listener m_listener;
    QString m_scriptPath;
    bool m_loaded = false;
};
