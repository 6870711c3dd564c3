#include "rules_commands.h"

#include <QTextStream>
#include <memory>

#include "core/profile/profile_record.h"
#include "core/rules/apps_file.h"
#include "core/storage/profile_store.h"
#include "core/storage/store_files.h"
#include "running_utility.h"

namespace {

void Print(const AppRules& rules, QTextStream& out)
{
    for (const AppRule& rule : rules.rules)
        out << rule.application << '\t' << ConditionName(rule.condition) << '\t' << rule.profile << '\n';
    out << "default: " << (rules.defaultProfile.isEmpty() ? QStringLiteral("none") : rules.defaultProfile) << '\n';
}

QString ProfileNamed(const CtlContext& context, const QString& wanted)
{
    ProfileList profiles;
    auto header = std::make_unique<StoreHeader>();
    if (LoadProfileStore(profiles, *header, context.dataFolder).outcome == StoreLoadResult::Outcome::Unreadable)
        throw CtlError{QStringLiteral("cannot read pro.data in %1").arg(context.dataFolder)};
    for (Qt::CaseSensitivity sensitivity : {Qt::CaseSensitive, Qt::CaseInsensitive})
        for (const auto& profile : profiles)
            if (ProfileName(*profile).compare(wanted, sensitivity) == 0)
                return ProfileName(*profile);
    throw CtlError{QStringLiteral("no profile is named '%1'").arg(wanted)};
}

void OnFile(const QString& action, const QStringList& arguments, const CtlContext& context)
{
    if (!EnsureStoreFolder(context.dataFolder))
        throw CtlError{QStringLiteral("cannot make the store folder in %1").arg(context.dataFolder)};
    const QString path = AppsFilePath(context.dataFolder);
    AppsFileLoad load = LoadAppsFile(path);
    if (load.result.outcome == StoreLoadResult::Outcome::Unreadable)
        throw CtlError{QStringLiteral("cannot read %1 (%2); it was left as it is").arg(path, load.result.problem)};
    if (load.result.outcome == StoreLoadResult::Outcome::Repaired)
        context.err << "karvoctl: warning: apps.json was damaged (" << load.result.problem << "); the original is kept as "
                    << load.result.keptAsidePath << '\n';
    AppRules& rules = load.rules;
    if (action == QLatin1String("list")) {
        Print(rules, context.out);
        return;
    }
    if (action == QLatin1String("add"))
        rules.Put({arguments.at(0), arguments.size() > 2 ? RuleCondition::Running : RuleCondition::Front,
                   ProfileNamed(context, arguments.at(1))});
    else if (action == QLatin1String("remove") && !rules.Remove(arguments.at(0)))
        throw CtlError{QStringLiteral("no rule for '%1'").arg(arguments.at(0))};
    else if (action == QLatin1String("default"))
        rules.defaultProfile = arguments.at(0) == QLatin1String("none") ? QString() : ProfileNamed(context, arguments.at(0));
    if (!SaveAppsFile(path, rules))
        throw CtlError{QStringLiteral("cannot write %1").arg(path)};
    context.out << "saved in " << path << " (the utility does not run)\n";
}

void OverBus(const RunningUtility& utility, const QString& action, const QStringList& arguments, const CtlContext& context)
{
    if (action == QLatin1String("list")) {
        const QList<QVariant> answer = utility.Invoke(QStringLiteral("ListRules"));
        if (answer.size() != 4)
            throw CtlError{QStringLiteral("the running utility answered ListRules with %1 values").arg(answer.size())};
        AppRules rules;
        const QStringList applications = answer.at(0).toStringList(), conditions = answer.at(1).toStringList(),
                          profiles = answer.at(2).toStringList();
        for (qsizetype i = 0; i < applications.size() && i < conditions.size() && i < profiles.size(); ++i)
            rules.rules.push_back({applications.at(i),
                                   conditions.at(i) == QLatin1String("running") ? RuleCondition::Running : RuleCondition::Front,
                                   profiles.at(i)});
        rules.defaultProfile = answer.at(3).toString();
        Print(rules, context.out);
        return;
    }
    if (action == QLatin1String("add"))
        utility.Invoke(QStringLiteral("SetRule"),
               {arguments.at(0), QLatin1String(arguments.size() > 2 ? "running" : "front"), arguments.at(1)});
    else if (action == QLatin1String("remove"))
        utility.Invoke(QStringLiteral("RemoveRule"), {arguments.at(0)});
    else
        utility.Invoke(QStringLiteral("SetDefaultProfile"), {arguments.at(0) == QLatin1String("none") ? QString() : arguments.at(0)});
    context.out << "done by the running utility\n";
}

}  // namespace

bool RunRulesCommand(const QString& command, const QStringList& arguments, const CtlContext& context)
{
    if (command != QLatin1String("rules"))
        return false;
    const QString action = arguments.value(0);
    const QStringList rest = arguments.mid(1);
    const bool fits = (action == QLatin1String("list") && rest.isEmpty())
                      || (action == QLatin1String("add") && (rest.size() == 2 || (rest.size() == 3 && rest.at(2) == QLatin1String("running"))))
                      || ((action == QLatin1String("remove") || action == QLatin1String("default")) && rest.size() == 1);
    if (!fits)
        throw CtlError{QStringLiteral("rules takes list, add APP PROFILE [running], remove APP or default PROFILE|none")};
    if (action == QLatin1String("add") && rest.at(0).trimmed().isEmpty())
        throw CtlError{QStringLiteral("a rule needs an application")};
    if (const RunningUtility utility(context); utility.Running())
        OverBus(utility, action, rest, context);
    else
        OnFile(action, rest, context);
    return true;
}

QString RulesUsageText()
{
    return QStringLiteral(
        "\nApplication rules (ms_1/apps.json; through the running utility while it runs):\n"
        "  rules list                          application rules: application, condition, profile; the default\n"
        "  rules add APP PROFILE [running]     PROFILE comes on while APP (window class or executable, * for any\n"
        "                                      characters) is in front, or with \"running\" while it runs\n"
        "  rules remove APP                    drop the rule for APP\n"
        "  rules default PROFILE|none          the profile for applications without a rule (none: stay)\n");
}
