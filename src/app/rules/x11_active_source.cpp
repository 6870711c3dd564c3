#include "app/rules/x11_active_source.h"

#include <QLoggingCategory>
#include <QSocketNotifier>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

Q_DECLARE_LOGGING_CATEGORY(lcRules)

namespace {

// A property of a window as bytes; empty when it is missing or of another type.
QByteArray Property(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property, xcb_atom_t type)
{
    const xcb_get_property_cookie_t cookie = xcb_get_property(connection, 0, window, property, type, 0, 256);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
    if (!reply)
        return {};
    QByteArray bytes;
    if (reply->type == type)
        bytes = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
                           xcb_get_property_value_length(reply));
    std::free(reply);
    return bytes;
}

}  // namespace

X11ActiveSource::X11ActiveSource() = default;

X11ActiveSource::~X11ActiveSource()
{
    m_notifier.reset();
    if (m_connection)
        xcb_disconnect(m_connection);
}

unsigned X11ActiveSource::Atom(const char* name) const
{
    // Made when missing: a window manager that starts after us sets it.
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(m_connection, 0, uint16_t(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(m_connection, cookie, nullptr);
    const unsigned atom = reply ? reply->atom : unsigned(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

bool X11ActiveSource::Start(Listener listener)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    int screenNumber = 0;
    m_connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(m_connection)) {
        xcb_disconnect(m_connection);
        m_connection = nullptr;
        return false;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    m_root = screens.data->root;
    m_activeWindowAtom = Atom("_NET_ACTIVE_WINDOW");
    m_pidAtom = Atom("_NET_WM_PID");
    if (m_activeWindowAtom == XCB_ATOM_NONE)
        return false;
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(m_connection);
    m_listener = std::move(listener);
    m_notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { OnReadable(); });
    Tell();
    return true;
}

void X11ActiveSource::OnReadable()
{
    bool changed = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        if ((event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY
            && reinterpret_cast<xcb_property_notify_event_t*>(event)->atom == m_activeWindowAtom)
            changed = true;
        std::free(event);
    }
    if (xcb_connection_has_error(m_connection)) {
        qCWarning(lcRules) << "the X11 connection for the window in front is lost";
        m_notifier->setEnabled(false);
        return;
    }
    if (changed)
        Tell();
}

void X11ActiveSource::Tell()
{
    ActiveApplication application;
    const QByteArray active = Property(m_connection, m_root, m_activeWindowAtom, XCB_ATOM_WINDOW);
    xcb_window_t window = 0;
    if (active.size() >= int(sizeof(window)))
        std::memcpy(&window, active.constData(), sizeof(window));
    if (window != 0) {
        // WM_CLASS holds the instance name and then the class, each ending in a zero byte.
        const QList<QByteArray> names = Property(m_connection, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING).split('\0');
        if (names.size() >= 2)
            application.appClass = QString::fromLocal8Bit(names.at(1));
        const QByteArray pid = Property(m_connection, window, m_pidAtom, XCB_ATOM_CARDINAL);
        if (pid.size() >= 4) {
            uint32_t value = 0;
            std::memcpy(&value, pid.constData(), sizeof(value));
            application.pid = value;
            application.executable = ExecutableOfProcess(value);
        }
    }
    // Replies may have brought events along; they were queued, and the socket will not say so again.
    bool more = false;
    while (xcb_generic_event_t* event = xcb_poll_for_queued_event(m_connection)) {
        more = more || ((event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY
                        && reinterpret_cast<xcb_property_notify_event_t*>(event)->atom == m_activeWindowAtom);
        std::free(event);
    }
    m_listener(application);
    if (more)
        Tell();
}
