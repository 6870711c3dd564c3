#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

class QKeyEvent;
class QWidget;

// The virtual-key code the input hook would report for a key event of our own windows; 0 for a
// key without one. Like the hook, it names the key by where it sits (the key at the US "Q" place
// is 0x51 whatever the layout types there) when the desktop tells the key's X key code; desktops
// that do not are taken to have a US layout. Left and right modifiers are told apart where the
// desktop says which it was.
std::uint32_t VirtualKeyFromKeyEvent(int qtKey, Qt::KeyboardModifiers modifiers, std::uint32_t xKeycode,
                                     std::uint32_t nativeVirtualKey);
std::uint32_t VirtualKeyFromKeyEvent(const QKeyEvent& event);

// Captures keys from a field's own key events where no global hook is at hand: every press and
// release of a key with a virtual-key code reaches the sink, as the hook's messages would, and
// does not reach the field. Tab and Shift+Tab without Ctrl or Alt still move the focus on, so
// the field can be left from the keyboard.
class LocalKeyCapture final : public QObject {
public:
    using Sink = std::function<void(std::uint32_t virtualKey, bool released)>;

    LocalKeyCapture(QWidget* field, Sink sink);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Sink m_sink;
};
