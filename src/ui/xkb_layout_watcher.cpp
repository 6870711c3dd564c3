#include "ui/xkb_layout_watcher.h"

#include <QLoggingCategory>
#include <QSocketNotifier>
#include <cstdlib>

#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-x11.h>
// The XKB protocol header names a field "explicit", a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include "ui/xkb_keyboard_layout.h"

Q_LOGGING_CATEGORY(lcLayoutWatch, "karvo.ui.keyboard")

struct XkbLayoutWatcher::XConnection {
    xcb_connection_t* connection = nullptr;
    std::uint8_t firstXkbEvent = 0;
    std::int32_t device = -1;
    std::uint8_t group = 0;  // the current layout, as the last state notice told it

    ~XConnection()
    {
        if (connection)
            xcb_disconnect(connection);
    }
};

namespace {

// A new keymap arrives as a new keyboard or a changed map; a layout switch as a state change.
constexpr std::uint16_t kNotices = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY
                                   | XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
constexpr std::uint16_t kMapParts = XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS
                                    | XCB_XKB_MAP_PART_MODIFIER_MAP | XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS
                                    | XCB_XKB_MAP_PART_KEY_ACTIONS | XCB_XKB_MAP_PART_VIRTUAL_MODS
                                    | XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;

bool SelectNotices(xcb_connection_t* connection, std::int32_t device)
{
    xcb_xkb_select_events_details_t details{};
    details.affectNewKeyboard = details.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.affectState = details.stateDetails = XCB_XKB_STATE_PART_GROUP_STATE;
    const xcb_void_cookie_t cookie = xcb_xkb_select_events_aux_checked(
        connection, xcb_xkb_device_spec_t(device), kNotices, 0, 0, kMapParts, kMapParts, &details);
    xcb_generic_error_t* error = xcb_request_check(connection, cookie);
    std::free(error);
    return !error;
}

}  // namespace

XkbLayoutWatcher::XkbLayoutWatcher(Changed changed, QObject* parent)
    : QObject(parent), m_x(std::make_unique<XConnection>()), m_changed(std::move(changed))
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    m_x->connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(m_x->connection)
        || !xkb_x11_setup_xkb_extension(m_x->connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                        XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr,
                                        &m_x->firstXkbEvent, nullptr)) {
        qCInfo(lcLayoutWatch) << "no X server with the XKB extension: keyboard layout changes are not followed";
        return;
    }
    m_x->device = xkb_x11_get_core_keyboard_device_id(m_x->connection);
    if (m_x->device < 0 || !SelectNotices(m_x->connection, m_x->device)) {
        qCWarning(lcLayoutWatch) << "the X server does not report keyboard changes; the layout stays as it was read";
        m_x->device = -1;
        return;
    }
    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_x->connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &XkbLayoutWatcher::ReadNotices);
}

XkbLayoutWatcher::~XkbLayoutWatcher() = default;

bool XkbLayoutWatcher::IsWatching() const
{
    return m_notifier && m_notifier->isEnabled();
}

void XkbLayoutWatcher::ReadNotices()
{
    // Reading the layout waits for replies, and notices arriving meanwhile wait in the
    // connection's queue rather than on its socket: read until none is left.
    for (;;) {
        bool changed = false;
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_x->connection)) {
            if (event->response_type == m_x->firstXkbEvent) {
                const std::uint8_t notice = reinterpret_cast<const std::uint8_t*>(event)[1];
                if (notice == XCB_XKB_STATE_NOTIFY) {
                    const std::uint8_t group = reinterpret_cast<const xcb_xkb_state_notify_event_t*>(event)->group;
                    changed = changed || group != m_x->group;
                    m_x->group = group;
                } else if (notice == XCB_XKB_NEW_KEYBOARD_NOTIFY || notice == XCB_XKB_MAP_NOTIFY) {
                    changed = true;
                }
            }
            std::free(event);
        }
        if (xcb_connection_has_error(m_x->connection)) {
            qCWarning(lcLayoutWatch) << "lost the X server; keyboard layout changes are no longer followed";
            m_notifier->setEnabled(false);
            return;
        }
        if (!changed)
            return;
        if (std::shared_ptr<const KeyboardLayout> layout = XkbKeyboardLayoutOfDevice(m_x->connection, m_x->device)) {
            qCInfo(lcLayoutWatch) << "the X server's keyboard layout changed; keys are named after it";
            m_changed(std::move(layout));
        }
    }
}
