#include "app/macro/window_input_hook.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include "app/macro/key_capture.h"
#include "app/shell/window_messages.h"

WindowInputHook::WindowInputHook(QWidget* window) : m_window(window) {}

WindowInputHook::~WindowInputHook()
{
    if (m_watched)
        m_watched->removeEventFilter(this);
}

std::uint32_t WindowInputHook::VirtualKeyOf(const QKeyEvent& event)
{
    // The same key naming as the shortcut dialog's and the hook library's: by where the key sits.
    return VirtualKeyFromKeyEvent(event);
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
