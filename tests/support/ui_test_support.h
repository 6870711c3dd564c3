#pragma once

#include <QString>
#include <functional>

#include "ui/window_impl_base.h"

// Clicks a control of a window as the user would. False when the window has no such button.
bool ClickControl(WindowImplBase& window, const QString& name);

// Processes posted messages and events until nothing is pending.
void ProcessPending();

// Installs a modal driver for the lifetime of the object.
class ScopedModalDriver {
public:
    explicit ScopedModalDriver(ModalDriver driver) { SetModalDriver(std::move(driver)); }
    ~ScopedModalDriver() { SetModalDriver({}); }
};
