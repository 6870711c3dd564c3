// The sources of the application in front on their desktops' fakes: the sway/i3 IPC socket on a
// local server, the KWin script on a private session bus, and the choice among them.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <atomic>
#include <mutex>

#include "app/rules/kwin_active_source.h"
#include "app/rules/running_process_watch.h"
#include "app/rules/source_choice.h"
#include "app/rules/sway_active_source.h"
#include "support/wait.h"

namespace {

TEST(SourceChoice, FollowsTheSessionsVariablesAndSockets) {
    QTemporaryDir dir;
    QFile(dir.filePath("ipc")).open(QIODevice::WriteOnly);
    struct Row { QStringList env; SourceKind kind; };
    const Row kRows[] = {
        {{"DISPLAY=:0"}, SourceKind::X11},
        {{"XDG_SESSION_TYPE=wayland", "XDG_CURRENT_DESKTOP=KDE", "DISPLAY=:0"}, SourceKind::KWin},
        {{"WAYLAND_DISPLAY=wayland-0", "XDG_CURRENT_DESKTOP=ubuntu:GNOME", "DISPLAY=:0"}, SourceKind::None},
        {{"WAYLAND_DISPLAY=wayland-0", "SWAYSOCK=" + dir.filePath("ipc")}, SourceKind::Sway},
        {{"DISPLAY=:0", "I3SOCK=" + dir.filePath("ipc")}, SourceKind::Sway},
        {{"WAYLAND_DISPLAY=wayland-0", "SWAYSOCK=" + dir.filePath("gone"), "DISPLAY=:1"}, SourceKind::X11},
        {{"XDG_SESSION_TYPE=tty"}, SourceKind::None}};
    for (const Row& row : kRows) {
        QProcessEnvironment env;
        for (const QString& pair : row.env)
            env.insert(pair.section('=', 0, 0), pair.section('=', 1));
        EXPECT_EQ(ChooseSourceKind(env), row.kind) << row.env.join(' ').toStdString();
    }
}

TEST(RunningProcesses, IncludeThisTestByItsExecutable) {
    EXPECT_TRUE(RunningExecutables().contains("karvo_rules_tests"));
    EXPECT_EQ(ExecutableOfProcess(QCoreApplication::applicationPid()), "karvo_rules_tests");
}

TEST(SwaySource, AsksForTheFocusSubscribesAndHearsFocusChanges) {
    QTemporaryDir dir;
    QLocalServer server;
    ASSERT_TRUE(server.listen(dir.filePath("sway-ipc.sock")));
    SwayActiveSource source(server.fullServerName());
    QStringList heard;
    ASSERT_TRUE(source.Start([&](const ActiveApplication& app) { heard << app.appClass; }));
    ASSERT_TRUE(WaitFor([&] { return server.hasPendingConnections(); }));
    QLocalSocket* wm = server.nextPendingConnection();
    QByteArray asked;
    const QByteArray expected = SwayActiveSource::Message(2, "[\"window\"]") + SwayActiveSource::Message(4, {});
    ASSERT_TRUE(WaitFor([&] { return (asked += wm->readAll()).size() >= expected.size(); }));
    EXPECT_EQ(asked, expected);
    const QByteArray replies = SwayActiveSource::Message(2, R"({"success": true})")
        + SwayActiveSource::Message(4, R"({"nodes": [{"nodes": [{"focused": true, "pid": 1, "app_id": "foot"}]}]})")
        + SwayActiveSource::Message(0x80000003, R"({"change": "title", "container": {"app_id": "foot"}})")
        + SwayActiveSource::Message(0x80000003, R"({"change": "focus", "container": {"app_id": null, "window_properties": {"class": "Steam"}}})");
    wm->write(replies.left(30));  // a message may come in pieces
    wm->flush();
    ASSERT_TRUE(WaitFor([&] { return wm->bytesToWrite() == 0; }));
    wm->write(replies.mid(30));
    EXPECT_TRUE(WaitFor([&] { return heard.size() == 2; }));
    EXPECT_EQ(heard, (QStringList{"foot", "Steam"}));
}

// org.kde.KWin's /Scripting as far as the source uses it: what it was asked, in order.
class FakeKWin final : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        std::lock_guard lock(mutex);
        calls << message.member() + "(" + (message.arguments().isEmpty() ? QString() : message.arguments().last().toString()) + ")";
        if (message.member() == "loadScript")
            script = QFile(message.arguments().first().toString()).open(QIODevice::ReadOnly);
        connection.send(message.member() == "loadScript" ? message.createReply(7) : message.createReply(true));
        return true;
    }
    QStringList Calls() { std::lock_guard lock(mutex); return calls; }
    std::mutex mutex;
    QStringList calls;
    std::atomic<bool> script = false;
};

TEST(KWinSource, LoadsItsScriptWhoseCallsTellTheWindowAndUnloadsIt) {
    if (QStandardPaths::findExecutable("dbus-daemon").isEmpty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    QProcess daemon;
    daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    const QString address = QString::fromUtf8(ReadLineWithin(daemon));
    ASSERT_FALSE(address.isEmpty());
    const auto closeBuses = qScopeGuard([&] {
        QDBusConnection::disconnectFromBus("fake-kwin"), QDBusConnection::disconnectFromBus("utility");
        daemon.kill(), daemon.waitForFinished();
    });
    QDBusConnection kwinBus = QDBusConnection::connectToBus(address, "fake-kwin");
    QDBusConnection ourBus = QDBusConnection::connectToBus(address, "utility");
    FakeKWin kwin;
    ASSERT_TRUE(kwinBus.registerVirtualObject("/Scripting", &kwin) && kwinBus.registerService("org.kde.KWin"));
    ASSERT_TRUE(ourBus.registerService("org.karvo.GamingMouse"));
    QStringList heard;
    QTemporaryDir runtime;  // where the script file is written
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    {
        KWinActiveSource source(ourBus);
        ASSERT_TRUE(source.Start([&](const ActiveApplication& app) { heard << app.appClass; }));
        EXPECT_TRUE(WaitFor([&] { return kwin.Calls().contains("start()"); }));
        EXPECT_EQ(kwin.Calls(), (QStringList{"unloadScript(" + KWinActiveSource::kPluginName + ")",
                                             "loadScript(" + KWinActiveSource::kPluginName + ")", "start()"}));
        EXPECT_TRUE(kwin.script);
        // What the script does on workspace.windowActivated.
        QDBusMessage call = QDBusMessage::createMethodCall("org.karvo.GamingMouse", KWinActiveSource::kObjectPath,
                                                           KWinActiveSource::kInterface, "Activated");
        call << QString("org.kde.dolphin") << 0;
        kwinBus.send(call);
        EXPECT_TRUE(WaitFor([&] { return heard == QStringList{"org.kde.dolphin"}; }));
    }
    EXPECT_TRUE(WaitFor([&] { return kwin.Calls().size() == 4; }));
    EXPECT_EQ(kwin.Calls().value(3), "unloadScript(" + KWinActiveSource::kPluginName + ")");
    kwinBus.unregisterObject("/Scripting");
}

}  // namespace
