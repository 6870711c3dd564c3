#include "app/rules/rules_wnd.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QShortcut>
#include <QTableWidget>

#include "app/rules/rules_controller.h"
#include "ui/controls.h"
#include "ui/resource_manager.h"

namespace {

QString Text(const char* key)
{
    return CResourceManager::Instance().GetText(QLatin1String(key));
}

}  // namespace

CRulesWnd::CRulesWnd(AppRules rules, QStringList profiles, QList<ActiveApplication> seen, QString sourceName,
                     QString loadProblem)
    : m_rules(std::move(rules)),
      m_profiles(std::move(profiles)),
      m_seen(std::move(seen)),
      m_sourceName(std::move(sourceName)),
      m_loadProblem(std::move(loadProblem))
{
}

CRulesWnd::~CRulesWnd() = default;

void CRulesWnd::OnWindowBuilt()
{
    CPaintManagerUI& ui = PaintManager();
    m_table = ui.FindControl<QTableWidget>(QStringLiteral("rules_table"));
    m_application = ui.FindControl<QComboBox>(QStringLiteral("rules_application"));
    m_condition = ui.FindControl<QComboBox>(QStringLiteral("rules_condition"));
    m_profile = ui.FindControl<QComboBox>(QStringLiteral("rules_profile"));
    m_default = ui.FindControl<QComboBox>(QStringLiteral("rules_default"));
    m_addButton = ui.FindControl(QStringLiteral("btn_add"));
    m_removeButton = ui.FindControl(QStringLiteral("btn_remove"));
    m_okButton = ui.FindControl(QStringLiteral("btn_ok"));
    m_cancelButton = ui.FindControl(QStringLiteral("btn_cancel"));
    m_exitButton = ui.FindControl(QStringLiteral("btn_exit"));
    if (!m_table || !m_application || !m_condition || !m_profile || !m_default || !m_addButton || !m_removeButton
        || !m_okButton || !m_cancelButton) {
        qWarning("%s: the skin lacks some of the rules dialog's controls", qPrintable(SkinFileName()));
        DestroyWindow();
        return;
    }
    GetHWND()->setWindowTitle(Text("rules_title_text"));
    m_table->setHorizontalHeaderLabels({Text("rules_application_column_text"), Text("rules_condition_column_text"),
                                        Text("rules_profile_column_text")});
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_table->verticalHeader()->setVisible(false);
    for (const ActiveApplication& application : m_seen)
        m_application->addItem(application.Name());
    m_application->setCurrentText(QString());
    m_condition->addItems({Text("rules_front_text"), Text("rules_running_text")});
    // Where nothing tells the application in front, only the running condition can work.
    m_condition->setCurrentIndex(m_sourceName.isEmpty() ? 1 : 0);
    m_profile->addItems(m_profiles);
    m_default->addItem(Text("rules_no_default_text"));
    m_default->addItems(m_profiles);
    m_default->setCurrentIndex(int(m_profiles.indexOf(m_rules.defaultProfile)) + 1);
    if (QWidget* source = ui.FindControl(QStringLiteral("rules_source")))
        SetControlText(source, m_sourceName.isEmpty() ? Text("rules_no_source_text")
                                                      : Text("rules_source_text").arg(m_sourceName));
    if (QWidget* problem = ui.FindControl(QStringLiteral("rules_problem"))) {
        SetControlText(problem, Text("rules_damaged_text").arg(m_loadProblem));
        SetShown(problem, !m_loadProblem.isEmpty());
    }
    // Enter in the application's field adds the rule; anywhere else it is OK.
    m_application->setMinimumContentsLength(14);
    if (QLineEdit* edit = m_application->lineEdit()) {
        edit->setPlaceholderText(Text("rules_application_column_text"));
        m_application->setInsertPolicy(QComboBox::NoInsert);
        QObject::connect(edit, &QLineEdit::returnPressed, GetHWND(), [this] { AddRule(); });
    }
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), GetHWND());
    QObject::connect(escape, &QShortcut::activated, GetHWND(), [this] { Close(0); });
    ShowRules();
    m_application->setFocus();
}

void CRulesWnd::ShowRules()
{
    m_table->setRowCount(int(m_rules.rules.size()));
    for (int row = 0; row < int(m_rules.rules.size()); ++row) {
        const AppRule& rule = m_rules.rules[std::size_t(row)];
        const QString condition = Text(rule.condition == RuleCondition::Running ? "rules_running_text" : "rules_front_text");
        int column = 0;
        for (const QString& text : {rule.application, condition, rule.profile}) {
            auto* item = new QTableWidgetItem(text);
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            m_table->setItem(row, column++, item);
        }
    }
    m_removeButton->setEnabled(!m_rules.rules.empty());
}

void CRulesWnd::AddRule()
{
    const QString application = m_application->currentText().trimmed();
    if (application.isEmpty() || m_profile->currentIndex() < 0) {
        m_application->setFocus();
        return;
    }
    m_rules.Put({application, m_condition->currentIndex() == 1 ? RuleCondition::Running : RuleCondition::Front,
                 m_profile->currentText()});
    m_application->setCurrentText(QString());
    ShowRules();
    m_application->setFocus();
}

void CRulesWnd::RemoveRule()
{
    const int row = m_table->currentRow();
    if (row < 0 || row >= int(m_rules.rules.size()))
        return;
    m_rules.rules.erase(m_rules.rules.begin() + row);
    ShowRules();
    m_table->setFocus();
}

void CRulesWnd::Accept()
{
    // A typed application not yet added is what the user meant to add.
    if (!m_application->currentText().trimmed().isEmpty())
        AddRule();
    const int chosen = m_default->currentIndex();
    m_rules.defaultProfile = chosen > 0 ? m_profiles.value(chosen - 1) : QString();
    Close(1);
}

bool CRulesWnd::ListensForKeys() const
{
    const QLineEdit* edit = m_application ? m_application->lineEdit() : nullptr;
    return edit && edit->hasFocus();
}

void CRulesWnd::Notify(TNotifyUI& msg)
{
    if (msg.sType == NotifyType::kClick)
        OnClick(msg);
}

void CRulesWnd::OnClick(TNotifyUI& msg)
{
    if (msg.pSender == m_addButton)
        AddRule();
    else if (msg.pSender == m_removeButton)
        RemoveRule();
    else if (msg.pSender == m_okButton)
        Accept();
    else if (msg.pSender == m_cancelButton || (m_exitButton && msg.pSender == m_exitButton))
        Close(0);
}

void RunRulesDialog(WindowImplBase* owner, RulesController& rules)
{
    rules.Engine().OnProfilesMaybeChanged();  // renames made since the last look
    CRulesWnd dialog(rules.Engine().Rules(), rules.Profiles(), rules.Engine().Seen(), rules.SourceName(), rules.LoadProblem());
    if (!dialog.Create(owner, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow))
        return;
    dialog.CenterWindow();
    if (dialog.ShowModal() == 1)
        rules.SetRules(dialog.Rules());
    rules.CheckRunningNow();
}
