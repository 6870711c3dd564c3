#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QVariant>
#include <QVariantMap>

#include "karvoctl_commands.h"

// The running utility that holds the stores of the data folder, reached over the session bus; not
// Running() when none runs there, or when the one that runs works on other stores.
class RunningUtility {
public:
    explicit RunningUtility(const CtlContext& context);

    bool Running() const { return m_running; }
    // Calls a method of the utility's interface; a refusal throws CtlError with the utility's words.
    QList<QVariant> Invoke(const QString& method, const QList<QVariant>& arguments = {}) const;
    QVariantMap Properties() const;

private:
    QDBusMessage Call(const QDBusMessage& message) const;

    QDBusConnection m_bus;
    bool m_running = false;
};
