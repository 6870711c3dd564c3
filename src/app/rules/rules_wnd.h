#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "app/rules/active_application_source.h"
#include "core/rules/app_rules.h"
#include "ui/window_impl_base.h"

class QComboBox;
class QTableWidget;

// The application rules dialog: the table of rules (application, condition, profile), a row to
// add one (an application seen in front since start, or typed), Remove, the default profile and
// which source tells the application in front. It edits a copy: OK ends with 1 and Rules() holds
// the result; Cancel, the close button and Escape end with 0.
class CRulesWnd final : public WindowImplBase {
public:
    CRulesWnd(AppRules rules, QStringList profiles, QList<ActiveApplication> seen, QString sourceName, QString loadProblem);
    ~CRulesWnd() override;

    QString WindowClassName() const override { return QStringLiteral("RulesWnd"); }
    QString SkinFileName() const override { return QStringLiteral("rules.xml"); }
    void Notify(TNotifyUI& msg) override;

    const AppRules& Rules() const { return m_rules; }

protected:
    void OnWindowBuilt() override;
    void OnClick(TNotifyUI& msg) override;
    // Enter in the application field adds the rule there rather than pressing OK.
    bool ListensForKeys() const override;

private:
    void ShowRules();
    void AddRule();
    void RemoveRule();
    void Accept();

    AppRules m_rules;
    QStringList m_profiles;
    QList<ActiveApplication> m_seen;
    QString m_sourceName;
    QString m_loadProblem;
    QTableWidget* m_table = nullptr;
    QComboBox* m_application = nullptr;
    QComboBox* m_condition = nullptr;
    QComboBox* m_profile = nullptr;
    QComboBox* m_default = nullptr;
    QWidget* m_addButton = nullptr;
    QWidget* m_removeButton = nullptr;
    QWidget* m_okButton = nullptr;
    QWidget* m_cancelButton = nullptr;
    QWidget* m_exitButton = nullptr;
};

class RulesController;
// Runs the dialog modally over the owner; on OK the controller takes the rules, and the running
// processes are looked at once.
void RunRulesDialog(WindowImplBase* owner, RulesController& rules);
