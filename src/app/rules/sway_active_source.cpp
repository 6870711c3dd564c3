#include "app/rules/sway_active_source.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <cstring>

Q_DECLARE_LOGGING_CATEGORY(lcRules)

namespace {

constexpr char kMagic[] = "i3-ipc";
constexpr qsizetype kMagicBytes = 6;
constexpr qsizetype kHeaderBytes = kMagicBytes + 8;
constexpr quint32 kSubscribe = 2;
constexpr quint32 kGetTree = 4;
constexpr quint32 kWindowEvent = 0x80000003;

ActiveApplication ApplicationOf(const QJsonObject& node)
{
    ActiveApplication application;
    application.appClass = node.value(QStringLiteral("app_id")).toString();
    if (application.appClass.isEmpty())  // an X11 window under XWayland, or i3
        application.appClass = node.value(QStringLiteral("window_properties")).toObject().value(QStringLiteral("class")).toString();
    application.pid = node.value(QStringLiteral("pid")).toInteger();
    application.executable = ExecutableOfProcess(application.pid);
    return application;
}

// The focused window in a tree as GET_TREE gives it.
std::optional<QJsonObject> FocusedNode(const QJsonObject& node)
{
    if (node.value(QStringLiteral("focused")).toBool() && node.contains(QStringLiteral("pid")))
        return node;
    for (const char* children : {"nodes", "floating_nodes"})
        for (const QJsonValue& child : node.value(QLatin1String(children)).toArray())
            if (auto found = FocusedNode(child.toObject()))
                return found;
    return std::nullopt;
}

}  // namespace

SwayActiveSource::SwayActiveSource(const QString& socketPath) : m_path(socketPath) {}

QByteArray SwayActiveSource::Message(quint32 type, const QByteArray& payload)
{
    QByteArray message(kMagic, kMagicBytes);
    const quint32 header[2] = {quint32(payload.size()), type};
    message.append(reinterpret_cast<const char*>(header), sizeof(header));
    return message + payload;
}

bool SwayActiveSource::Start(Listener listener)
{
    m_socket.connectToServer(m_path);
    if (!m_socket.waitForConnected(1000)) {
        qCInfo(lcRules) << "cannot reach the window manager's IPC socket" << m_path << m_socket.errorString();
        return false;
    }
    m_listener = std::move(listener);
    QObject::connect(&m_socket, &QLocalSocket::readyRead, &m_socket, [this] { OnReadable(); });
    m_socket.write(Message(kSubscribe, QByteArrayLiteral("[\"window\"]")));
    m_socket.write(Message(kGetTree, {}));
    return true;
}

void SwayActiveSource::OnReadable()
{
    m_buffer += m_socket.readAll();
    while (m_buffer.size() >= kHeaderBytes) {
        if (!m_buffer.startsWith(kMagic)) {
            qCWarning(lcRules) << "the window manager's IPC socket says something else; not listening any more";
            m_socket.abort();
            return;
        }
        quint32 header[2];
        std::memcpy(header, m_buffer.constData() + kMagicBytes, sizeof(header));
        if (m_buffer.size() < kHeaderBytes + qsizetype(header[0]))
            return;
        const QByteArray payload = m_buffer.mid(kHeaderBytes, header[0]);
        m_buffer.remove(0, kHeaderBytes + header[0]);
        Handle(header[1], payload);
    }
}

void SwayActiveSource::Handle(quint32 type, const QByteArray& payload)
{
    const QJsonObject object = QJsonDocument::fromJson(payload).object();
    if (type == kWindowEvent && object.value(QStringLiteral("change")).toString() == QLatin1String("focus"))
        m_listener(ApplicationOf(object.value(QStringLiteral("container")).toObject()));
    else if (type == kGetTree)
        if (auto focused = FocusedNode(object))
            m_listener(ApplicationOf(*focused));
}
