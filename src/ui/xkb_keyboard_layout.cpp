#include "ui/xkb_keyboard_layout.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <cstdarg>
#include <cstdio>
#include <vector>

#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include "karvo_key_positions.h"

Q_LOGGING_CATEGORY(lcKeyboard, "karvo.ui.keyboard")

namespace {

// Owners for the library's reference-counted objects.
struct ContextDeleter {
    void operator()(xkb_context* context) const { xkb_context_unref(context); }
};
struct KeymapDeleter {
    void operator()(xkb_keymap* keymap) const { xkb_keymap_unref(keymap); }
};
struct StateDeleter {
    void operator()(xkb_state* state) const { xkb_state_unref(state); }
};
struct ConnectionDeleter {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
using Context = std::unique_ptr<xkb_context, ContextDeleter>;
using Keymap = std::unique_ptr<xkb_keymap, KeymapDeleter>;
using State = std::unique_ptr<xkb_state, StateDeleter>;
using Connection = std::unique_ptr<xcb_connection_t, ConnectionDeleter>;

// The first evdev code past the main block; below it, a key's evdev code is its set-1 scan code.
constexpr std::uint32_t kFirstCodeBeyondMainBlock = 89;
// An X server numbers keys from 8 up: its key code is the evdev code plus 8.
constexpr std::uint32_t kXKeycodeOffset = 8;

struct PlacedKey {
    std::uint32_t virtualKey;
    std::uint32_t scanCode;  // 0: a key with no set-1 code of its own
    QString text;
};

class XkbKeyboardLayout final : public KeyboardLayout {
public:
    explicit XkbKeyboardLayout(std::vector<PlacedKey> keys) : m_keys(std::move(keys)) {}

    std::uint32_t VirtualKeyToScanCode(std::uint32_t virtualKey) const override
    {
        const PlacedKey* key = FindByVirtualKey(virtualKey);
        return key ? key->scanCode : 0;
    }

    std::uint32_t ScanCodeToVirtualKey(std::uint32_t scanCode) const override
    {
        if (scanCode == 0)
            return 0;
        for (const PlacedKey& key : m_keys) {
            if (key.scanCode == scanCode)
                return key.virtualKey;
        }
        return 0;
    }

    QString KeyText(std::uint32_t virtualKey) const override
    {
        const PlacedKey* key = FindByVirtualKey(virtualKey);
        return key ? key->text : QString();
    }

private:
    const PlacedKey* FindByVirtualKey(std::uint32_t virtualKey) const
    {
        for (const PlacedKey& key : m_keys) {
            if (key.virtualKey == virtualKey)
                return &key;
        }
        return nullptr;
    }

    std::vector<PlacedKey> m_keys;
};

void LogFromLibrary(xkb_context*, xkb_log_level level, const char* format, va_list arguments)
{
    char line[512];
    std::vsnprintf(line, sizeof line, format, arguments);
    const QByteArray text = QByteArray(line).trimmed();
    if (level <= XKB_LOG_LEVEL_ERROR)
        qCWarning(lcKeyboard) << "xkbcommon:" << text;
    else
        qCDebug(lcKeyboard) << "xkbcommon:" << text;
}

Context NewContext()
{
    Context context(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    if (context)
        xkb_context_set_log_fn(context.get(), LogFromLibrary);
    return context;
}

// The character a dead key stands for, as it is shown on the key.
char32_t DeadKeyCharacter(xkb_keysym_t symbol)
{
    switch (symbol) {
    case XKB_KEY_dead_grave: return U'`';
    case XKB_KEY_dead_acute: return U'\u00B4';
    case XKB_KEY_dead_circumflex: return U'^';
    case XKB_KEY_dead_tilde: return U'~';
    case XKB_KEY_dead_macron: return U'\u00AF';
    case XKB_KEY_dead_breve: return U'\u02D8';
    case XKB_KEY_dead_abovedot: return U'\u02D9';
    case XKB_KEY_dead_diaeresis: return U'\u00A8';
    case XKB_KEY_dead_abovering: return U'\u02DA';
    case XKB_KEY_dead_doubleacute: return U'\u02DD';
    case XKB_KEY_dead_caron: return U'\u02C7';
    case XKB_KEY_dead_cedilla: return U'\u00B8';
    case XKB_KEY_dead_ogonek: return U'\u02DB';
    default: return 0;
    }
}

QString TextOf(char32_t character)
{
    return character ? QString::fromUcs4(&character, 1) : QString();
}

// Reads every placed key of the keymap in one layout (group) with no modifier held.
std::shared_ptr<const KeyboardLayout> BuildLayout(xkb_keymap* keymap, xkb_layout_index_t group)
{
    State state(xkb_state_new(keymap));
    if (!state)
        return nullptr;
    if (group >= xkb_keymap_num_layouts(keymap))
        group = 0;
    xkb_state_update_mask(state.get(), 0, 0, 0, 0, 0, group);

    std::vector<PlacedKey> keys;
    keys.reserve(KARVO_KEY_POSITION_COUNT);
    for (const KarvoKeyPosition& position : kKarvoKeyPositions) {
        const xkb_keycode_t keycode = position.evdevCode + kXKeycodeOffset;
        char32_t character = xkb_state_key_get_utf32(state.get(), keycode);
        if (!character)
            character = DeadKeyCharacter(xkb_state_key_get_one_sym(state.get(), keycode));
        const std::uint32_t scanCode = position.evdevCode < kFirstCodeBeyondMainBlock ? position.evdevCode : 0;
        keys.push_back({position.virtualKey, scanCode, TextOf(character)});
    }
    return std::make_shared<const XkbKeyboardLayout>(std::move(keys));
}

Keymap KeymapFromNames(xkb_context* context, const XkbLayoutNames& names)
{
    const QByteArray rules = names.rules.toUtf8();
    const QByteArray model = names.model.toUtf8();
    const QByteArray layout = names.layout.toUtf8();
    const QByteArray variant = names.variant.toUtf8();
    const QByteArray options = names.options.toUtf8();
    auto field = [](const QByteArray& value) { return value.isEmpty() ? nullptr : value.constData(); };
    const xkb_rule_names ruleNames{field(rules), field(model), field(layout), field(variant), field(options)};
    return Keymap(xkb_keymap_new_from_names(context, &ruleNames, XKB_KEYMAP_COMPILE_NO_FLAGS));
}

std::shared_ptr<const KeyboardLayout> LayoutOfDevice(xkb_context* context, xcb_connection_t* connection,
                                                     std::int32_t device)
{
    Keymap keymap(xkb_x11_keymap_new_from_device(context, connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap)
        return nullptr;
    State current(xkb_x11_state_new_from_device(keymap.get(), connection, device));
    const xkb_layout_index_t group =
        current ? xkb_state_serialize_layout(current.get(), XKB_STATE_LAYOUT_EFFECTIVE) : 0;
    return BuildLayout(keymap.get(), group);
}

// The core keyboard's keymap and its current layout, from the X server named by DISPLAY.
std::shared_ptr<const KeyboardLayout> LayoutFromXServer(xkb_context* context)
{
    Connection connection(xcb_connect(nullptr, nullptr));
    if (!connection || xcb_connection_has_error(connection.get()))
        return nullptr;
    if (!xkb_x11_setup_xkb_extension(connection.get(), XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr))
        return nullptr;
    const std::int32_t device = xkb_x11_get_core_keyboard_device_id(connection.get());
    return device < 0 ? nullptr : LayoutOfDevice(context, connection.get(), device);
}

}  // namespace

std::shared_ptr<const KeyboardLayout> XkbKeyboardLayoutOfDevice(xcb_connection_t* connection, std::int32_t device)
{
    Context context = NewContext();
    return context ? LayoutOfDevice(context.get(), connection, device) : nullptr;
}

std::shared_ptr<const KeyboardLayout> XkbKeyboardLayoutFromNames(const XkbLayoutNames& names)
{
    Context context = NewContext();
    if (!context)
        return nullptr;
    Keymap keymap = KeymapFromNames(context.get(), names);
    return keymap ? BuildLayout(keymap.get(), 0) : nullptr;
}

std::shared_ptr<const KeyboardLayout> DesktopKeyboardLayout(QString* source)
{
    Context context = NewContext();
    if (!context)
        return nullptr;
    if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
        if (auto layout = LayoutFromXServer(context.get())) {
            if (source)
                *source = QStringLiteral("the X server's keymap");
            return layout;
        }
    }
    Keymap keymap = KeymapFromNames(context.get(), {});
    if (!keymap)
        return nullptr;
    if (source)
        *source = QStringLiteral("the XKB names of the environment");
    return BuildLayout(keymap.get(), 0);
}
