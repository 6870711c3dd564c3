#pragma once

#include "app/shell/dbus_service.h"

class RulesController;

// The application rules on the utility's D-Bus object: ListRules, SetRule, RemoveRule,
// SetDefaultProfile, the ActiveApplication property and the RulesChanged signal
// (docs/org.karvo.GamingMouse.xml).
class RulesDBus final : public DBusServiceExtension {
public:
    RulesDBus(RulesController& rules, MouseDBusService& service);
    ~RulesDBus() override;

    bool Handle(const QDBusMessage& message, const std::function<void(const QDBusMessage&)>& reply) override;
    QVariantMap Properties() const override;
    // Announces changed rules (and, through the properties, the application in front).
    void Announce();

private:
    RulesController& m_rules;
    MouseDBusService& m_service;
};
