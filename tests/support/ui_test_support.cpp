#include "support/ui_test_support.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QThread>

#include "ui/controls.h"

bool ClickControl(WindowImplBase& window, const QString& name)
{
    auto* button = window.PaintManager().FindControl<QAbstractButton>(name);
    return button && (button->click(), true);
}

void ProcessPending()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

bool ProcessUntil(const std::function<bool()>& done, int deadlineMs)
{
    const QDeadlineTimer deadline(deadlineMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        ProcessPending();
        QThread::yieldCurrentThread();
    }
    ProcessPending();
    return true;
}

void TypeKey(QWidget* control, int qtKey, const QString& text)
{
    control->window()->activateWindow();
    ProcessPending();
    control->setFocus();
    ProcessPending();
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, qtKey, Qt::NoModifier, text);
        QCoreApplication::sendEvent(control, &event);
    }
    ProcessPending();
}

ModalScript::ModalScript()
    : m_driver([this](WindowImplBase& window) {
          shown << window.WindowClassName();
          if (QWidget* text = window.PaintManager().FindControl(QStringLiteral("warning")))
              texts << ControlText(text);
          if (m_steps.empty())
              return;
          Step step = std::move(m_steps.front());
          m_steps.pop_front();
          step(window);
      })
{
}

ModalScript& ModalScript::Then(Step step) { return m_steps.push_back(std::move(step)), *this; }

ModalScript& ModalScript::Click(const char* button)
{
    return Then([name = QString::fromLatin1(button)](WindowImplBase& w) { ClickControl(w, name); });
}

ModalScript& ModalScript::EnterName(const QString& name)
{
    return Then([name](WindowImplBase& w) {
        SetControlText(w.PaintManager().FindControl(QStringLiteral("edit_name")), name);
        ClickControl(w, QStringLiteral("btn_ok"));
    });
}
