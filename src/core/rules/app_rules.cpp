#include "core/rules/app_rules.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

const QString kFront = QStringLiteral("front");
const QString kRunning = QStringLiteral("running");

}  // namespace

bool PatternMatches(const QString& pattern, const QString& text)
{
    if (text.isEmpty())
        return false;
    if (!pattern.contains(QLatin1Char('*')))
        return pattern.compare(text, Qt::CaseInsensitive) == 0;
    QString expression;
    for (const QString& part : pattern.split(QLatin1Char('*')))
        expression += QRegularExpression::escape(part) + QStringLiteral(".*");
    expression.chop(2);
    const QRegularExpression regex(QRegularExpression::anchoredPattern(expression),
                                   QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    return regex.match(text).hasMatch();
}

QString ConditionName(RuleCondition condition)
{
    return condition == RuleCondition::Running ? kRunning : kFront;
}

bool AppRules::HasRunningRule() const
{
    return std::any_of(rules.begin(), rules.end(), [](const AppRule& r) { return r.condition == RuleCondition::Running; });
}

const AppRule* AppRules::FrontRule(const QString& appClass, const QString& executable) const
{
    for (const AppRule& rule : rules)
        if (rule.condition == RuleCondition::Front
            && (PatternMatches(rule.application, appClass) || PatternMatches(rule.application, executable)))
            return &rule;
    return nullptr;
}

const AppRule* AppRules::RunningRule(const QStringList& executables) const
{
    for (const AppRule& rule : rules) {
        if (rule.condition != RuleCondition::Running)
            continue;
        for (const QString& executable : executables)
            if (PatternMatches(rule.application, executable))
                return &rule;
    }
    return nullptr;
}

void AppRules::Put(const AppRule& rule)
{
    for (AppRule& existing : rules) {
        if (existing.application.compare(rule.application, Qt::CaseInsensitive) == 0) {
            existing = rule;
            return;
        }
    }
    rules.push_back(rule);
}

bool AppRules::Remove(const QString& application)
{
    const auto before = rules.size();
    std::erase_if(rules, [&](const AppRule& r) { return r.application.compare(application, Qt::CaseInsensitive) == 0; });
    return rules.size() != before;
}

bool AppRules::RenameProfile(const QString& from, const QString& to)
{
    bool renamed = false;
    for (AppRule& rule : rules) {
        if (rule.profile == from) {
            rule.profile = to;
            renamed = true;
        }
    }
    if (defaultProfile == from && !from.isEmpty()) {
        defaultProfile = to;
        renamed = true;
    }
    return renamed;
}

QStringList AppRules::DropMissingProfiles(const QStringList& names)
{
    QStringList dropped;
    std::erase_if(rules, [&](const AppRule& rule) {
        if (names.contains(rule.profile))
            return false;
        dropped << rule.application;
        return true;
    });
    if (!defaultProfile.isEmpty() && !names.contains(defaultProfile)) {
        dropped << QStringLiteral("(default)");
        defaultProfile.clear();
    }
    return dropped;
}

QByteArray AppRulesToJson(const AppRules& rules)
{
    QJsonArray list;
    for (const AppRule& rule : rules.rules)
        list.append(QJsonObject{{QStringLiteral("application"), rule.application},
                                {QStringLiteral("condition"), ConditionName(rule.condition)},
                                {QStringLiteral("profile"), rule.profile}});
    QJsonObject root{{QStringLiteral("rules"), list}};
    if (!rules.defaultProfile.isEmpty())
        root.insert(QStringLiteral("default"), rules.defaultProfile);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

AppRules AppRulesFromJson(const QByteArray& bytes, QString* error)
{
    AppRules result;
    QJsonParseError parse;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parse);
    if (parse.error != QJsonParseError::NoError) {
        *error = QStringLiteral("not JSON at byte %1: %2").arg(parse.offset).arg(parse.errorString());
        return result;
    }
    if (!document.isObject() || !document.object().value(QStringLiteral("rules")).isArray()) {
        *error = QStringLiteral("no list of rules");
        return result;
    }
    const QJsonObject root = document.object();
    result.defaultProfile = root.value(QStringLiteral("default")).toString();
    QStringList bad;
    const QJsonArray list = root.value(QStringLiteral("rules")).toArray();
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QJsonObject entry = list.at(i).toObject();
        const QString condition = entry.value(QStringLiteral("condition")).toString(kFront);
        AppRule rule{entry.value(QStringLiteral("application")).toString().trimmed(),
                     condition == kRunning ? RuleCondition::Running : RuleCondition::Front,
                     entry.value(QStringLiteral("profile")).toString()};
        if (rule.application.isEmpty() || rule.profile.isEmpty() || (condition != kFront && condition != kRunning))
            bad << QString::number(i + 1);
        else
            result.rules.push_back(rule);
    }
    if (!bad.isEmpty())
        *error = QStringLiteral("rule %1 is not whole").arg(bad.join(QStringLiteral(", ")));
    return result;
}
