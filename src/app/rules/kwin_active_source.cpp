#include "app/rules/kwin_active_source.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>

#include "app/shell/background_queue.h"

Q_DECLARE_LOGGING_CATEGORY(lcRules)

namespace {

const QString kKWinService = QStringLiteral("org.kde.KWin");
const QString kScriptingPath = QStringLiteral("/Scripting");
const QString kScriptingInterface = QStringLiteral("org.kde.kwin.Scripting");

QDBusMessage ScriptingCall(const QString& method, const QVariantList& arguments = {})
{
    QDBusMessage call = QDBusMessage::createMethodCall(kKWinService, kScriptingPath, kScriptingInterface, method);
    call.setArguments(arguments);
    return call;
}

}  // namespace

KWinActiveSource::KWinActiveSource(const QDBusConnection& connection) : m_connection(connection) {}

KWinActiveSource::~KWinActiveSource()
{
    if (m_loaded)
        m_connection.call(ScriptingCall(QStringLiteral("unloadScript"), {kPluginName}), QDBus::NoBlock);
    m_connection.unregisterObject(kObjectPath);
    BackgroundQueue::Shell().WaitForDone();
    if (!m_scriptPath.isEmpty())
        QFile::remove(m_scriptPath);
}

QByteArray KWinActiveSource::Script()
{
    return QByteArrayLiteral(R"js(// Tells the Karvo Gaming Mouse utility which window is in front.
function tell(window) {
    if (window)
        callDBus("org.karvo.GamingMouse", "/org/karvo/GamingMouse/ActiveWindow",
                 "org.karvo.GamingMouse.ActiveWindow", "Activated", String(window.resourceClass), window.pid);
}
if (workspace.windowActivated)
    workspace.windowActivated.connect(tell);
else
    workspace.clientActivated.connect(tell);
tell(workspace.activeWindow || workspace.activeClient);
)js");
}

bool KWinActiveSource::Start(Listener listener)
{
    if (!m_connection.isConnected() || !m_connection.registerVirtualObject(kObjectPath, this))
        return false;
    m_listener = std::move(listener);
    const QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR", QDir::tempPath());
    const QString path = QDir(folder).filePath(kPluginName + QStringLiteral(".js"));
    m_scriptPath = path;
    // KWin reads the script from a file; it is written away from the window's thread.
    BackgroundQueue::Shell().Run<bool>(
        [path] {
            QFile file(path);
            return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(Script()) == Script().size();
        },
        this, [this, path](bool written) {
            if (written)
                Load(path);
            else
                qCWarning(lcRules) << "cannot write the KWin script to" << path;
        });
    return true;
}

void KWinActiveSource::Load(const QString& scriptPath)
{
    // A script of ours left by an earlier run would run twice.
    m_connection.call(ScriptingCall(QStringLiteral("unloadScript"), {kPluginName}), QDBus::NoBlock);
    auto* watcher = new QDBusPendingCallWatcher(
        m_connection.asyncCall(ScriptingCall(QStringLiteral("loadScript"), {scriptPath, kPluginName})), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        const QDBusPendingReply<int> reply = *call;
        if (reply.isError() || reply.value() < 0) {
            qCWarning(lcRules) << "KWin did not load our script:" << reply.error().message();
            return;
        }
        m_loaded = true;
        m_connection.call(ScriptingCall(QStringLiteral("start")), QDBus::NoBlock);
        qCInfo(lcRules) << "KWin script loaded as" << reply.value();
    });
}

QString KWinActiveSource::introspect(const QString& path) const
{
    if (path != kObjectPath)
        return {};
    return QStringLiteral("<interface name=\"%1\"><method name=\"Activated\"><arg name=\"resource_class\" type=\"s\" "
                          "direction=\"in\"/><arg name=\"pid\" type=\"i\" direction=\"in\"/></method></interface>\n")
        .arg(kInterface);
}

bool KWinActiveSource::handleMessage(const QDBusMessage& message, const QDBusConnection&)
{
    if (message.path() != kObjectPath)
        return false;
    const QList<QVariant> arguments = message.arguments();
    if (message.member() != QLatin1String("Activated") || arguments.size() != 2
        || !message.signature().startsWith(QLatin1Char('s'))) {
        m_connection.send(message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"),
                                                   QStringLiteral("Activated takes (s resource_class, i pid)")));
        return true;
    }
    ActiveApplication application;
    application.appClass = arguments.at(0).toString();
    application.pid = arguments.at(1).toLongLong();
    application.executable = ExecutableOfProcess(application.pid);
    m_connection.send(message.createReply());
    // Calls may come on the bus's own thread; the rules live on the window's.
    QMetaObject::invokeMethod(this, [this, application] { m_listener(application); }, Qt::QueuedConnection);
    return true;
}
