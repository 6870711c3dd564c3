#include "app/rules/rules_dbus.h"

#include <QDBusMessage>

#include "app/rules/rules_controller.h"

namespace {

const QString kInvalidArgs = QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");
const QString kNoSuchProfile = QStringLiteral("org.karvo.GamingMouse.Error.NoSuchProfile");
const QString kNoSuchRule = QStringLiteral("org.karvo.GamingMouse.Error.NoSuchRule");
const QString kWriteFailed = QStringLiteral("org.karvo.GamingMouse.Error.WriteFailed");

// The profile's own spelling of a name given exact or in any letter case; empty when none.
QString ProfileNamed(const QStringList& names, const QString& wanted)
{
    for (const QString& name : names)
        if (name == wanted)
            return name;
    for (const QString& name : names)
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return name;
    return {};
}

}  // namespace

RulesDBus::RulesDBus(RulesController& rules, MouseDBusService& service) : m_rules(rules), m_service(service)
{
    m_service.SetExtension(this);
}

RulesDBus::~RulesDBus()
{
    m_service.SetExtension(nullptr);
}

QVariantMap RulesDBus::Properties() const
{
    return {{QStringLiteral("ActiveApplication"), m_rules.Engine().Front().Name()}};
}

void RulesDBus::Announce()
{
    m_service.EmitSignal(QStringLiteral("RulesChanged"));
    m_service.Refresh();
}

bool RulesDBus::Handle(const QDBusMessage& message, const std::function<void(const QDBusMessage&)>& reply)
{
    const QString member = message.member();
    const QString signature = message.signature();
    const QList<QVariant> arguments = message.arguments();
    const auto refuse = [&](const QString& error, const QString& text) {
        reply(message.createErrorReply(error, text));
        return true;
    };
    // A change is answered once apps.json holds it.
    const auto change = [&](const AppRules& changed) {
        m_rules.SetRules(changed, [message, reply](const QString& error) {
            reply(error.isEmpty() ? message.createReply() : message.createErrorReply(kWriteFailed, error));
        });
        return true;
    };
    const auto profileOf = [&](const QString& wanted) { return ProfileNamed(m_rules.Profiles(), wanted); };
    AppRules rules = m_rules.Engine().Rules();
    if (member == QLatin1String("ListRules")) {
        if (!signature.isEmpty())
            return refuse(kInvalidArgs, QStringLiteral("ListRules takes ()"));
        QStringList applications, conditions, profiles;
        for (const AppRule& rule : rules.rules)
            applications << rule.application, conditions << ConditionName(rule.condition), profiles << rule.profile;
        QDBusMessage answer = message.createReply();
        answer << applications << conditions << profiles << rules.defaultProfile;
        reply(answer);
    } else if (member == QLatin1String("SetRule")) {
        if (signature != QLatin1String("sss"))
            return refuse(kInvalidArgs, QStringLiteral("SetRule takes (sss)"));
        const QString application = arguments.at(0).toString().trimmed();
        const QString condition = arguments.at(1).toString();
        const QString profile = profileOf(arguments.at(2).toString());
        if (application.isEmpty() || (condition != QLatin1String("front") && condition != QLatin1String("running")))
            return refuse(kInvalidArgs, QStringLiteral("SetRule takes an application and \"front\" or \"running\""));
        if (profile.isEmpty())
            return refuse(kNoSuchProfile, QStringLiteral("no profile is named '%1'").arg(arguments.at(2).toString()));
        rules.Put({application, condition == QLatin1String("running") ? RuleCondition::Running : RuleCondition::Front, profile});
        return change(rules);
    } else if (member == QLatin1String("RemoveRule")) {
        if (signature != QLatin1String("s"))
            return refuse(kInvalidArgs, QStringLiteral("RemoveRule takes (s)"));
        if (!rules.Remove(arguments.at(0).toString()))
            return refuse(kNoSuchRule, QStringLiteral("no rule for '%1'").arg(arguments.at(0).toString()));
        return change(rules);
    } else if (member == QLatin1String("SetDefaultProfile")) {
        if (signature != QLatin1String("s"))
            return refuse(kInvalidArgs, QStringLiteral("SetDefaultProfile takes (s)"));
        const QString wanted = arguments.at(0).toString();
        rules.defaultProfile = wanted.isEmpty() ? QString() : profileOf(wanted);
        if (!wanted.isEmpty() && rules.defaultProfile.isEmpty())
            return refuse(kNoSuchProfile, QStringLiteral("no profile is named '%1'").arg(wanted));
        return change(rules);
    } else {
        return false;
    }
    return true;
}
