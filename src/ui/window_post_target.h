#pragma once

#include <QObject>
#include <QPointer>

#include "karvo_post_target.h"

// What plugins get in place of a window handle: any thread may post through it, and the message
// reaches the receiver (a window's host widget) on the UI thread as a window-message event.
// Messages for a receiver that is gone are dropped. Detach every plugin (close its monitor, remove
// its hook) before this object goes.
class WindowPostTarget final : public QObject {
public:
    explicit WindowPostTarget(QObject* receiver);
    ~WindowPostTarget() override;

    const KarvoPostTarget* Target() const { return &m_target; }

protected:
    bool event(QEvent* event) override;

private:
    static void Post(void* context, uint32_t message, uintptr_t wParam, intptr_t lParam);

    QPointer<QObject> m_receiver;
    KarvoPostTarget m_target;
};
