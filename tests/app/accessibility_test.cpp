// What every window owes: each control a screen reader announces has a name from the language
// file that tells it apart; the title bar's buttons say what they do.
#include <QAccessible>
#include <QRegularExpression>

#include "app/macro/macro_editor.h"
#include "app/macro/select_macro_wnd.h"
#include "app/macro/shortcut_wnd.h"
#include "app/rules/rules_wnd.h"
#include "app/settings/dpi_color_wnd.h"
#include "app/settings/profile_name_wnd.h"
#include "app/shell/msg_wnd.h"
#include "page_window_fixture.h"

namespace {

using Inspect = std::function<void(WindowImplBase&)>;

bool NeedsName(QAccessible::Role role)
{
    return QList{QAccessible::PushButton, QAccessible::CheckBox, QAccessible::RadioButton, QAccessible::Slider,
                 QAccessible::ComboBox, QAccessible::EditableText, QAccessible::List}.contains(role);
}

// The controls a screen reader announces, with what it says for each (the accessible name, else
// the shown text). Qt's own parts of a control (a combo box's list) have no object name.
void CollectAnnounced(QAccessibleInterface* node, QList<std::pair<QWidget*, QString>>& announced, int depth = 0)
{
    if (!node || depth > 64)
        return;
    auto* widget = qobject_cast<QWidget*>(node->object());
    if (widget && !widget->objectName().isEmpty() && NeedsName(node->role()))
        announced.push_back({widget, widget->accessibleName().isEmpty() ? node->text(QAccessible::Name) : widget->accessibleName()});
    for (int i = 0; i < node->childCount(); ++i)
        CollectAnnounced(node->child(i), announced, depth + 1);
}

// The strongest check, for every window alike: what is said comes from a key of the language file
// (the accessible name's, else the shown text's; "%1" a number), and no two controls sound alike.
void ExpectNamedFromLanguageFile(WindowImplBase& window)
{
    window.GetHWND()->show();
    QList<std::pair<QWidget*, QString>> announced;
    CollectAnnounced(QAccessible::queryAccessibleInterface(window.GetHWND()), announced);
    EXPECT_GE(announced.size(), 2);
    QStringList said;
    for (const auto& [control, name] : announced) {
        SCOPED_TRACE(control->objectName().toStdString());
        QString key = control->property("accessibleNameKey").toString();
        if (key.isEmpty())
            key = control->property("textKey").toString();
        EXPECT_TRUE(CResourceManager::Instance().HasText(key)) << key.toStdString();
        const QString text = QRegularExpression::escape(CResourceManager::Instance().GetText(key)).replace(QLatin1String("\\%1"), QLatin1String("\\d+"));
        EXPECT_TRUE(!name.isEmpty() && QRegularExpression(QRegularExpression::anchoredPattern(text)).match(name).hasMatch())
            << name.toStdString();
        said << name;
    }
    const qsizetype all = said.size();
    said.removeDuplicates();
    EXPECT_EQ(said.size(), all);
}

constexpr std::uint32_t kDialog = WindowStyle::kPopup | WindowStyle::kVisible;

template <typename Window, typename... Args>
void OpenPlain(const Inspect& inspect, Args... args)
{
    Window window(args...);
    if (window.Create(nullptr, kDialog, WindowStyle::kExToolWindow))
        inspect(window);
}
void OpenMainWindow(const Inspect& inspect)
{
    CMainWnd window;
    if (window.Create(nullptr, CMainWnd::kStyle, 0, {0, 0, 800, 572}))
        inspect(window);
    window.Page().ShutdownDevice();
}
void OpenMessageBox(const Inspect& i) { OpenPlain<CMsgWnd>(i, QStringLiteral("warning_title_text"), QStringLiteral("restore_text")); }
void OpenProfileName(const Inspect& i) { OpenPlain<CMS_1_ProfileName>(i, QStringLiteral("profile_name_1_text"), QStringList{}); }
void OpenShortcut(const Inspect& i) { OpenPlain<CShortcutWnd>(i); }
void OpenRules(const Inspect& i) { OpenPlain<CRulesWnd>(i, AppRules{{{"a", RuleCondition::Front, "P"}}, {}}, QStringList{"P"}, QList<ActiveApplication>{}, QString("X11"), QString("damaged")); }
void OpenSelectMacro(const Inspect& inspect)
{
    CMS_1_SelectMacro dialog;
    dialog.SetMacroNames({QStringLiteral("Reload"), QStringLiteral("Burst")});
    if (dialog.Create(nullptr, kDialog, WindowStyle::kExToolWindow))
        inspect(dialog);
}
// The two the page runs modally are opened the page's way; left open, they end as cancelled.
void OpenDpiColor(const Inspect& inspect)
{
    ScopedModalDriver driver(inspect);
    std::uint32_t stored = 0x00332211;
    EXPECT_FALSE(RunDpiColorDialog(nullptr, nullptr, stored));
    EXPECT_EQ(stored, 0x00332211u);
}
void OpenMacroEditor(const Inspect& inspect)
{
    QTemporaryDir data;
    ProfileSession session(data.path() + QLatin1Char('/'));
    session.Load();
    session.Locked([](ProfileSession::State& s) { s.macros.push_back(CreateMacro(QStringLiteral("Reload"))); });
    ScopedModalDriver driver(inspect);
    RunMacroEditor(nullptr, session, [] {}, nullptr);
}

struct WindowRow {
    const char* name;
    void (*open)(const Inspect&);
};
const WindowRow kWindows[] = {{"MainWindow", OpenMainWindow}, {"MessageBox", OpenMessageBox}, {"ProfileName", OpenProfileName},
                              {"DpiColor", OpenDpiColor},     {"MacroEditor", OpenMacroEditor}, {"SelectMacro", OpenSelectMacro},
                              {"Shortcut", OpenShortcut},     {"Rules", OpenRules}};

class EveryWindow : public testing::TestWithParam<WindowRow> {};

TEST_P(EveryWindow, NamesComeFromTheLanguageFileAndDiffer)
{
    int shown = 0;
    GetParam().open([&](WindowImplBase& window) {
        ++shown;
        ExpectNamedFromLanguageFile(window);
    });
    EXPECT_EQ(shown, 1);
}

INSTANTIATE_TEST_SUITE_P(All, EveryWindow, testing::ValuesIn(kWindows), [](const auto& info) { return std::string(info.param.name); });

TEST_F(PageWindowTest, TitleBarButtonsAndSlidersSayWhatTheyDo)
{
    const std::pair<const char*, const char*> kNames[] = {{"skin_btn", "Switch between dark and light look"}, {"main_menu_btn", "Menu"},
                                                          {"min_btn", "Minimise"}, {"exit_btn", "Close"}, {"ms_1_slider_dpi_3", "DPI of stage 3"}};
    for (const auto& [control, name] : kNames)
        EXPECT_EQ(Control(QLatin1String(control))->accessibleName(), QLatin1String(name)) << control;
}

}  // namespace
