#include "ui/window_post_target.h"

#include <QCoreApplication>

#include "ui/window_message.h"

WindowPostTarget::WindowPostTarget(QObject* receiver) : m_receiver(receiver), m_target{this, &WindowPostTarget::Post} {}

WindowPostTarget::~WindowPostTarget() = default;

void WindowPostTarget::Post(void* context, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    QCoreApplication::postEvent(static_cast<WindowPostTarget*>(context), new WindowMessageEvent(message, wParam, lParam));
}

bool WindowPostTarget::event(QEvent* event)
{
    if (event->type() != WindowMessageEvent::EventType())
        return QObject::event(event);
    // Handed on synchronously: we are on the UI thread already, in the order the plugin posted.
    if (m_receiver)
        QCoreApplication::sendEvent(m_receiver, event);
    return true;
}
