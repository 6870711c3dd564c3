#include "running_utility.h"

#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusSignature>
#include <QDBusVariant>
#include <QDir>
#include <QFileInfo>

#include "core/platform/session_bus.h"

namespace {

const QString kService = QStringLiteral("org.karvo.GamingMouse");
const QString kPath = QStringLiteral("/org/karvo/GamingMouse");
const QString kInterface = QStringLiteral("org.karvo.GamingMouse");
constexpr int kCallTimeoutMs = 15000;

QString NormalFolder(const QString& folder)
{
    return QDir::cleanPath(QFileInfo(folder).absoluteFilePath()) + QLatin1Char('/');
}

// The session bus, with the D-Bus types this program sends and receives registered first: left to
// the first call, the bus's own thread and this one would register them at the same time, and a
// reply could meet a type not yet known ("invalid type" on stderr).
QDBusConnection SessionBusWithTypes()
{
    qRegisterMetaType<QDBusVariant>();
    qRegisterMetaType<QDBusArgument>();
    qRegisterMetaType<QDBusMessage>();
    qRegisterMetaType<QDBusObjectPath>();
    qRegisterMetaType<QDBusSignature>();
    qDBusRegisterMetaType<QVariantMap>();
    return SessionBusExists() ? QDBusConnection::sessionBus() : QDBusConnection(QString());
}

}  // namespace

RunningUtility::RunningUtility(const CtlContext& context) : m_bus(SessionBusWithTypes())
{
    if (!m_bus.isConnected() || !m_bus.interface() || !m_bus.interface()->isServiceRegistered(kService))
        return;
    const QDBusMessage reply = Call(QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                                   QStringLiteral("Get"))
                                    << kInterface << QStringLiteral("DataFolder"));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return;
    const QString folder = reply.arguments().first().value<QDBusVariant>().variant().toString();
    // A utility that works on other stores than the ones asked for is not the one meant.
    m_running = NormalFolder(folder) == NormalFolder(context.dataFolder);
}

QList<QVariant> RunningUtility::Invoke(const QString& method, const QList<QVariant>& arguments) const
{
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call.setArguments(arguments);
    const QDBusMessage reply = Call(call);
    if (reply.type() != QDBusMessage::ReplyMessage)
        throw CtlError{QStringLiteral("the running utility refused: %1").arg(reply.errorMessage())};
    return reply.arguments();
}

QVariantMap RunningUtility::Properties() const
{
    const QDBusMessage reply = Call(QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                                   QStringLiteral("GetAll"))
                                    << kInterface);
    if (reply.type() == QDBusMessage::ErrorMessage || reply.arguments().isEmpty())
        throw CtlError{QStringLiteral("the running utility does not answer: %1").arg(reply.errorMessage())};
    return qdbus_cast<QVariantMap>(reply.arguments().first());
}

QDBusMessage RunningUtility::Call(const QDBusMessage& message) const
{
    return m_bus.call(message, QDBus::Block, kCallTimeoutMs);
}
