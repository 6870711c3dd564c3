// Renders the utility's windows into PNG files for people to review: karvo-screenshot OUTDIR

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPixmap>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTextStream>

#include "app/settings/profile_name_wnd.h"
#include "app/shell/dpi_msg.h"
#include "app/shell/main_wnd.h"
#include "app/shell/msg_wnd.h"
#include "app/settings/dpi_color_wnd.h"
#include "app/macro/macro_editor.h"
#include "core/macro/macro_record.h"
#include "device/profile_session.h"
#include <QCheckBox>
#include <QListWidget>
#include "app/macro/select_macro_wnd.h"
#include "app/macro/shortcut_wnd.h"
#include "app/shell/window_messages.h"
#include "ui/menu_wnd.h"
#include "ui/controls.h"
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

}  // namespace

int main(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The main window reads and creates a profile store; keep the user's own out of it.
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: karvo-screenshot OUTDIR\n";
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(outDir);
    CResourceManager::Instance().LoadResource(QStringLiteral("main.xml"));

    CMainWnd mainWindow;
    if (!mainWindow.Create(nullptr, CMainWnd::kStyle, 0, {0, 0, 800, 572})) {
        err << "karvo-screenshot: the main window cannot be built\n";
        return 2;
    }
    QApplication::processEvents();
    // Shown as with a mouse attached, so that the page is in the picture.
    if (auto* tabs = mainWindow.PaintManager().FindControl<QStackedWidget>(QStringLiteral("device_tab_switch")))
        SelectTabItem(tabs, 0);
    ShowCablePage(mainWindow);
    const bool cableSaved = Save(mainWindow, outDir + QStringLiteral("/main.png"));
    ShowBlePage(mainWindow);
    const bool bleSaved = Save(mainWindow, outDir + QStringLiteral("/main_ble.png"));

    CMS_1_ProfileName nameDialog(QStringLiteral("profile_name_1_text"), {});
    nameDialog.Create(&mainWindow, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow);
    if (auto* edit = nameDialog.PaintManager().FindControl<QLineEdit>(QStringLiteral("edit_name")))
        edit->setText(QStringLiteral("Evening shooter"));

    CMsgWnd box(QStringLiteral("warning_title_text"), QStringLiteral("no_device_text"));
    box.Create(&mainWindow, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow);
    CDPIMsg popup(CMainWnd::DpiPopupText(0, 40));
    popup.Create(&mainWindow, WindowStyle::kPopup | WindowStyle::kVisible,
                 WindowStyle::kExTopmost | WindowStyle::kExToolWindow);
    // The colour dialog as a DPI stage's colour button opens it, with a preset chosen.
    CDpiColorWnd colorDialog;
    colorDialog.SetCurrentColor(CDpiColorWnd::kPresetColors[12]);
    colorDialog.SetPosition({300, 200});
    colorDialog.Create(&mainWindow, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow);
    if (!Save(colorDialog, outDir + QStringLiteral("/dpicolor.png"))) {
        err << "karvo-screenshot: cannot write into " << outDir << '\n';
        return 2;
    }
    QTextStream(stdout) << "wrote dpicolor.png to " << outDir << '\n';

    // The macro editor with a recorded macro selected and its edit panel open on a key action.
    ProfileSession macroSession(home.path() + QStringLiteral("/macros/"));
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
    if (!Save(macroEditor, outDir + QStringLiteral("/macro.png"))) {
        err << "karvo-screenshot: cannot write into " << outDir << '\n';
        return 2;
    }
    // Recording, with the mouse-click page shown in place of the name.
    if (auto* clicks = macroEditor.PaintManager().FindControl<QCheckBox>(QStringLiteral("ms_1_macro_insert_mouse_btn")))
        clicks->click();
    if (auto* record = macroEditor.PaintManager().FindControl<QCheckBox>(QStringLiteral("ms_1_macro_record_btn")))
        record->click();
    if (!Save(macroEditor, outDir + QStringLiteral("/macro_recording.png"))) {
        err << "karvo-screenshot: cannot write into " << outDir << '\n';
        return 2;
    }
    macroEditor.Close(0);
    QTextStream(stdout) << "wrote macro.png and macro_recording.png to " << outDir << '\n';
    // The button assignment menu, and one of its groups opened.
    CMenuWnd menu(Msg::UM_MENUCLICK);
    if (menu.Init(&mainWindow, QStringLiteral("MS/MS_1/ms_1_menu.xml"), {100, 100})) {
        for (QMenu* group : menu.Menu()->findChildren<QMenu*>()) {
            const QString key = group->property("textKey").toString();
            if (!key.isEmpty())
                group->setTitle(CResourceManager::Instance().GetText(key));
        }
        QApplication::processEvents();
        menu.Menu()->grab().save(outDir + QStringLiteral("/buttonmenu.png"));
        if (auto* media = menu.Menu()->findChild<QMenu*>(QStringLiteral("menu_group_media"))) {
            media->popup({300, 100});
            QApplication::processEvents();
            media->grab().save(outDir + QStringLiteral("/buttonmenu_media.png"));
            media->close();
        }
        menu.Menu()->close();
    }
    // The two pickers as a button's menu opens them.
    CMS_1_SelectMacro selectMacro;
    selectMacro.SetMacroNames({QStringLiteral("Reload"), QStringLiteral("Rapid fire"), QStringLiteral("Build combo")});
    selectMacro.SetSelectedIndex(1);
    selectMacro.SetLoopCount(3);
    selectMacro.Create(&mainWindow, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow);
    CShortcutWnd shortcut;
    shortcut.SetModifiers(1);
    shortcut.SetKey(0x06);
    shortcut.Create(&mainWindow, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow);
    if (!Save(selectMacro, outDir + QStringLiteral("/selectmacro.png"))
        || !Save(shortcut, outDir + QStringLiteral("/shortcut.png"))) {
        err << "karvo-screenshot: cannot write into " << outDir << '\n';
        return 2;
    }
    QTextStream(stdout) << "wrote buttonmenu.png, buttonmenu_media.png, selectmacro.png and shortcut.png to " << outDir
                        << '\n';

    const bool saved = cableSaved && bleSaved
                       && Save(nameDialog, outDir + QStringLiteral("/profilename.png"))
                       && Save(box, outDir + QStringLiteral("/msg.png"))
                       && Save(popup, outDir + QStringLiteral("/dpi.png"));
    if (!saved) {
        err << "karvo-screenshot: cannot write into " << outDir << '\n';
        return 2;
    }
    QTextStream(stdout) << "wrote main.png, main_ble.png, profilename.png, msg.png and dpi.png to " << outDir << '\n';
    return 0;
}
