#include "ui/window_post_target.h"

#include <QCoreApplication>

#include "ui/window_impl_base.h"

WindowPostTarget::WindowPostTarget(WindowImplBase* window) : m_window(window), m_target{this, &WindowPostTarget::Post} {}

WindowPostTarget::~WindowPostTarget() = default;

void WindowPostTarget::Post(void* context, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    QCoreApplication::postEvent(static_cast<WindowPostTarget*>(context), new WindowMessageEvent(message, wParam, lParam));
}

bool WindowPostTarget::event(QEvent* event)
{
    if (event->type() != WindowMessageEvent::EventType())
        return QObject::event(event);
    const auto* message = static_cast<WindowMessageEvent*>(event);
    if (m_window && m_window->IsWindow())
        m_window->HandleMessage(message->message, message->wParam, message->lParam);
    return true;
}
