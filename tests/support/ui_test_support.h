#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

#include "ui/window_impl_base.h"

// Clicks a control of a window as the user would. False when the window has no such button.
bool ClickControl(WindowImplBase& window, const QString& name);

// Processes posted messages and events until nothing is pending.
void ProcessPending();

// Processes events until done() holds, for news from other threads; false at the deadline.
bool ProcessUntil(const std::function<bool()>& done, int deadlineMs = 20000);

// Gives the control the focus as the user does and types one key into it.
void TypeKey(QWidget* control, int qtKey, const QString& text);

// Installs a modal driver for the lifetime of the object.
class ScopedModalDriver {
public:
    explicit ScopedModalDriver(ModalDriver driver) { SetModalDriver(std::move(driver)); }
    ~ScopedModalDriver() { SetModalDriver({}); }
};

// Answers the modal windows in order, one step each, and notes which came (class names) and what
// their "warning" text said. A window without a step is left open: the driver closes it with 0.
class ModalScript {
public:
    using Step = std::function<void(WindowImplBase&)>;

    ModalScript();
    ModalScript& Then(Step step);
    ModalScript& Click(const char* button);
    // Types a name into the profile-name dialog and presses OK.
    ModalScript& EnterName(const QString& name);
    bool Done() const { return m_steps.empty(); }

    QStringList shown;
    QStringList texts;

private:
    std::deque<Step> m_steps;
    ScopedModalDriver m_driver;
};
