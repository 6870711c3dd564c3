#include "app/shell/application.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QProcessEnvironment>

#include "app/rules/rules_controller.h"
#include "app/rules/rules_dbus.h"
#include "app/rules/rules_wnd.h"
#include "app/rules/source_choice.h"
#include "app/shell/autostart.h"
#include "app/shell/battery_watch.h"
#include "app/shell/background_queue.h"
#include "app/shell/dbus_service.h"
#include "app/shell/exit_watch.h"
#include "app/shell/page_mouse_control.h"
#include "app/shell/main_wnd.h"
#include "app/shell/single_instance.h"
#include "app/shell/window_messages.h"
#include "core/keys/keyboard_layout.h"
#include "core/platform/session_bus.h"
#include "ui/resource_manager.h"
#include "ui/xkb_keyboard_layout.h"
#include "ui/xkb_layout_watcher.h"

Q_LOGGING_CATEGORY(lcStart, "karvo.app.start")

namespace {

// Points the toolkit at the skin folder beside the program and reads the resource description.
void SetUpResources()
{
    CResourceManager::Instance().LoadResource(QStringLiteral("main.xml"));
}

// Keys are named as the desktop's layout prints them; where no layout can be read the built-in US
// one stays. Recorded keys do not depend on it: they are stored by place.
void UseDesktopKeyboardLayout()
{
    QString source;
    if (std::shared_ptr<const KeyboardLayout> layout = DesktopKeyboardLayout(&source)) {
        SetKeyboardLayout(std::move(layout));
        qCInfo(lcStart) << "keyboard layout from" << source;
    } else {
        qCWarning(lcStart) << "the desktop's keyboard layout cannot be read; keys are named as on a US keyboard";
    }
}

}  // namespace

int RunApplication(int argc, char* argv[])
{
    // A normal start prints nothing: the utility's own debug and info lines are off unless
    // QT_LOGGING_RULES (which takes precedence over these) turns them on.
    QLoggingCategory::setFilterRules(QStringLiteral("karvo.*.debug=false\nkarvo.*.info=false"));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("karvo-gaming-mouse"));
    QApplication::setApplicationVersion(QStringLiteral(KARVO_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("karvo-gaming-mouse"));
    // Started with the desktop: straight into the tray (or the task bar where there is no tray).
    const bool startHidden = app.arguments().contains(QLatin1String(kHiddenOption));
    // The program lives on in the tray while its window is hidden, also where there is no tray.
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance(CMainWnd::kClassName);
    if (!instance.Claim()) {
        instance.ActivateRunning();
        return 1;
    }
    qCDebug(lcStart, "ilen = %d", int(app.arguments().join(QLatin1Char(' ')).size()));

    SetUpResources();
    UseDesktopKeyboardLayout();
    // A layout changed while the utility runs (setxkbmap, a layout switch) names keys from then on.
    XkbLayoutWatcher layoutWatcher([](std::shared_ptr<const KeyboardLayout> layout) { SetKeyboardLayout(std::move(layout)); });
    {
        CMainWnd mainWindow;
        mainWindow.Theme().Init();
        mainWindow.Page().SetReadStoresInBackground(true);
        const std::uint32_t style = startHidden ? (CMainWnd::kStyle & ~WindowStyle::kVisible) : CMainWnd::kStyle;
        if (!mainWindow.Create(nullptr, style, 0, {0, 0, 800, 572})) {
            qCCritical(lcStart) << "the main window cannot be built; is res/ beside the program?";
            return 0;
        }
        mainWindow.CenterWindow();
        if (startHidden)
            mainWindow.Withdraw();
        instance.SetActivationHandler([&mainWindow] { mainWindow.SendMessage(Msg::UM_ACTIVATE_INSTANCE, 0, 0); });
        // Scripts reach the running utility over the user's session bus.
        PageMouseControl control(mainWindow);
        MouseDBusService service(control, SessionBusExists() ? QDBusConnection::sessionBus() : QDBusConnection(QString()));
        const bool onBus = service.Register();
        // Profiles follow the application in front.
        RulesController rules(control, mainWindow.Page().Session());
        const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        RulesDBus rulesOnBus(rules, service);
        rules.SetChangeListener([&rulesOnBus, &service](bool rulesChanged) {
            if (rulesChanged)
                rulesOnBus.Announce();
            else
                service.Refresh();
        });
        rules.Start(CreateActiveSource(ChooseSourceKind(env), env));
        mainWindow.Menu().SetRulesOpener([&mainWindow, &rules] { RunRulesDialog(&mainWindow, rules); });
        BatteryWatch battery(control, mainWindow.TrayIcon(),
                             SessionBusExists() ? QDBusConnection::sessionBus() : QDBusConnection(QString()));
        battery.Refresh();
        mainWindow.SetMessageObserver([&service, &rules, &battery, onBus] {
            rules.OnWindowMessage();
            if (onBus)
                service.Refresh();
            battery.Refresh();
        });
        {
            // A logout, a signal or the display going away never loses a save asked for.
            const ExitWatch exitWatch([&mainWindow] { mainWindow.Page().Session().FlushSaves(); },
                                      [] { CPaintManagerUI::QuitMessageLoop(0); });
            CPaintManagerUI::MessageLoop();
        }
        mainWindow.SetMessageObserver({});
        mainWindow.Menu().SetRulesOpener({});
        service.Unregister();
        instance.SetActivationHandler({});
        BackgroundQueue::Shell().WaitForDone();
    }
    return 0;
}
