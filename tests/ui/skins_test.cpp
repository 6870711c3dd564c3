// The skins and the language file beside the program hold everything the code looks up, and the
// application's style sheets give every window its look.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDirIterator>
#include <QMenu>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>

#include "core/keys/builtin_keyboard_layouts.h"
#include "core/keys/key_tables.h"
#include "core/profile/button_function_table.h"
#include "ui/controls.h"
#include "ui/resource_manager.h"
#include "ui/skin_loader.h"

namespace {

const struct {
    const char* skin;
    QStringList controls;
    QStringList menu;  // the items of its menu, separators left out
} kSkins[] = {
    {"main.xml", {"skin_btn", "main_menu_btn", "min_btn", "exit_btn", "apply_progress", "device_tab_switch", "apply_ring",
                  "ms_1_page", "ms_1_list_profile", "title_bar"}, {}},
    {"msg.xml", {"btn_ok", "btn_cancel", "warning_title", "warning"}, {}},
    {"DPImsg.xml", {"dpi_label"}, {}},
    {"traymenu.xml", {}, {"configuration", "autostart", "about", "exit"}},
};

TEST(Skins, EverySkinHoldsTheControlsTheCodeLooksUp)
{
    for (const auto& row : kSkins) {
        std::unique_ptr<QWidget> root(LoadSkin(QLatin1String(row.skin), nullptr));
        ASSERT_TRUE(root) << row.skin;
        for (const QString& name : row.controls)
            EXPECT_TRUE(root->findChild<QWidget*>(name)) << row.skin << ": " << name.toStdString();
        if (QLatin1String(row.skin) == QLatin1String("main.xml")) {
            EXPECT_EQ(root->findChild<QWidget*>("ms_1_page")->property(kVirtualWndProperty).toString(), QStringLiteral("MS_1_Page"));
            EXPECT_TRUE(root->findChild<QWidget*>("title_bar")->property(kCaptionProperty).toBool());
        }
        QStringList items;
        if (auto* menu = root->findChild<QMenu*>())
            for (QAction* action : menu->actions())
                if (!action->isSeparator())
                    items << action->objectName();
        EXPECT_EQ(items, row.menu) << row.skin;
    }
    QString error;
    EXPECT_EQ(LoadSkin(QStringLiteral("no_such_skin.xml"), nullptr, &error), nullptr);
    EXPECT_FALSE(error.isEmpty());
}

// Names the code makes up at run time, which the language-file check cannot see in the sources.
TEST(Skins, EveryNameTheCodeMakesUpHasAText)
{
    const auto us = UsKeyboardLayout();
    for (int code = 0; code < 256; ++code) {
        const QString key = FunctionDisplayKey(std::uint8_t(code));
        EXPECT_TRUE(key.isEmpty() || CResourceManager::Instance().HasText(key)) << key.toStdString();
        // A key without a text would show as the key itself.
        EXPECT_FALSE(UsageName(std::uint8_t(code), *us).startsWith(QLatin1String("key_"))) << code;
    }
    for (const char* key : {"prate_4_text", "sleep_timer_1_text", "sleep_timer_2_text", "keyboard_win_text", "L_Button",
                            "warn_name_1_text", "warn_name_2_text", "charging_text", "add_profile_text", "add_macro_text"})
        EXPECT_TRUE(CResourceManager::Instance().HasText(QLatin1String(key))) << key;
}

// Every window takes its look from the application's style sheet: a skin with a sheet of its own
// would keep that look whatever look the user chose. The top widget names the sheet, which comes
// before its own; one that cannot be read leaves the look as it was. Sizes stay with the dark
// sheet, so that switching to the light one never moves or clips anything.
TEST(Skins, TheLookComesFromTheSheetsTheTopWidgetNames)
{
    for (QDirIterator it(QStringLiteral(KARVO_SOURCE_DIR "/res"), {QStringLiteral("*.xml")}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        QFile skin(it.next());
        EXPECT_TRUE(skin.open(QIODevice::ReadOnly) && !skin.readAll().contains("name=\"styleSheet\"")) << skin.fileName().toStdString();
    }
    CResourceManager& resources = CResourceManager::Instance();
    EXPECT_TRUE(resources.ResourceStyleSheet().contains(QLatin1String("QWidget[skinWindow=\"true\"]")));
    EXPECT_TRUE(resources.ResourceStyleSheet().contains(QLatin1String("QFrame#dpi_color_skin")));
    QFile light(resources.ResourcePath() + QStringLiteral("light.qss"));
    ASSERT_TRUE(light.open(QIODevice::ReadOnly));
    const QByteArray lightSheet = light.readAll();
    for (const char* sizing : {"padding", "margin", "font-size", "width", "height", "min-"})
        EXPECT_FALSE(lightSheet.contains(sizing)) << sizing;
    const QString previousPath = resources.ResourcePath();
    const QString before = resources.ResourceStyleSheet();
    ASSERT_FALSE(before.isEmpty());
    QTemporaryDir dir;
    const auto write = [&](const char* name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    };
    const QByteArray top = R"(<ui><widget class="QWidget" name="top"><property name="styleSheetFile" stdset="0"><string>%1</string></property>)";
    write("look.qss", "QLabel { color: #102030; }");
    write("main.xml", QByteArray(top).replace("%1", "missing.qss") + "</widget></ui>");
    resources.SetResourcePath(dir.path());
    EXPECT_FALSE(resources.LoadResource(QStringLiteral("main.xml")));
    EXPECT_EQ(std::pair(resources.ResourceStyleSheet(), qApp->styleSheet()), std::pair(before, before));
    write("main.xml", QByteArray(top).replace("%1", "look.qss") + R"(<property name="styleSheet"><string>QPushButton { color: #405060; }</string></property>)"
                      R"(<widget class="QLabel" name="child"><property name="styleSheet"><string>x</string></property></widget></widget></ui>)");
    ASSERT_TRUE(resources.LoadResource(QStringLiteral("main.xml")));
    EXPECT_EQ(resources.ResourceStyleSheet(), QStringLiteral("QLabel { color: #102030; }\nQPushButton { color: #405060; }"));
    EXPECT_EQ(qApp->styleSheet(), resources.ResourceStyleSheet());
    resources.SetResourcePath(previousPath);
    resources.LoadResource(QStringLiteral("main.xml"));
}

}  // namespace
