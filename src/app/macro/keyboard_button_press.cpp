#include "app/macro/keyboard_button_press.h"

#include <QAbstractButton>
#include <QKeyEvent>

#include "app/macro/key_capture.h"

namespace {

bool IsPressKey(int qtKey)
{
    return qtKey == Qt::Key_Space || qtKey == Qt::Key_Select || qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter;
}

}  // namespace

KeyboardButtonPress::KeyboardButtonPress(QAbstractButton* button) : QObject(button), m_button(button)
{
    button->installEventFilter(this);
}

bool KeyboardButtonPress::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_button)
        return false;
    if (event->type() == QEvent::FocusOut) {
        m_heldQtKey = 0;
        return false;
    }
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress
        && event->type() != QEvent::KeyRelease)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (!IsPressKey(key->key()) || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    if (event->type() == QEvent::ShortcutOverride) {
        // Enter presses this button, not the window's default one.
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        if (!key->isAutoRepeat()) {
            m_heldQtKey = key->key();
            m_button->setDown(true);
        }
        return true;
    }
    if (key->isAutoRepeat() || key->key() != m_heldQtKey)
        return true;
    m_heldQtKey = 0;
    m_button->setDown(false);
    m_pressingKey = VirtualKeyFromKeyEvent(*key);
    m_button->click();
    m_pressingKey = 0;
    return true;
}
