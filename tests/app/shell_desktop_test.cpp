// The shell on a Linux desktop: start with the desktop, the About box, the single instance and the D-Bus service.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusPendingCall>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <future>

#include "app/shell/autostart.h"
#include "app/shell/background_queue.h"
#include "app/shell/dbus_service.h"
#include "app/shell/main_wnd.h"
#include "app/shell/msg_wnd.h"
#include "app/shell/mouse_control.h"
#include "app/shell/single_instance.h"
#include "app/shell/window_messages.h"
#include "fakes/fake_bluez.h"
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
    }
    void Build()
    {
        window.reset();
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
    QAction* AutostartItem(bool fromTray)
    {
        if (fromTray)
            window->PostMessage(Msg::UM_TRAYICON, 0, CTrayIcon::kRightButtonUp);
        else
            ClickControl(*window, QStringLiteral("main_menu_btn"));
        ProcessPending();
        for (QAction* action : window->TrayMenu()->Menu()->actions())
            if (action->objectName() == QLatin1String("autostart"))
                return action;
        return nullptr;
    }

    QTemporaryDir config;
    QByteArray previousConfig;
    std::unique_ptr<CMainWnd> window;
};

TEST_F(ShellDesktopTest, StartWithTheDesktopWritesAndRemovesTheAutostartEntryAndIsKnownAtStart)
{
    Build();
    const QString entry = config.filePath(QStringLiteral("autostart/karvo-gaming-mouse.desktop"));
    EXPECT_EQ(AutostartEntryPath(), entry);
    for (bool fromTray : {false, true}) {  // the menu button's menu and the tray's carry the mark alike
        QAction* item = AutostartItem(fromTray);
        ASSERT_TRUE(item && item->isChecked() == fromTray);
        ASSERT_TRUE(window->TrayMenu()->Choose(QStringLiteral("autostart")));
        Settle();
        EXPECT_EQ(std::tuple(QFile::exists(entry), window->Menu().AutostartEnabled()), std::tuple(!fromTray, !fromTray));
        if (fromTray)
            break;
        QFile file(entry);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        EXPECT_TRUE(text.startsWith(QLatin1String("[Desktop Entry]\n")) && text.contains(QLatin1String("\nType=Application\n"))
                    && text.contains(QLatin1String("\nExec=") + QCoreApplication::applicationFilePath() + QLatin1String(" --hidden\n")))
            << text.toStdString();
    }
    ASSERT_TRUE(WriteAutostartEntry(entry, QStringLiteral("/usr/bin/karvo-gaming-mouse"), nullptr));
    Build();
    EXPECT_TRUE(window->Menu().AutostartEnabled());
}

TEST(AutostartEntry, ProgramPathsAreQuoted)
{
    EXPECT_TRUE(QString::fromUtf8(AutostartEntry(QStringLiteral("/opt/My Apps/karvo \"x\" $HOME")))
                    .contains(QLatin1String("\nExec=\"/opt/My Apps/karvo \\\"x\\\" \\$HOME\" --hidden\n")));
    EXPECT_TRUE(QString::fromUtf8(AutostartEntry(QStringLiteral("/usr/bin/a%b"))).contains(QLatin1String("Exec=/usr/bin/a%%b --hidden")));
}

TEST_F(ShellDesktopTest, AboutShowsTheVersion)  // with OK alone, as every notice (the desktop test)
{
    Build();
    ModalScript script;
    script.Click("btn_ok");
    window->PostMessage(Msg::UM_MENUCLICK, WPARAM(new MenuCmd{QStringLiteral("about"), {}, {}, false}), 0);
    ProcessPending();
    ASSERT_EQ(script.texts.size(), 1);
    EXPECT_TRUE(script.texts[0].startsWith(QLatin1String("Karvo Gaming Mouse " KARVO_VERSION))) << script.texts[0].toStdString();
}

TEST(SingleInstance, SecondClaimFailsAndActivatesTheFirstAndACrashedFirstBlocksNothing)
{
    QTemporaryDir dir;
    EXPECT_FALSE(SingleInstance(QStringLiteral("Karvo Test"), dir.path()).ActivateRunning());  // none running
    {
        SingleInstance first(QStringLiteral("Karvo Test"), dir.path());
        ASSERT_TRUE(first.Claim());
        int activations = 0;
        first.SetActivationHandler([&] { ++activations; });
        SingleInstance second(QStringLiteral("Karvo Test"), dir.path());
        EXPECT_FALSE(second.Claim());
        // The second start waits for the first to answer, so it runs beside this event loop.
        auto reached = std::async(std::launch::async, [&] { return second.ActivateRunning(); });
        ASSERT_TRUE(ProcessUntil([&] { return activations > 0; }));
        EXPECT_EQ(std::tuple(reached.get(), activations), std::tuple(true, 1));
    }
    // What a crashed instance leaves: a lock naming a process that is gone, and its socket file.
    const QString base = dir.path() + QStringLiteral("/Karvo Crashed");
    QFile lock(base + QStringLiteral(".lock"));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly) && lock.write("999999999\nkarvo\n\n") > 0);
    lock.close();
    QFile socket(base + QStringLiteral(".socket"));
    ASSERT_TRUE(socket.open(QIODevice::WriteOnly));
    socket.close();
    EXPECT_TRUE(SingleInstance(QStringLiteral("Karvo Crashed"), dir.path()).Claim());
}

// The page's view as the D-Bus service sees it: two profiles, and imports that end as told.
class ScriptedControl final : public MouseControl {
public:
    QStringList ProfileNames() const override { return {QStringLiteral("Profile1"), QStringLiteral("Evening")}; }
    MouseStatus Status() const override { return {}; }
    QString DataFolder() const override { return QStringLiteral("/data/"); }
    bool SwitchProfile(int index) override { return switched << index, true; }
    void SaveProfiles(std::function<void(const QString&)> done) override { done(outcome.notSaved ? outcome.error : QString()); }
    void Apply() override {}
    void ImportProfile(const QString& path, std::function<void(const ImportOutcome&)> done) override { Import(path, done); }
    void ImportMacro(const QString& path, std::function<void(const ImportOutcome&)> done) override { Import(path, done); }
    void Import(const QString& path, const std::function<void(const ImportOutcome&)>& done)
    {
        imported << path;
        done(outcome);
    }
    QList<int> switched;
    QStringList imported;
    ImportOutcome outcome;
};

TEST(MouseDBusService, SwitchesByNameInAnyCaseAndImportsAbsolutePathsOnly)
{
    PrivateSystemBus bus;  // a daemon of the test's own, which lets anyone take any name
    ASSERT_TRUE(bus.Running()) << "dbus-daemon could not be started";
    ScriptedControl control;
    MouseDBusService service(control, QDBusConnection::connectToBus(bus.Address(), QStringLiteral("karvo-service")));
    ASSERT_TRUE(service.Register());
    QDBusConnection client = QDBusConnection::connectToBus(bus.Address(), QStringLiteral("karvo-client"));
    const struct {
        const char *method, *argument;
        ImportOutcome outcome;
        const char* error;  // "" for a reply
        QVariantList reply;
    } kCalls[] = {{"SwitchProfile", "EVENING", {}, "", {1u}},
                  {"SwitchProfile", "Nobody", {}, "org.karvo.GamingMouse.Error.NoSuchProfile", {}},
                  {"SwitchProfile", "Evening", {QStringLiteral("disk full"), -1, {}, true}, "org.karvo.GamingMouse.Error.WriteFailed", {}},
                  {"ImportProfile", "relative.pro", {}, "org.freedesktop.DBus.Error.InvalidArgs", {}},
                  {"ImportProfile", "/tmp/short.pro", {QStringLiteral("damaged"), -1, {}}, "org.karvo.GamingMouse.Error.BadFile", {}},
                  {"ImportMacro", "/tmp/a.macro", {QStringLiteral("disk full"), 2, {}, true}, "org.karvo.GamingMouse.Error.WriteFailed", {}},
                  {"ImportMacro", "/tmp/b.macro", {{}, 3, QStringLiteral("B")}, "", {3u, QStringLiteral("B")}}};
    for (const auto& call : kCalls) {
        SCOPED_TRACE(call.argument);
        control.outcome = call.outcome;
        QDBusMessage message = QDBusMessage::createMethodCall(MouseDBusService::kServiceName, MouseDBusService::kObjectPath,
                                                              MouseDBusService::kInterface, QLatin1String(call.method));
        message << QString::fromLatin1(call.argument);
        QDBusPendingCall pending = client.asyncCall(message, 20000);
        ASSERT_TRUE(ProcessUntil([&] { return pending.isFinished(); }));
        EXPECT_EQ(pending.reply().errorName(), QLatin1String(call.error));
        if (!*call.error) {
            EXPECT_EQ(pending.reply().arguments(), call.reply);
        }
    }
    EXPECT_EQ(control.switched, (QList<int>{1, 1}));
    EXPECT_EQ(control.imported, (QStringList{"/tmp/short.pro", "/tmp/a.macro", "/tmp/b.macro"}));  // not the relative one
    service.Unregister();
    QDBusConnection::disconnectFromBus(QStringLiteral("karvo-client"));
    QDBusConnection::disconnectFromBus(QStringLiteral("karvo-service"));
}

}  // namespace
