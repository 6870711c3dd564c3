// The application rules dialog: typed or seen applications become rules, Remove, the default
// profile, OK keeps and Escape drops; where nothing tells the window in front, it says so.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>

#include "app/rules/rules_wnd.h"
#include "support/ui_test_support.h"
#include "ui/controls.h"
#include "ui/resource_manager.h"

namespace {

template <typename Control = QWidget>
Control* Find(WindowImplBase& window, const char* name) { return window.PaintManager().FindControl<Control>(QLatin1String(name)); }

struct Outcome { int result; AppRules rules; };
Outcome RunDialog(const QString& source, const std::function<void(CRulesWnd&)>& act) {
    CRulesWnd dialog({{{"steam_app_*", RuleCondition::Front, "Game"}}, {}}, {"Desk", "Game"}, {{"blender", "blender", 7}}, source, {});
    EXPECT_TRUE(dialog.Create(nullptr, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow));
    ScopedModalDriver driver([&](WindowImplBase&) { act(dialog); });
    const int result = dialog.ShowModal();
    return {result, dialog.Rules()};
}

TEST(RulesDialog, AddsRemovesSetsTheDefaultAndKeepsOnlyOnOk) {
    const Outcome kept = RunDialog("X11", [](CRulesWnd& d) {
        auto* application = Find<QComboBox>(d, "rules_application");
        EXPECT_EQ(application->itemText(0), "blender");  // seen in front
        EXPECT_EQ(ControlText(Find(d, "rules_source")), CResourceManager::Instance().GetText("rules_source_text").arg("X11"));
        application->lineEdit()->setText("  Game.x86_64 ");
        SelectItem(Find(d, "rules_profile"), 0, true);
        TypeKey(application->lineEdit(), Qt::Key_Return, "\r");  // Enter in the field adds
        EXPECT_EQ(Find<QTableWidget>(d, "rules_table")->rowCount(), 2);
        Find<QTableWidget>(d, "rules_table")->selectRow(0);
        ClickControl(d, "btn_remove");
        SelectItem(Find(d, "rules_default"), 2, true);
        application->lineEdit()->setText("typed-not-added");  // OK adds what was typed
        SelectItem(Find(d, "rules_condition"), 1, true);
        ClickControl(d, "btn_ok");
    });
    EXPECT_EQ(kept.result, 1);
    EXPECT_EQ(kept.rules, (AppRules{{{"Game.x86_64", RuleCondition::Front, "Desk"}, {"typed-not-added", RuleCondition::Running, "Desk"}}, "Game"}));

    const Outcome dropped = RunDialog("", [](CRulesWnd& d) {
        EXPECT_EQ(SelectedItem(Find(d, "rules_condition")), 1);  // only the running condition can work here
        EXPECT_EQ(ControlText(Find(d, "rules_source")), CResourceManager::Instance().GetText("rules_no_source_text"));
        Find<QComboBox>(d, "rules_application")->lineEdit()->setText("x");
        TypeKey(Find(d, "rules_table"), Qt::Key_Escape, {});
    });
    EXPECT_EQ(dropped.result, 0);
}

}  // namespace
