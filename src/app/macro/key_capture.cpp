#include "app/macro/key_capture.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QWidget>
#include <utility>

#include "karvo_key_positions.h"

namespace {

struct KeyRow {
    int qtKey;
    std::uint32_t virtualKey;
};

// Keys whose virtual key does not depend on the layout, and the characters of a US keyboard
// (shifted ones too) with the key that types them.
constexpr KeyRow kKeyRows[] = {
    {Qt::Key_Backspace, 0x08},  {Qt::Key_Tab, 0x09},         {Qt::Key_Backtab, 0x09},    {Qt::Key_Return, 0x0D},
    {Qt::Key_Enter, 0x0D},      {Qt::Key_Shift, 0xA0},       {Qt::Key_Control, 0xA2},    {Qt::Key_Alt, 0xA4},
    {Qt::Key_AltGr, 0xA5},      {Qt::Key_Pause, 0x13},       {Qt::Key_CapsLock, 0x14},   {Qt::Key_Escape, 0x1B},
    {Qt::Key_Space, 0x20},      {Qt::Key_PageUp, 0x21},      {Qt::Key_PageDown, 0x22},   {Qt::Key_End, 0x23},
    {Qt::Key_Home, 0x24},       {Qt::Key_Left, 0x25},        {Qt::Key_Up, 0x26},         {Qt::Key_Right, 0x27},
    {Qt::Key_Down, 0x28},       {Qt::Key_Print, 0x2C},       {Qt::Key_Insert, 0x2D},     {Qt::Key_Delete, 0x2E},
    {Qt::Key_Meta, 0x5B},       {Qt::Key_Super_L, 0x5B},     {Qt::Key_Super_R, 0x5C},    {Qt::Key_Menu, 0x5D},
    {Qt::Key_NumLock, 0x90},    {Qt::Key_ScrollLock, 0x91},
    {Qt::Key_Minus, 0xBD},      {Qt::Key_Underscore, 0xBD},  {Qt::Key_Equal, 0xBB},      {Qt::Key_Plus, 0xBB},
    {Qt::Key_BracketLeft, 0xDB}, {Qt::Key_BraceLeft, 0xDB},  {Qt::Key_BracketRight, 0xDD}, {Qt::Key_BraceRight, 0xDD},
    {Qt::Key_Backslash, 0xDC},  {Qt::Key_Bar, 0xDC},         {Qt::Key_Semicolon, 0xBA},  {Qt::Key_Colon, 0xBA},
    {Qt::Key_Apostrophe, 0xDE}, {Qt::Key_QuoteDbl, 0xDE},    {Qt::Key_QuoteLeft, 0xC0},  {Qt::Key_AsciiTilde, 0xC0},
    {Qt::Key_Comma, 0xBC},      {Qt::Key_Less, 0xBC},        {Qt::Key_Period, 0xBE},     {Qt::Key_Greater, 0xBE},
    {Qt::Key_Slash, 0xBF},      {Qt::Key_Question, 0xBF},
    {Qt::Key_Exclam, 0x31},     {Qt::Key_At, 0x32},          {Qt::Key_NumberSign, 0x33}, {Qt::Key_Dollar, 0x34},
    {Qt::Key_Percent, 0x35},    {Qt::Key_AsciiCircum, 0x36}, {Qt::Key_Ampersand, 0x37},  {Qt::Key_Asterisk, 0x38},
    {Qt::Key_ParenLeft, 0x39},  {Qt::Key_ParenRight, 0x30},
};

// The keypad's own keys while Num Lock is on.
constexpr KeyRow kKeypadRows[] = {
    {Qt::Key_Asterisk, 0x6A}, {Qt::Key_Plus, 0x6B}, {Qt::Key_Enter, 0x6C}, {Qt::Key_Minus, 0x6D},
    {Qt::Key_Period, 0x6E},   {Qt::Key_Comma, 0x6E}, {Qt::Key_Slash, 0x6F},
};

// X11 key symbols of the right-hand modifiers, as the desktop reports them.
constexpr KeyRow kRightModifierSymbols[] = {
    {0xFFE2, 0xA1},  // Shift_R
    {0xFFE4, 0xA3},  // Control_R
    {0xFFEA, 0xA5},  // Alt_R
    {0xFE03, 0xA5},  // ISO_Level3_Shift (AltGr)
    {0xFFEC, 0x5C},  // Super_R
};

// Desktops whose key events carry the X key code (evdev code plus 8) as the native scan code.
bool NativeScanCodesAreXKeycodes()
{
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));
}

}  // namespace

std::uint32_t VirtualKeyFromKeyEvent(int qtKey, Qt::KeyboardModifiers modifiers, std::uint32_t xKeycode,
                                     std::uint32_t nativeVirtualKey)
{
    if (const std::uint32_t placed = KarvoVirtualKeyFromXKeycode(xKeycode))
        return placed;
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return std::uint32_t(qtKey);  // virtual keys of letters are their capitals
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return modifiers.testFlag(Qt::KeypadModifier) ? 0x60u + std::uint32_t(qtKey - Qt::Key_0) : std::uint32_t(qtKey);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 0x70u + std::uint32_t(qtKey - Qt::Key_F1);
    for (const KeyRow& row : kRightModifierSymbols) {
        if (nativeVirtualKey == std::uint32_t(row.qtKey))
            return row.virtualKey;
    }
    if (modifiers.testFlag(Qt::KeypadModifier)) {
        for (const KeyRow& row : kKeypadRows) {
            if (row.qtKey == qtKey)
                return row.virtualKey;
        }
    }
    for (const KeyRow& row : kKeyRows) {
        if (row.qtKey == qtKey)
            return row.virtualKey;
    }
    return 0;
}

std::uint32_t VirtualKeyFromKeyEvent(const QKeyEvent& event)
{
    const std::uint32_t xKeycode = NativeScanCodesAreXKeycodes() ? event.nativeScanCode() : 0;
    return VirtualKeyFromKeyEvent(event.key(), event.modifiers(), xKeycode, event.nativeVirtualKey());
}

LocalKeyCapture::LocalKeyCapture(QWidget* field, Sink sink) : QObject(field), m_sink(std::move(sink))
{
    field->installEventFilter(this);
}

bool LocalKeyCapture::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease && event->type() != QEvent::ShortcutOverride)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const bool focusKey = (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
                          && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (focusKey)
        return false;
    if (event->type() == QEvent::ShortcutOverride) {
        // The field takes every key first, so no window shortcut (Escape, Enter) fires meanwhile.
        event->accept();
        return true;
    }
    const std::uint32_t virtualKey = VirtualKeyFromKeyEvent(*key);
    if (virtualKey != 0 && m_sink)
        m_sink(virtualKey, event->type() == QEvent::KeyRelease);
    return true;
}
