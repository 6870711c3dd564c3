// The skins and the language file beside the program hold everything the code looks up.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QWidget>
#include <memory>

#include "core/keys/key_tables.h"
#include "core/keys/builtin_keyboard_layouts.h"
#include "core/profile/button_function_table.h"
#include "ui/controls.h"
#include "ui/resource_manager.h"
#include "ui/skin_loader.h"

namespace {

void ExpectControls(const char* skin, std::initializer_list<const char*> names)
{
    std::unique_ptr<QWidget> root(LoadSkin(QLatin1String(skin), nullptr));
    ASSERT_TRUE(root) << skin;
    for (const char* name : names)
        EXPECT_TRUE(root->findChild<QWidget*>(QLatin1String(name))) << skin << ": " << name;
}

TEST(Skins, ShellControlsExist)
{
    ExpectControls("main.xml", {"skin_btn", "main_menu_btn", "min_btn", "exit_btn", "apply_progress",
                                "device_tab_switch", "apply_ring", "ms_1_page", "ms_1_list_profile"});
    ExpectControls("msg.xml", {"btn_ok", "btn_cancel", "warning_title", "warning"});
    ExpectControls("DPImsg.xml", {"dpi_label"});
}

TEST(Skins, PageAreaIsTheVirtualWindow)
{
    std::unique_ptr<QWidget> root(LoadSkin(QStringLiteral("main.xml"), nullptr));
    ASSERT_TRUE(root);
    EXPECT_EQ(root->findChild<QWidget*>(QStringLiteral("ms_1_page"))->property(kVirtualWndProperty).toString(),
              QStringLiteral("MS_1_Page"));
    EXPECT_TRUE(root->findChild<QWidget*>(QStringLiteral("title_bar"))->property(kCaptionProperty).toBool());
}

TEST(Skins, TrayMenuItems)
{
    std::unique_ptr<QWidget> root(LoadSkin(QStringLiteral("traymenu.xml"), nullptr));
    ASSERT_TRUE(root);
    auto* menu = root->findChild<QMenu*>();
    ASSERT_TRUE(menu);
    QStringList names;
    for (QAction* action : menu->actions())
        if (!action->isSeparator())
            names << action->objectName();
    EXPECT_EQ(names, (QStringList{"configuration", "autostart", "about", "exit"}));
}

TEST(Skins, MissingSkinIsReportedNotCrashed)
{
    QString error;
    EXPECT_EQ(LoadSkin(QStringLiteral("no_such_skin.xml"), nullptr, &error), nullptr);
    EXPECT_FALSE(error.isEmpty());
}

TEST(Language, EveryKeyTheCodeUsesHasAText)
{
    const CResourceManager& resources = CResourceManager::Instance();
    for (int code = 0; code < 256; ++code) {
        const QString key = FunctionDisplayKey(std::uint8_t(code));
        if (!key.isEmpty()) {
            EXPECT_TRUE(resources.HasText(key)) << key.toStdString();
        }
    }
    // A key without a text would show as the key itself.
    const auto us = UsKeyboardLayout();
    for (int code = 0; code < 256; ++code) {
        const QString name = UsageName(std::uint8_t(code), *us);
        EXPECT_FALSE(name.startsWith(QLatin1String("key_"))) << code << " " << name.toStdString();
    }
    for (const char* key : {"mouse_name_text", "warning_title_text", "no_device_text", "one_profile_text",
                            "delete_profile_text", "restore_text", "warn_name_1_text", "warn_name_2_text",
                            "one_click_text", "save_macro_text", "delete_macro_text", "add_profile_text",
                            "add_macro_text", "charging_text", "assign_macro_text", "prate_4_text",
                            "sleep_timer_1_text", "sleep_timer_2_text", "keyboard_win_text", "L_Button"})
        EXPECT_TRUE(resources.HasText(QLatin1String(key))) << key;
}

}  // namespace
