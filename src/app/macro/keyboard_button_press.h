#pragma once

#include <QObject>
#include <cstdint>

class QAbstractButton;

// A button pressed from the keyboard: Space (as for any button) and Enter both take effect when
// the key comes up, so a recording the button starts never sees the key that started it. While
// that release is being handled, PressingKey() names the key as the input hook reports it, so
// a recording the button stops can leave that key out of the macro.
class KeyboardButtonPress final : public QObject {
public:
    explicit KeyboardButtonPress(QAbstractButton* button);

    // The virtual key whose release is clicking the button now; 0 at any other time.
    std::uint32_t PressingKey() const { return m_pressingKey; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractButton* m_button;
    int m_heldQtKey = 0;  // pressed on the button and not yet released
    std::uint32_t m_pressingKey = 0;
};
