#pragma once

#include <QByteArray>
#include <QLocalSocket>

#include "app/rules/active_application_source.h"

// sway and i3: their IPC socket (SWAYSOCK, I3SOCK). Asks once which window has the focus, then
// subscribes to window events and hears of each focus change.
class SwayActiveSource final : public ActiveApplicationSource {
public:
    explicit SwayActiveSource(const QString& socketPath);

    bool Start(Listener listener) override;
    QString Name() const override { return QStringLiteral("sway/i3"); }

    // The message layout: "i3-ipc", payload length and type (both 32 bits, this machine's byte
    // order), payload.
    static QByteArray Message(quint32 type, const QByteArray& payload);

private:
    void OnReadable();
    void Handle(quint32 type, const QByteArray& payload);

    QString m_path;
    QLocalSocket m_socket;
    QByteArray m_buffer;
    Listener m_listener;
};
