#include "app/shell/dbus_service.h"

#include <QDBusMessage>
#include <QDBusVariant>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QPointer>

#include "app/shell/dbus_interface_xml.h"
#include "app/shell/mouse_control.h"

Q_LOGGING_CATEGORY(lcDBus, "karvo.app.dbus", QtInfoMsg)

namespace {

const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kIntrospectableInterface = QStringLiteral("org.freedesktop.DBus.Introspectable");
const QString kPeerInterface = QStringLiteral("org.freedesktop.DBus.Peer");

// The standard interfaces this object answers besides its own.
constexpr char kStandardInterfacesXml[] = R"xml(  <interface name="org.freedesktop.DBus.Introspectable">
    <method name="Introspect"><arg name="xml_data" type="s" direction="out"/></method>
  </interface>
  <interface name="org.freedesktop.DBus.Peer">
    <method name="Ping"/>
  </interface>
  <interface name="org.freedesktop.DBus.Properties">
    <method name="Get"><arg name="interface_name" type="s" direction="in"/><arg name="property_name" type="s" direction="in"/><arg name="value" type="v" direction="out"/></method>
    <method name="GetAll"><arg name="interface_name" type="s" direction="in"/><arg name="properties" type="a{sv}" direction="out"/></method>
    <method name="Set"><arg name="interface_name" type="s" direction="in"/><arg name="property_name" type="s" direction="in"/><arg name="value" type="v" direction="in"/></method>
    <signal name="PropertiesChanged"><arg name="interface_name" type="s"/><arg name="changed_properties" type="a{sv}"/><arg name="invalidated_properties" type="as"/></signal>
  </interface>
)xml";
const QString kInvalidArgs = QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");
const QString kUnknownMethod = QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod");
const QString kUnknownProperty = QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty");
const QString kReadOnly = QStringLiteral("org.freedesktop.DBus.Error.PropertyReadOnly");
const QString kNoSuchProfile = QStringLiteral("org.karvo.GamingMouse.Error.NoSuchProfile");
const QString kBadFile = QStringLiteral("org.karvo.GamingMouse.Error.BadFile");
const QString kWriteFailed = QStringLiteral("org.karvo.GamingMouse.Error.WriteFailed");

}  // namespace

MouseDBusService::MouseDBusService(MouseControl& control, const QDBusConnection& connection)
    : m_control(control), m_connection(connection)
{
}

MouseDBusService::~MouseDBusService()
{
    Unregister();
}

bool MouseDBusService::Register()
{
    if (!m_connection.isConnected()) {
        qCInfo(lcDBus) << "no session bus:" << m_connection.lastError().message();
        return false;
    }
    if (!m_connection.registerVirtualObject(kObjectPath, this)) {
        qCInfo(lcDBus) << "cannot export" << kObjectPath;
        return false;
    }
    if (!m_connection.registerService(kServiceName)) {
        qCInfo(lcDBus) << "cannot take the name" << kServiceName << m_connection.lastError().message();
        m_connection.unregisterObject(kObjectPath);
        return false;
    }
    m_registered = true;
    m_announced = Properties();
    qCInfo(lcDBus) << "serving" << kServiceName << "at" << kObjectPath;
    return true;
}

void MouseDBusService::Unregister()
{
    if (!m_registered)
        return;
    m_registered = false;
    m_connection.unregisterService(kServiceName);
    m_connection.unregisterObject(kObjectPath);
}

QVariantMap MouseDBusService::Properties() const
{
    const MouseStatus status = m_control.Status();
    QVariantMap properties = m_extension ? m_extension->Properties() : QVariantMap();
    properties.insert({
        {QStringLiteral("CurrentProfile"), status.currentProfile},
        {QStringLiteral("CurrentProfileIndex"), uint(std::max(status.currentProfileIndex, 0))},
        {QStringLiteral("CurrentStage"), uint(std::max(status.currentStage, 0))},
        {QStringLiteral("CurrentDpi"), uint(std::max(status.currentDpi, 0))},
        {QStringLiteral("BatteryLevel"), status.batteryLevel},
        {QStringLiteral("Charging"), status.charging},
        {QStringLiteral("Links"), status.links},
        {QStringLiteral("DataFolder"), m_control.DataFolder()},
        {QStringLiteral("Version"), QStringLiteral(KARVO_VERSION)},
    });
    return properties;
}

void MouseDBusService::EmitSignal(const QString& name)
{
    if (m_registered)
        m_connection.send(QDBusMessage::createSignal(kObjectPath, kInterface, name));
}

void MouseDBusService::Refresh()
{
    if (!m_registered)
        return;
    const QVariantMap now = Properties();
    QVariantMap changed;
    for (auto it = now.constBegin(); it != now.constEnd(); ++it) {
        if (m_announced.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    }
    m_announced = now;
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(kObjectPath, kPropertiesInterface, QStringLiteral("PropertiesChanged"));
    signal << kInterface << changed << QStringList();
    m_connection.send(signal);
}

QString MouseDBusService::InterfaceXml()
{
    const QString xml = QString::fromUtf8(kDBusIntrospectionXml);
    const qsizetype begin = xml.indexOf(QLatin1String("<interface "));
    const qsizetype end = xml.lastIndexOf(QLatin1String("</interface>"));
    if (begin < 0 || end < begin)
        return {};
    return xml.mid(begin, end + qsizetype(sizeof("</interface>") - 1) - begin) + QLatin1Char('\n');
}

QString MouseDBusService::introspect(const QString& path) const
{
    return path == kObjectPath ? InterfaceXml() + QLatin1String(kStandardInterfacesXml) : QString();
}

bool MouseDBusService::handleMessage(const QDBusMessage& message, const QDBusConnection&)
{
    if (message.path() != kObjectPath)
        return false;
    // Calls may come on the bus's own thread; the page is the UI thread's. The reply follows from
    // there.
    message.setDelayedReply(true);
    QMetaObject::invokeMethod(this, [this, message] { Dispatch(message); }, Qt::QueuedConnection);
    return true;
}

void MouseDBusService::Reply(const QDBusMessage& reply)
{
    m_connection.send(reply);
}

void MouseDBusService::Dispatch(const QDBusMessage& message)
{
    const QString interface = message.interface();
    const QString member = message.member();
    const QString signature = message.signature();
    if (interface == kPropertiesInterface) {
        HandleProperties(message);
        return;
    }
    if (interface == kIntrospectableInterface && member == QLatin1String("Introspect") && signature.isEmpty()) {
        const QString document = QStringLiteral(
            "<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\"\n"
            " \"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">\n<node>\n");
        Reply(message.createReply(document + InterfaceXml() + QLatin1String(kStandardInterfacesXml)
                                  + QLatin1String("</node>\n")));
        return;
    }
    if (interface == kPeerInterface && member == QLatin1String("Ping") && signature.isEmpty()) {
        Reply(message.createReply());
        return;
    }
    if (!interface.isEmpty() && interface != kInterface) {
        Reply(message.createErrorReply(kUnknownMethod, QStringLiteral("no interface %1 here").arg(interface)));
        return;
    }
    const auto wrongArguments = [&](const char* expected) {
        Reply(message.createErrorReply(kInvalidArgs, QStringLiteral("%1 takes (%2), not (%3)")
                                                         .arg(member, QLatin1String(expected), signature)));
    };
    if (member == QLatin1String("ListProfiles")) {
        if (!signature.isEmpty())
            return wrongArguments("");
        Reply(message.createReply(QVariant(m_control.ProfileNames())));
    } else if (member == QLatin1String("SwitchProfile") || member == QLatin1String("SwitchProfileIndex")) {
        HandleSwitch(message);
    } else if (member == QLatin1String("Apply")) {
        if (!signature.isEmpty())
            return wrongArguments("");
        m_control.Apply();
        Reply(message.createReply());
    } else if (member == QLatin1String("ImportProfile") || member == QLatin1String("ImportMacro")) {
        HandleImport(message, member == QLatin1String("ImportProfile"));
    } else if (!m_extension || !m_extension->Handle(message, [this](const QDBusMessage& reply) { Reply(reply); })) {
        Reply(message.createErrorReply(kUnknownMethod, QStringLiteral("no method %1").arg(member)));
    }
    Refresh();
}

void MouseDBusService::HandleProperties(const QDBusMessage& message)
{
    const QString member = message.member();
    const QList<QVariant> arguments = message.arguments();
    if (member == QLatin1String("Get") && message.signature() == QLatin1String("ss")) {
        const QVariantMap properties = Properties();
        const QString name = arguments.at(1).toString();
        if (arguments.at(0).toString() != kInterface || !properties.contains(name)) {
            Reply(message.createErrorReply(kUnknownProperty, QStringLiteral("no property %1").arg(name)));
            return;
        }
        Reply(message.createReply(QVariant::fromValue(QDBusVariant(properties.value(name)))));
    } else if (member == QLatin1String("GetAll") && message.signature() == QLatin1String("s")) {
        Reply(message.createReply(arguments.at(0).toString() == kInterface ? Properties() : QVariantMap()));
    } else if (member == QLatin1String("Set") && message.signature() == QLatin1String("ssv")) {
        Reply(message.createErrorReply(kReadOnly, QStringLiteral("the properties are read-only")));
    } else {
        Reply(message.createErrorReply(kInvalidArgs, QStringLiteral("unexpected call %1 (%2)").arg(member, message.signature())));
    }
}

void MouseDBusService::HandleSwitch(const QDBusMessage& message)
{
    const QStringList names = m_control.ProfileNames();
    int index = -1;
    if (message.member() == QLatin1String("SwitchProfileIndex")) {
        if (message.signature() != QLatin1String("u")) {
            Reply(message.createErrorReply(kInvalidArgs, QStringLiteral("SwitchProfileIndex takes (u)")));
            return;
        }
        const uint wanted = message.arguments().at(0).toUInt();
        if (wanted >= uint(names.size())) {
            Reply(message.createErrorReply(kNoSuchProfile, QStringLiteral("index %1 is out of range: there are %2 profiles")
                                                               .arg(wanted)
                                                               .arg(names.size())));
            return;
        }
        index = int(wanted);
    } else {
        if (message.signature() != QLatin1String("s")) {
            Reply(message.createErrorReply(kInvalidArgs, QStringLiteral("SwitchProfile takes (s)")));
            return;
        }
        const QString wanted = message.arguments().at(0).toString();
        index = int(names.indexOf(wanted));
        if (index < 0) {
            for (int i = 0; i < names.size() && index < 0; ++i)
                if (names.at(i).compare(wanted, Qt::CaseInsensitive) == 0)
                    index = i;
        }
        if (index < 0) {
            Reply(message.createErrorReply(kNoSuchProfile, QStringLiteral("no profile is named '%1'").arg(wanted)));
            return;
        }
    }
    if (!m_control.SwitchProfile(index)) {
        Reply(message.createErrorReply(kNoSuchProfile, QStringLiteral("profile %1 is gone").arg(index)));
        return;
    }
    const QVariant answer = message.member() == QLatin1String("SwitchProfileIndex") ? QVariant(names.at(index))
                                                                                     : QVariant(uint(index));
    // Answered once the switch is on disk, so a caller told "done" can rely on it.
    m_control.SaveProfiles([self = QPointer(this), message, answer](const QString& error) {
        if (!self)
            return;
        self->Reply(error.isEmpty() ? message.createReply(answer) : message.createErrorReply(kWriteFailed, error));
        self->Refresh();
    });
}

void MouseDBusService::HandleImport(const QDBusMessage& message, bool profile)
{
    if (message.signature() != QLatin1String("s")) {
        Reply(message.createErrorReply(kInvalidArgs, QStringLiteral("%1 takes (s)").arg(message.member())));
        return;
    }
    const QString path = message.arguments().at(0).toString();
    // The utility's working folder is not the caller's: only absolute paths name the caller's file.
    if (!QFileInfo(path).isAbsolute()) {
        Reply(message.createErrorReply(kInvalidArgs, QStringLiteral("'%1' is not an absolute path").arg(path)));
        return;
    }
    // Answered once the import is on disk.
    auto done = [self = QPointer(this), message](const ImportOutcome& outcome) {
        if (!self)
            return;
        if (outcome.notSaved) {
            self->Reply(message.createErrorReply(kWriteFailed, outcome.error));
        } else if (!outcome.error.isEmpty()) {
            self->Reply(message.createErrorReply(kBadFile, outcome.error));
        } else {
            QDBusMessage reply = message.createReply();
            reply << uint(outcome.index) << outcome.name;
            self->Reply(reply);
        }
        self->Refresh();
    };
    if (profile)
        m_control.ImportProfile(path, done);
    else
        m_control.ImportMacro(path, done);
}
