#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QVariantMap>
#include <functional>

class MouseControl;

// Methods and properties another part of the utility serves on the same object and interface
// (the application rules); calls arrive on the UI thread.
class DBusServiceExtension {
public:
    virtual ~DBusServiceExtension() = default;
    // Answers a call of the interface through reply; false for a method that is not its own.
    virtual bool Handle(const QDBusMessage& message, const std::function<void(const QDBusMessage&)>& reply) = 0;
    virtual QVariantMap Properties() const = 0;
};

// The running utility on the user's session bus: name org.karvo.GamingMouse, object
// /org/karvo/GamingMouse, interface org.karvo.GamingMouse (docs/org.karvo.GamingMouse.xml).
// Calls arrive on the UI thread and work through the narrow MouseControl view; property changes
// go out as PropertiesChanged when Refresh finds them.
class MouseDBusService final : public QDBusVirtualObject {
public:
    static inline const QString kServiceName = QStringLiteral("org.karvo.GamingMouse");
    static inline const QString kObjectPath = QStringLiteral("/org/karvo/GamingMouse");
    static inline const QString kInterface = QStringLiteral("org.karvo.GamingMouse");

    MouseDBusService(MouseControl& control, const QDBusConnection& connection);
    ~MouseDBusService() override;

    // Exports the object and takes the well-known name. False (and nothing exported) when there
    // is no bus or another process holds the name.
    bool Register();
    void Unregister();

    void SetExtension(DBusServiceExtension* extension) { m_extension = extension; }
    // Sends a signal of the interface without arguments.
    void EmitSignal(const QString& name);

    // Compares the properties with what was last announced and announces the changes.
    void Refresh();
    QVariantMap Properties() const;

    // The interface element of the introspection data.
    static QString InterfaceXml();

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    void Dispatch(const QDBusMessage& message);
    void HandleProperties(const QDBusMessage& message);
    void HandleSwitch(const QDBusMessage& message);
    void HandleImport(const QDBusMessage& message, bool profile);
    void Reply(const QDBusMessage& reply);

    MouseControl& m_control;
    QDBusConnection m_connection;
    QVariantMap m_announced;
    bool m_registered = false;
    DBusServiceExtension* m_extension = nullptr;
};
