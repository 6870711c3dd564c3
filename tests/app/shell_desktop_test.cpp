// The shell on a Linux desktop: the menu button, start with the desktop, the dark and light
// looks, the window without a tray, the About box and the notice for a mouse this user may not
// open. All through the real main window and its controls.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "app/shell/autostart.h"
#include "app/shell/background_queue.h"
#include "app/shell/main_wnd.h"
#include "app/shell/shell_settings.h"
#include "app/shell/window_messages.h"
#include "device/device_access.h"
#include "support/ui_test_support.h"
#include "ui/controls.h"
#include "ui/menu_wnd.h"
#include "ui/tray_icon.h"

namespace {

// Each test gets a configuration folder of its own.
class ShellDesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    }

    void TearDown() override
    {
        BackgroundQueue::Shell().WaitForDone();
        window.reset();
        qputenv("XDG_CONFIG_HOME", previousConfig);
        CTrayIcon::SetAvailableForTesting(true);
        SetDeviceAccessProbe({});
        SetModalDriver({});
    }

    void Build()
    {
        window = std::make_unique<CMainWnd>();
        ASSERT_TRUE(window->Create(nullptr, CMainWnd::kStyle, 0, {0, 0, 800, 572}));
        Settle();
    }

    // Lets queued background work finish and its results reach the window.
    static void Settle()
    {
        ProcessPending();
        BackgroundQueue::Shell().WaitForDone();
        ProcessPending();
    }

    QStringList MenuItems() const
    {
        QStringList names;
        for (QAction* action : window->TrayMenu()->Menu()->actions())
            if (!action->isSeparator())
                names << action->objectName();
        return names;
    }

    QAction* MenuItem(const QString& name) const
    {
        for (QAction* action : window->TrayMenu()->Menu()->actions())
            if (action->objectName() == name)
                return action;
        return nullptr;
    }

    QTemporaryDir config;
    QByteArray previousConfig;
    std::unique_ptr<CMainWnd> window;
};

TEST_F(ShellDesktopTest, MenuButtonOpensTheTrayMenu)
{
    Build();
    ASSERT_TRUE(ClickControl(*window, QStringLiteral("main_menu_btn")));
    ProcessPending();
    ASSERT_TRUE(window->TrayMenu() && window->TrayMenu()->Menu());
    EXPECT_EQ(MenuItems(), (QStringList{"configuration", "autostart", "about", "exit"}));
    ASSERT_TRUE(window->TrayMenu()->Choose(QStringLiteral("exit")));
    ProcessPending();
    EXPECT_FALSE(window->IsWindow());
}

TEST_F(ShellDesktopTest, StartWithTheDesktopWritesAndRemovesTheAutostartEntry)
{
    Build();
    const QString entry = config.filePath(QStringLiteral("autostart/karvo-gaming-mouse.desktop"));
    EXPECT_EQ(AutostartEntryPath(), entry);
    ASSERT_TRUE(ClickControl(*window, QStringLiteral("main_menu_btn")));
    ProcessPending();
    ASSERT_TRUE(MenuItem(QStringLiteral("autostart")));
    EXPECT_FALSE(MenuItem(QStringLiteral("autostart"))->isChecked());
    ASSERT_TRUE(window->TrayMenu()->Choose(QStringLiteral("autostart")));
    Settle();

    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.startsWith(QLatin1String("[Desktop Entry]\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QLatin1String("\nExec=") + QCoreApplication::applicationFilePath() + QLatin1String(" --hidden\n")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QLatin1String("\nType=Application\n")));

    // The tray's right click shows the mark as well.
    window->PostMessage(Msg::UM_TRAYICON, 0, CTrayIcon::kRightButtonUp);
    ProcessPending();
    ASSERT_TRUE(MenuItem(QStringLiteral("autostart")));
    EXPECT_TRUE(MenuItem(QStringLiteral("autostart"))->isChecked());
    ASSERT_TRUE(window->TrayMenu()->Choose(QStringLiteral("autostart")));
    Settle();
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_FALSE(window->Menu().AutostartEnabled());
}

TEST_F(ShellDesktopTest, AnEntryWrittenEarlierIsKnownAtStart)
{
    ASSERT_TRUE(WriteAutostartEntry(config.filePath(QStringLiteral("autostart/karvo-gaming-mouse.desktop")),
                                    QStringLiteral("/usr/bin/karvo-gaming-mouse"), nullptr));
    Build();
    EXPECT_TRUE(window->Menu().AutostartEnabled());
}

TEST_F(ShellDesktopTest, AutostartFolderThatCannotBeWrittenIsReportedAndTheMarkStaysOff)
{
    // A file where the autostart folder belongs.
    QFile blocker(config.filePath(QStringLiteral("autostart")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Build();
    int boxes = 0;
    QString shown;
    ScopedModalDriver driver([&](WindowImplBase& box) {
        ++boxes;
        shown = ControlText(box.PaintManager().FindControl(QStringLiteral("warning")));
        ClickControl(box, QStringLiteral("btn_ok"));
    });
    window->Menu().SetAutostart(true);
    Settle();
    EXPECT_EQ(boxes, 1);
    EXPECT_TRUE(shown.contains(QLatin1String("Start with the desktop"))) << shown.toStdString();
    EXPECT_FALSE(window->Menu().AutostartEnabled());
    EXPECT_TRUE(QFileInfo(blocker.fileName()).isFile());  // nothing of the user's was replaced
}

TEST(AutostartEntry, ProgramPathsWithSpacesAreQuoted)
{
    const QString text = QString::fromUtf8(AutostartEntry(QStringLiteral("/opt/My Apps/karvo \"x\" $HOME")));
    EXPECT_TRUE(text.contains(QLatin1String("\nExec=\"/opt/My Apps/karvo \\\"x\\\" \\$HOME\" --hidden\n")))
        << text.toStdString();
    EXPECT_TRUE(QString::fromUtf8(AutostartEntry(QStringLiteral("/usr/bin/a%b"))).contains(QLatin1String("Exec=/usr/bin/a%%b --hidden")));
}

TEST(AutostartEntry, ValidatesAsADesktopEntry)
{
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        GTEST_SKIP() << "desktop-file-validate is not installed";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("karvo-gaming-mouse.desktop"));
    ASSERT_TRUE(WriteAutostartEntry(path, QStringLiteral("/opt/My Apps/karvo"), nullptr));
    QProcess process;
    process.start(validator, {path});
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardOutput().toStdString();
}

TEST_F(ShellDesktopTest, SkinButtonSwitchesTheLookAndTheNextStartKeepsIt)
{
    QSettings(ShellSettingsPath(), QSettings::IniFormat).setValue(QStringLiteral("window/look"), QStringLiteral("dark"));
    Build();
    EXPECT_EQ(window->Theme().CurrentLook(), ShellTheme::Look::Dark);
    const QString dark = qApp->styleSheet();
    ASSERT_TRUE(ClickControl(*window, QStringLiteral("skin_btn")));
    Settle();
    EXPECT_EQ(window->Theme().CurrentLook(), ShellTheme::Look::Light);
    EXPECT_NE(qApp->styleSheet(), dark);
    EXPECT_TRUE(qApp->styleSheet().startsWith(dark));  // the light look lies over the skin's own
    EXPECT_EQ(QSettings(ShellSettingsPath(), QSettings::IniFormat).value(QStringLiteral("window/look")).toString(),
              QStringLiteral("light"));

    window.reset();
    Build();
    EXPECT_EQ(window->Theme().CurrentLook(), ShellTheme::Look::Light);
    ASSERT_TRUE(ClickControl(*window, QStringLiteral("skin_btn")));
    Settle();
    EXPECT_EQ(qApp->styleSheet(), dark);
}

TEST_F(ShellDesktopTest, FirstStartFollowsTheDesktop)
{
    Build();
    EXPECT_FALSE(QFile::exists(ShellSettingsPath()));
    EXPECT_EQ(window->Theme().CurrentLook(), ShellTheme::DesktopLook());
}

TEST_F(ShellDesktopTest, WithoutTrayClosingMinimisesInsteadOfHiding)
{
    CTrayIcon::SetAvailableForTesting(false);
    Build();
    window->ShowWindow(true);
    ASSERT_TRUE(ClickControl(*window, QStringLiteral("exit_btn")));
    ProcessPending();
    EXPECT_FALSE(window->GetHWND()->isHidden());
    EXPECT_TRUE(window->GetHWND()->isMinimized());

    window->BringToFront();
    window->GetHWND()->close();  // the desktop's close button
    ProcessPending();
    EXPECT_FALSE(window->GetHWND()->isHidden());
    EXPECT_TRUE(window->GetHWND()->isMinimized());
}

TEST_F(ShellDesktopTest, WithoutMouseAndWithoutTrayTheWindowStaysInTheTaskBar)
{
    CTrayIcon::SetAvailableForTesting(false);
    Build();
    EXPECT_FALSE(window->DevicePresent());
    EXPECT_FALSE(window->GetHWND()->isHidden());
    EXPECT_TRUE(window->GetHWND()->isMinimized());
}

TEST_F(ShellDesktopTest, AboutShowsTheVersionWithOkOnly)
{
    Build();
    QString text;
    bool cancelVisible = true;
    ScopedModalDriver driver([&](WindowImplBase& box) {
        text = ControlText(box.PaintManager().FindControl(QStringLiteral("warning")));
        cancelVisible = box.PaintManager().FindControl(QStringLiteral("btn_cancel"))->isVisible();
        ClickControl(box, QStringLiteral("btn_ok"));
    });
    window->PostMessage(Msg::UM_MENUCLICK, WPARAM(new MenuCmd{QStringLiteral("about"), {}, {}, false}), 0);
    ProcessPending();
    EXPECT_TRUE(text.startsWith(QLatin1String("Karvo Gaming Mouse " KARVO_VERSION))) << text.toStdString();
    EXPECT_FALSE(cancelVisible);
}

TEST_F(ShellDesktopTest, MouseThatCannotBeOpenedIsReportedOnce)
{
    SetDeviceAccessProbe([] { return std::vector<InaccessibleDevice>{{QStringLiteral("/dev/hidraw7"), 0xFA60}}; });
    QStringList shown;
    ScopedModalDriver driver([&](WindowImplBase& box) {
        shown << ControlText(box.PaintManager().FindControl(QStringLiteral("warning")));
        ClickControl(box, QStringLiteral("btn_ok"));
    });
    Build();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown.first().contains(QLatin1String("70-karvo-gaming-mouse.rules"))) << shown.first().toStdString();
    EXPECT_TRUE(shown.first().contains(QLatin1String("udevadm")));
    window->AccessNotice().Check();
    window->PostMessage(Msg::UM_DEVICE_STATE, 0, 0);
    Settle();
    EXPECT_EQ(shown.size(), 1);
}

TEST_F(ShellDesktopTest, NoNoticeWhenEveryMouseCanBeOpened)
{
    int boxes = 0;
    SetDeviceAccessProbe([] { return std::vector<InaccessibleDevice>{}; });
    ScopedModalDriver driver([&](WindowImplBase& box) {
        ++boxes;
        ClickControl(box, QStringLiteral("btn_ok"));
    });
    Build();
    EXPECT_EQ(boxes, 0);
    EXPECT_FALSE(window->AccessNotice().Shown());
}

TEST_F(ShellDesktopTest, TitleBarButtonsHaveNamesFromTheLanguageFile)
{
    Build();
    for (const auto& [control, name] : {std::pair{"skin_btn", "Switch between dark and light look"},
                                        std::pair{"main_menu_btn", "Menu"}, std::pair{"min_btn", "Minimise"},
                                        std::pair{"exit_btn", "Close"}}) {
        QWidget* button = window->PaintManager().FindControl(QLatin1String(control));
        ASSERT_TRUE(button) << control;
        EXPECT_EQ(button->accessibleName(), QLatin1String(name)) << control;
    }
}

}  // namespace
