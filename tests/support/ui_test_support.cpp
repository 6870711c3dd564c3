#include "support/ui_test_support.h"

#include <QAbstractButton>
#include <QCoreApplication>

bool ClickControl(WindowImplBase& window, const QString& name)
{
    auto* button = window.PaintManager().FindControl<QAbstractButton>(name);
    if (!button)
        return false;
    button->click();
    return true;
}

void ProcessPending()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}
