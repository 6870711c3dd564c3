#include "app/macro/window_input_hook.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>
#include <unordered_map>

#include "app/shell/window_messages.h"
#include "core/keys/keyboard_layout.h"

namespace {

// Keys whose virtual key does not depend on the layout.
const std::unordered_map<int, std::uint32_t>& FixedKeys()
{
    static const std::unordered_map<int, std::uint32_t> keys{
        {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09}, {Qt::Key_Backtab, 0x09}, {Qt::Key_Return, 0x0D},
        {Qt::Key_Enter, 0x0D}, {Qt::Key_Shift, 0xA0}, {Qt::Key_Control, 0xA2}, {Qt::Key_Alt, 0xA4},
        {Qt::Key_AltGr, 0xA5}, {Qt::Key_Meta, 0x5B}, {Qt::Key_Super_L, 0x5B}, {Qt::Key_Super_R, 0x5C},
        {Qt::Key_Menu, 0x5D}, {Qt::Key_Pause, 0x13}, {Qt::Key_CapsLock, 0x14}, {Qt::Key_Escape, 0x1B},
        {Qt::Key_Space, 0x20}, {Qt::Key_PageUp, 0x21}, {Qt::Key_PageDown, 0x22}, {Qt::Key_End, 0x23},
        {Qt::Key_Home, 0x24}, {Qt::Key_Left, 0x25}, {Qt::Key_Up, 0x26}, {Qt::Key_Right, 0x27},
        {Qt::Key_Down, 0x28}, {Qt::Key_Print, 0x2C}, {Qt::Key_Insert, 0x2D}, {Qt::Key_Delete, 0x2E},
        {Qt::Key_NumLock, 0x90}, {Qt::Key_ScrollLock, 0x91},
    };
    return keys;
}

// Keys that type a character, as a US keyboard names them (shifted characters included), for
// platforms that do not say where the key sits.
const std::unordered_map<int, std::uint32_t>& UsCharacterKeys()
{
    static const std::unordered_map<int, std::uint32_t> keys{
        {Qt::Key_Minus, 0xBD}, {Qt::Key_Underscore, 0xBD}, {Qt::Key_Equal, 0xBB}, {Qt::Key_Plus, 0xBB},
        {Qt::Key_BracketLeft, 0xDB}, {Qt::Key_BraceLeft, 0xDB}, {Qt::Key_BracketRight, 0xDD},
        {Qt::Key_BraceRight, 0xDD}, {Qt::Key_Backslash, 0xDC}, {Qt::Key_Bar, 0xDC}, {Qt::Key_Semicolon, 0xBA},
        {Qt::Key_Colon, 0xBA}, {Qt::Key_Apostrophe, 0xDE}, {Qt::Key_QuoteDbl, 0xDE}, {Qt::Key_QuoteLeft, 0xC0},
        {Qt::Key_AsciiTilde, 0xC0}, {Qt::Key_Comma, 0xBC}, {Qt::Key_Less, 0xBC}, {Qt::Key_Period, 0xBE},
        {Qt::Key_Greater, 0xBE}, {Qt::Key_Slash, 0xBF}, {Qt::Key_Question, 0xBF}, {Qt::Key_Exclam, 0x31},
        {Qt::Key_At, 0x32}, {Qt::Key_NumberSign, 0x33}, {Qt::Key_Dollar, 0x34}, {Qt::Key_Percent, 0x35},
        {Qt::Key_AsciiCircum, 0x36}, {Qt::Key_Ampersand, 0x37}, {Qt::Key_Asterisk, 0x38},
        {Qt::Key_ParenLeft, 0x39}, {Qt::Key_ParenRight, 0x30},
    };
    return keys;
}

// Keypad keys by the key Qt reports with the keypad modifier.
std::uint32_t KeypadKey(int key)
{
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return 0x60 + std::uint32_t(key - Qt::Key_0);
    switch (key) {
    case Qt::Key_Asterisk: return 0x6A;
    case Qt::Key_Plus: return 0x6B;
    case Qt::Key_Enter: return 0x6C;
    case Qt::Key_Minus: return 0x6D;
    case Qt::Key_Period:
    case Qt::Key_Comma: return 0x6E;
    case Qt::Key_Slash: return 0x6F;
    default: return 0;
    }
}

// X11 and Wayland report the key's position as its evdev code plus 8; the evdev codes of the
// character keys are their set-1 scan codes.
constexpr quint32 kEvdevOffset = 8;

// The right-hand modifiers and Windows keys, told apart by position.
std::uint32_t SidedModifier(quint32 evdev)
{
    switch (evdev) {
    case 42: return 0xA0;   // left Shift
    case 54: return 0xA1;   // right Shift
    case 29: return 0xA2;   // left Ctrl
    case 97: return 0xA3;   // right Ctrl
    case 56: return 0xA4;   // left Alt
    case 100: return 0xA5;  // right Alt
    case 125: return 0x5B;  // left Windows key
    case 126: return 0x5C;  // right Windows key
    default: return 0;
    }
}

}  // namespace

WindowInputHook::WindowInputHook(QWidget* window) : m_window(window) {}

WindowInputHook::~WindowInputHook()
{
    if (m_watched)
        m_watched->removeEventFilter(this);
}

std::uint32_t WindowInputHook::VirtualKeyOf(const QKeyEvent& event)
{
    const int key = event.key();
    const quint32 native = event.nativeScanCode();
    const quint32 evdev = native > kEvdevOffset ? native - kEvdevOffset : 0;
    if (event.modifiers() & Qt::KeypadModifier) {
        if (const std::uint32_t keypad = KeypadKey(key))
            return keypad;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return 0x70 + std::uint32_t(key - Qt::Key_F1);
    if (const std::uint32_t sided = SidedModifier(evdev))
        return sided;
    if (const auto fixed = FixedKeys().find(key); fixed != FixedKeys().end())
        return fixed->second;
    // A character key: where it sits decides, as the hook library's would.
    if (evdev) {
        if (const std::uint32_t vk = CurrentKeyboardLayout()->ScanCodeToVirtualKey(evdev))
            return vk;
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return 0x41 + std::uint32_t(key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return 0x30 + std::uint32_t(key - Qt::Key_0);
    if (const auto character = UsCharacterKeys().find(key); character != UsCharacterKeys().end())
        return character->second;
    return 0;
}

bool WindowInputHook::MouseMessageOf(const QMouseEvent& event, std::uintptr_t& wParam, std::intptr_t& lParam)
{
    const bool press = event.type() != QEvent::MouseButtonRelease;
    lParam = 0;
    switch (event.button()) {
    case Qt::LeftButton: wParam = press ? 513 : 514; return true;
    case Qt::RightButton: wParam = press ? 516 : 517; return true;
    case Qt::MiddleButton: wParam = press ? 519 : 520; return true;
    // X button 2 is the one the editor names "Backward_Button", X button 1 "Forward_Button".
    case Qt::BackButton: wParam = press ? 523 : 524; lParam = 2; return true;
    case Qt::ForwardButton: wParam = press ? 523 : 524; lParam = 1; return true;
    default: return false;
    }
}

void WindowInputHook::InstallHook(const KarvoPostTarget* target)
{
    m_target = target;
    Watch();
}

void WindowInputHook::RemoveHook()
{
    m_keysOn = false;
    m_target = nullptr;
}

void WindowInputHook::EnableHook(std::uint32_t enable)
{
    m_keysOn = enable != 0 && m_target;
}

void WindowInputHook::RemoveMouseHook()
{
    m_mouseOn = false;
}

void WindowInputHook::EnableMouseHook(std::uint32_t enable)
{
    m_mouseOn = enable != 0;
}

void WindowInputHook::Watch()
{
    // Every input event of the window passes its desktop window once, whichever control gets it.
    QWindow* window = m_window ? m_window->windowHandle() : nullptr;
    if (window == m_watched)
        return;
    if (m_watched)
        m_watched->removeEventFilter(this);
    m_watched = window;
    if (window)
        window->installEventFilter(this);
}

void WindowInputHook::Post(std::uintptr_t wParam, std::intptr_t lParam)
{
    if (m_target && m_target->post)
        m_target->post(m_target->context, Msg::UM_HOOK_INPUT, wParam, lParam);
}

bool WindowInputHook::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_watched || !m_keysOn)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto* key = static_cast<QKeyEvent*>(event);
        // A held key repeats; the hook reports the key going down and coming up.
        if (key->isAutoRepeat())
            break;
        Post(VirtualKeyOf(*key), event->type() == QEvent::KeyPress ? 0 : 1);
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease: {
        std::uintptr_t wParam = 0;
        std::intptr_t lParam = 0;
        if (m_mouseOn && MouseMessageOf(*static_cast<QMouseEvent*>(event), wParam, lParam))
            Post(wParam, lParam);
        break;
    }
    default:
        break;
    }
    return false;
}
