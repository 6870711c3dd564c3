#pragma once

#include <memory>

#include "app/rules/active_application_source.h"

class QSocketNotifier;
struct xcb_connection_t;

// X11 and XWayland: a connection of its own to the display, listening for PropertyNotify of the
// root window's _NET_ACTIVE_WINDOW; then the window's WM_CLASS and _NET_WM_PID. Between changes
// it sleeps on the connection's socket.
class X11ActiveSource final : public ActiveApplicationSource {
public:
    X11ActiveSource();
    ~X11ActiveSource() override;

    bool Start(Listener listener) override;
    QString Name() const override { return QStringLiteral("X11"); }

private:
    void OnReadable();
    void Tell();
    unsigned Atom(const char* name) const;

    xcb_connection_t* m_connection = nullptr;
    unsigned m_root = 0;
    unsigned m_activeWindowAtom = 0;
    unsigned m_pidAtom = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
    Listener m_listener;
};
