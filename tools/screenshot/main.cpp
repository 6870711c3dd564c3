// Renders the utility's windows into PNG files for people to review: karvo-screenshot OUTDIR
// The dark look goes into OUTDIR, the light look into OUTDIR/light; the remembered look and the
// desktop's colour scheme play no part.

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPixmap>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTextStream>

#include "app/rules/rules_wnd.h"
#include "app/settings/profile_name_wnd.h"
#include "app/shell/dpi_msg.h"
#include "app/shell/main_wnd.h"
#include "app/shell/msg_wnd.h"
#include "app/shell/theme.h"
#include "app/settings/dpi_color_wnd.h"
#include "app/macro/macro_editor.h"
#include "core/macro/macro_record.h"
#include "core/profile/button_function_table.h"
#include "core/text/name_field.h"
#include "device/profile_session.h"
#include "app/macro/select_macro_wnd.h"
#include "app/macro/shortcut_wnd.h"
#include "app/shell/window_messages.h"
#include "ui/controls.h"
#include "ui/work_area.h"
#include "ui/menu_wnd.h"
#include "ui/resource_manager.h"

namespace {

bool Save(WindowImplBase& window, const QString& path)
{
    QWidget* host = window.GetHWND();
    host->show();
    QApplication::processEvents();
    return host->grab().save(path);
}

void Show(CMainWnd& window, const char* name, bool shown)
{
    if (QWidget* control = window.PaintManager().FindControl(QLatin1String(name)))
        control->setVisible(shown);
}

// The page as the cable shows it: cable indicator, charging with a battery level reported.
void ShowCablePage(CMainWnd& window)
{
    Show(window, "ms_1_wired", true);
    Show(window, "ms_1_wireless", false);
    Show(window, "ms_1_BLE", false);
    Show(window, "ms_1_sleep_label", false);
    Show(window, "apply_ring", true);
    window.Page().Performance().ShowLinkLayout(PerformancePanel::LinkLayout::CableOrReceiver);
    QApplication::processEvents();
    if (auto* bar = window.PaintManager().FindControl<QProgressBar>(QStringLiteral("ms_1_progress_power")))
        bar->setValue(64);
    if (QWidget* label = window.PaintManager().FindControl(QStringLiteral("ms_1_label_power")))
        SetControlText(label, CResourceManager::Instance().GetText(QStringLiteral("charging_level_text")).arg(80));
}

void ShowBlePage(CMainWnd& window)
{
    Show(window, "ms_1_wired", false);
    Show(window, "ms_1_wireless", false);
    Show(window, "ms_1_BLE", true);
    Show(window, "apply_ring", false);
    window.Page().Performance().ShowLinkLayout(PerformancePanel::LinkLayout::Ble);
}

// The button assignment menu with one of its groups opened, and the two pickers it leads to.
bool RenderButtonPickers(CMainWnd& mainWindow, const QString& folder)
{
    bool saved = true;
    CMenuWnd menu(Msg::UM_MENUCLICK);
    if (menu.Init(&mainWindow, QStringLiteral("MS/MS_1/ms_1_menu.xml"), {100, 100})) {
        for (QMenu* group : menu.Menu()->findChildren<QMenu*>()) {
            const QString key = group->property("textKey").toString();
            if (!key.isEmpty())
                group->setTitle(CResourceManager::Instance().GetText(key));
        }
        QApplication::processEvents();
        saved = menu.Menu()->grab().save(folder + QStringLiteral("/buttonmenu.png")) && saved;
        if (auto* media = menu.Menu()->findChild<QMenu*>(QStringLiteral("menu_group_media"))) {
            media->popup({300, 100});
            QApplication::processEvents();
            saved = media->grab().save(folder + QStringLiteral("/buttonmenu_media.png")) && saved;
            media->close();
        }
        menu.Menu()->close();
    }
    CMS_1_SelectMacro selectMacro;
    selectMacro.SetMacroNames({QStringLiteral("Reload"), QStringLiteral("Rapid fire"), QStringLiteral("Build combo")});
    selectMacro.SetSelectedIndex(1);
    selectMacro.SetLoopCount(3);
    selectMacro.Create(&mainWindow, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow);
    saved = Save(selectMacro, folder + QStringLiteral("/selectmacro.png")) && saved;
    CShortcutWnd shortcut;
    shortcut.SetModifiers(1);
    shortcut.SetKey(0x06);
    shortcut.Create(&mainWindow, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow);
    saved = Save(shortcut, folder + QStringLiteral("/shortcut.png")) && saved;
    return saved;
}

// The macro editor with a recorded macro selected and its edit panel open on a key action, then
// recording with the mouse-click page shown.
bool RenderMacroEditor(CMainWnd& mainWindow, const QString& folder)
{
    QTemporaryDir storeFolder;
    ProfileSession macroSession(storeFolder.path() + QStringLiteral("/"));
    macroSession.Locked([](ProfileSession::State& state) {
        auto macro = CreateMacro(QStringLiteral("Reload and dash"));
        const MacroActionSlot actions[] = {{0x15, 1, 60}, {0x15, 2, 120}, {0xE1, 1, 10}, {0x1A, 1, 350},
                                           {0x1A, 2, 10}, {0xE1, 2, 40}, {241, 1, 80}, {241, 2, 10}};
        for (const MacroActionSlot& action : actions)
            macro->actions[macro->action_count++] = action;
        state.macros.push_back(std::move(macro));
        state.macros.push_back(CreateMacro(QStringLiteral("Macro2")));
    });
    CMS_1_Macro macroEditor(macroSession, [] {}, nullptr);
    macroEditor.Create(&mainWindow, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow);
    if (auto* macros = macroEditor.PaintManager().FindControl<QListWidget>(QStringLiteral("ms_1_macro_list")))
        macros->setCurrentRow(0);
    if (auto* actions = macroEditor.PaintManager().FindControl<QListWidget>(QStringLiteral("ms_1_macro_action_list")))
        actions->setCurrentRow(3);
    if (auto* edit = macroEditor.PaintManager().FindControl<QCheckBox>(QStringLiteral("ms_1_macro_action_edit_check")))
        edit->click();
    bool saved = Save(macroEditor, folder + QStringLiteral("/macro.png"));
    if (auto* clicks = macroEditor.PaintManager().FindControl<QCheckBox>(QStringLiteral("ms_1_macro_insert_mouse_btn")))
        clicks->click();
    if (auto* record = macroEditor.PaintManager().FindControl<QCheckBox>(QStringLiteral("ms_1_macro_record_btn")))
        record->click();
    saved = Save(macroEditor, folder + QStringLiteral("/macro_recording.png")) && saved;
    macroEditor.Close(0);
    return saved;
}

// Every window in the current look into folder.
bool RenderWindows(CMainWnd& mainWindow, const QString& folder)
{
    QDir().mkpath(folder);
    ShowCablePage(mainWindow);
    bool saved = Save(mainWindow, folder + QStringLiteral("/main.png"));
    ShowBlePage(mainWindow);
    saved = Save(mainWindow, folder + QStringLiteral("/main_ble.png")) && saved;

    CMS_1_ProfileName nameDialog(QStringLiteral("profile_name_1_text"), {});
    nameDialog.Create(&mainWindow, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow);
    if (auto* edit = nameDialog.PaintManager().FindControl<QLineEdit>(QStringLiteral("edit_name")))
        edit->setText(QStringLiteral("Evening shooter"));
    saved = Save(nameDialog, folder + QStringLiteral("/profilename.png")) && saved;

    CMsgWnd box(QStringLiteral("warning_title_text"), QStringLiteral("no_device_text"));
    box.Create(&mainWindow, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow);
    saved = Save(box, folder + QStringLiteral("/msg.png")) && saved;

    CDPIMsg popup(CMainWnd::DpiPopupText(0, 40));
    popup.Create(&mainWindow, WindowStyle::kPopup | WindowStyle::kVisible,
                 WindowStyle::kExTopmost | WindowStyle::kExToolWindow);
    saved = Save(popup, folder + QStringLiteral("/dpi.png")) && saved;

    // The colour dialog as a DPI stage's colour button opens it, with a preset chosen.
    CDpiColorWnd colorDialog;
    colorDialog.SetCurrentColor(CDpiColorWnd::kPresetColors[12]);
    colorDialog.SetPosition({300, 200});
    colorDialog.Create(&mainWindow, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow);
    saved = Save(colorDialog, folder + QStringLiteral("/dpicolor.png")) && saved;
    colorDialog.Close(0);

    CRulesWnd rulesDialog({{{QStringLiteral("steam_app_*"), RuleCondition::Front, QStringLiteral("Evening shooter")},
                            {QStringLiteral("blender"), RuleCondition::Running, QStringLiteral("Profile1")}},
                           QStringLiteral("Profile1")},
                          {QStringLiteral("Profile1"), QStringLiteral("Evening shooter")},
                          {{QStringLiteral("firefox"), QStringLiteral("firefox"), 1}}, QStringLiteral("X11"), {});
    rulesDialog.Create(&mainWindow, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow);
    saved = Save(rulesDialog, folder + QStringLiteral("/rules.png")) && saved;
    rulesDialog.Close(0);

    // The menu the title bar's menu button opens, with the rules item the running utility offers.
    mainWindow.Menu().SetRulesOpener([] {});
    if (auto* menuButton = mainWindow.PaintManager().FindControl<QAbstractButton>(QStringLiteral("main_menu_btn")))
        menuButton->click();
    QApplication::processEvents();
    if (mainWindow.TrayMenu() && mainWindow.TrayMenu()->Menu()) {
        QMenu* menu = mainWindow.TrayMenu()->Menu();
        saved = menu->grab().save(folder + QStringLiteral("/menu.png")) && saved;
        menu->hide();
    }

    saved = RenderButtonPickers(mainWindow, folder) && saved;
    return RenderMacroEditor(mainWindow, folder) && saved;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The main window reads and creates a profile store; keep the user's own out of it.
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toUtf8());
    // Nor does the look it remembers, or the one it is switched to here.
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toUtf8());
    QApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: karvo-screenshot OUTDIR\n";
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    CResourceManager::Instance().LoadResource(QStringLiteral("main.xml"));
    // The offscreen screen is small; the pictures show every window whole, as on a large desktop
    // (fitting a window into a small screen is the desktop test's).
    SetWorkAreaProvider([] { return QRect(0, 0, 4000, 4000); });

    CMainWnd mainWindow;
    if (!mainWindow.Create(nullptr, CMainWnd::kStyle, 0, {0, 0, 800, 572})) {
        err << "karvo-screenshot: the main window cannot be built\n";
        return 2;
    }
    QApplication::processEvents();
    // A button bound to a macro with a name too long for its slot, and the shortest sleep timer, to
    // see names cut with "…" and the language's decimal comma.
    mainWindow.Page().Session().Locked([](ProfileSession::State& state) {
        ProfileRecord& profile = state.Current();
        profile.sleep_timer = 1;
        profile.buttons[3].function = ButtonFunction::kMacro;
        WriteNameField(profile.buttons[3].macro_name, QStringLiteral("Greeting_1 for the guild"));
    });
    mainWindow.Page().RefreshPage();
    // Shown as with a mouse attached, so that the page is in the picture.
    if (auto* tabs = mainWindow.PaintManager().FindControl<QStackedWidget>(QStringLiteral("device_tab_switch")))
        SelectTabItem(tabs, 0);
    if (QWidget* empty = mainWindow.PaintManager().FindControl(QStringLiteral("no_device_state")))
        empty->hide();

    const struct {
        ShellTheme::Look look;
        QString folder;
    } looks[] = {{ShellTheme::Look::Dark, outDir}, {ShellTheme::Look::Light, outDir + QStringLiteral("/light")}};
    for (const auto& [look, folder] : looks) {
        mainWindow.Theme().SetLook(look);
        if (!RenderWindows(mainWindow, folder)) {
            err << "karvo-screenshot: cannot write into " << folder << '\n';
            return 2;
        }
        QTextStream(stdout) << "wrote main.png, main_ble.png, profilename.png, msg.png, dpi.png, dpicolor.png, menu.png, buttonmenu.png, buttonmenu_media.png, selectmacro.png, shortcut.png, macro.png and macro_recording.png to "
                            << folder << '\n';
    }
    return 0;
}
