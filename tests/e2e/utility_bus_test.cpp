// The real utility started from the demo folder, with the emulated mouse behind its driver
// libraries (over Bluetooth LE behind the demo's stand-in for BlueZ), driven from outside as a
// person and a script would: karvo-simctl plays the mouse; karvoctl and dbus-send talk to the utility
// on a session bus of the test's own.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <csignal>
#include <sys/stat.h>

#include "core/profile/profile_record.h"
#include "core/text/name_field.h"
#include "device/device_access.h"
#include "support/wait.h"
#include "support/xvfb_server.h"
#include "utility_commands.h"

namespace {

const QString kDemo = QStringLiteral(KARVO_DEMO_DIR "/");
const QString kService = QStringLiteral("org.karvo.GamingMouse");
constexpr int kStoreHeaderBytes = 164884;
constexpr int kRecordBytes = 32976;
constexpr int kFirstDpiOffset = 2244;  // in a profile record, in units of 40
constexpr int kCurrentStageOffset = 2352;

// A D-Bus daemon of the test's own, so that nothing reaches the user's session or Bluetooth; its address.
QString StartBus(QProcess& daemon) {
    daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    return QString::fromUtf8(ReadLineWithin(daemon));
}

struct Link {
    const char* name;
    bool ble;  // the only link; else the cable is
    const char* accepted;  // the mouse's count of reports that came this way
    const char* shown;  // in the utility's Links property
    QStringList gone, back;  // karvo-simctl commands
};

class UtilityTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed (scripts/setup installs it)";
        ASSERT_FALSE((busAddress = StartBus(bus)).isEmpty());
        for (auto [name, value] : {std::pair{"QT_QPA_PLATFORM", "offscreen"}, {"KARVO_SIM_RECEIVER", "0"}, {"QT_LOGGING_RULES", "karvo.*=true"}})
            env.insert(name, value);
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "KARVO_SIM_SOCKET"})
            env.insert(name, home.filePath(name));
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
        env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), QStringLiteral("unix:path=") + home.filePath("no-bus"));
    }
    void TearDown() override {
        for (QProcess* process : {&program, &simbluez, &bus, &systemBus}) {
            process->kill();
            process->waitForFinished();
        }
    }
    void Launch(QProcess& process, const char* name) {
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setWorkingDirectory(home.path());
        process.start(kDemo + QLatin1String(name), {});
    }
    // Ready once it serves on the bus and the mouse has the start-up send.
    void StartUtility(const char* accepted = "reportsAccepted") {
        Launch(program, "karvo");
        ASSERT_TRUE(Logged("karvo.app.dbus: serving"));
        ASSERT_TRUE(WaitFor([&] { return Mouse()[accepted].toInt() >= 4; })) << output.toStdString();
    }
    bool Logged(const char* text) { return WaitForOutput(program, output, text); }

    ToolRun Tool(const QString& path, const QStringList& arguments) { return RunTool(path, arguments, env, home.path()); }
    ToolRun Karvoctl(const QStringList& arguments) { return Tool(QStringLiteral(KARVOCTL_PATH), arguments); }
    QString Simctl(const QStringList& arguments) { return Tool(kDemo + "karvo-simctl", arguments).out.trimmed(); }
    // dbus-send, unlike gdbus, sends arguments of any type, so the utility itself must refuse wrong ones.
    ToolRun Call(const QStringList& method) {
        return Tool("dbus-send", QStringList{"--bus=" + busAddress, "--print-reply", "--dest=" + kService, "/org/karvo/GamingMouse"} + method);
    }
    QJsonObject Mouse() { return QJsonDocument::fromJson(Simctl({"state"}).toUtf8()).object(); }
    int FirstStageDpi() { return Mouse()["stages"].toArray()[0].toObject()["dpi"].toInt(); }
    QByteArray Store() const {
        QFile file(home.filePath(QStringLiteral("XDG_DATA_HOME/Karvo Gaming Mouse/ms_1/pro.data")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Profile 0 as a file in the home folder, its first stage at another DPI (in units of 40).
    QString ProfileFile(const QString& name, int dpiUnits) {
        EXPECT_EQ(Karvoctl({"export-profile", "0", home.filePath(name)}).exitCode, 0);
        QFile file(home.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::ReadWrite) && file.seek(kFirstDpiOffset));
        file.write(QByteArray(1, char(dpiUnits)));
        return name;
    }

    QProcess bus, systemBus;
    QString busAddress;
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QProcess program;
    QProcess simbluez;
    QByteArray output;
};

class OverEachLink : public UtilityTest, public ::testing::WithParamInterface<Link> {};
void PrintTo(const Link& link, std::ostream* os) { *os << link.name; }

TEST_P(OverEachLink, TheMouseGetsTheProfileFollowsKarvoctlAndReportsItsEvents) {
    const Link& link = GetParam();
    if (link.ble) {  // the demo's stand-in for BlueZ on a system bus of the test's own
        env.insert(QStringLiteral("KARVO_SIM_CABLE"), QStringLiteral("0"));
        env.insert(QStringLiteral("KARVO_SIM_BLE"), QStringLiteral("1"));
        env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), StartBus(systemBus));
        Launch(simbluez, "karvo-simbluez");
        QByteArray said;
        ASSERT_TRUE(WaitForOutput(simbluez, said, "offering")) << said.toStdString();
    }
    ASSERT_NO_FATAL_FAILURE(StartUtility(link.accepted));
    QJsonObject mouse = Mouse();
    EXPECT_EQ(mouse["reportsAccepted"], mouse[link.accepted]);  // nothing went another way
    QList<int> dpis;
    for (const QJsonValue& stage : mouse["stages"].toArray())
        dpis << (stage["enabled"].toBool() ? stage["dpi"].toInt() : 0);
    EXPECT_EQ(dpis.mid(0, 7), (QList<int>{800, 1200, 1600, 2400, 3200, 4800, 0}));
    EXPECT_EQ(mouse["stages"][0]["color"].toString(), QStringLiteral("#FF0000"));
    EXPECT_EQ(mouse["pollingHz"].toInt(), 500);
    EXPECT_EQ(mouse["buttons"].toArray()[9].toArray(), (QJsonArray{17, 8, 7}));

    // Property changes are signalled on the bus; the monitor is ready once it has said its first word.
    QProcess monitor;
    QByteArray seen;
    monitor.start(QStringLiteral("dbus-monitor"), {"--address", busAddress, "type='signal',member='PropertiesChanged'"});
    ASSERT_TRUE(WaitFor([&] { return !(seen += monitor.readAll()).isEmpty(); }));

    // The DPI button: the event comes back, pro.data and the bus follow, the pop-up shows.
    EXPECT_EQ(Simctl({"press", "dpi"}), QStringLiteral("ok"));
    EXPECT_TRUE(WaitFor([&] { return Store().size() > kStoreHeaderBytes + kCurrentStageOffset && Store().at(kStoreHeaderBytes + kCurrentStageOffset) == 2; }));
    EXPECT_TRUE(Logged("DPI pop-up shows \"DPI: 1600\"")) << output.toStdString();
    EXPECT_TRUE(WaitForOutput(monitor, seen, "CurrentStage")) << seen.toStdString();

    // karvoctl goes through the running utility: a relative path is the caller's file.
    ToolRun run = Karvoctl({"import-profile", ProfileFile(QStringLiteral("fast.pro"), 80)});
    EXPECT_TRUE(run.out.contains(QLatin1String("by the running utility"))) << run.err.toStdString();
    EXPECT_TRUE(WaitFor([&] { return FirstStageDpi() == 3200; })) << output.toStdString();
    EXPECT_TRUE(WaitFor([&] { return Store().size() == kStoreHeaderBytes + 2 * kRecordBytes && Store().at(0) == 1; }));
    EXPECT_TRUE(WaitForOutput(monitor, seen, "Profile1_1")) << seen.toStdString();
    EXPECT_EQ(Karvoctl({"switch", "0"}).exitCode, 0);
    EXPECT_TRUE(WaitFor([&] { return FirstStageDpi() == 800 && Store().at(0) == 0; }));
    EXPECT_EQ(Karvoctl({"switch", "pROFILE1_1"}).exitCode, 0);  // no exact match: any letter case
    EXPECT_TRUE(WaitFor([&] { return FirstStageDpi() == 3200; }));
    const int accepted = Mouse()[link.accepted].toInt();
    EXPECT_EQ(Karvoctl({"apply"}).exitCode, 0);
    EXPECT_TRUE(WaitFor([&] { return Mouse()[link.accepted].toInt() >= accepted + 4; }));  // the whole profile
    run = Karvoctl({"status"});
    EXPECT_TRUE(run.out.contains(QStringLiteral("CurrentProfile: Profile1_1\nCurrentProfileIndex: 1\n"))) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Links: %1\n").arg(link.shown))) << run.out.toStdString();

    // The only link goes: the window minimises (no tray here) and the utility lives on; it comes back.
    EXPECT_EQ(Simctl(link.gone), QStringLiteral("ok"));
    EXPECT_TRUE(Logged("no mouse is reachable: the window minimises")) << output.toStdString();
    EXPECT_EQ(Simctl(link.back), QStringLiteral("ok"));
    EXPECT_TRUE(WaitFor([&] { return Karvoctl({"status"}).out.contains(QStringLiteral("Links: %1\n").arg(link.shown)); }));
    EXPECT_EQ(program.state(), QProcess::Running);
}

INSTANTIATE_TEST_SUITE_P(Links, OverEachLink,
    ::testing::Values(Link{"Cable", false, "reportsAccepted", "cable", {"unplug", "cable"}, {"plug", "cable"}},
                      Link{"BluetoothLe", true, "bleReportsAccepted", "bluetooth", {"ble", "unpair"}, {"ble", "pair"}}),
    [](const auto& info) { return std::string(info.param.name); });

// What karvoctl was told is done is on disk, whatever ends the utility right after: a kill, the
// desktop's signals or the loss of its X server (the utility then ends with status 0). A store of 300
// profiles makes every save slow enough to be caught half-way.
TEST_F(UtilityTest, AnAcknowledgedChangeOutlivesTheUtilityAndNoFileHoldsItUp) {
    ASSERT_EQ(Karvoctl({"list"}).exitCode, 0);
    const QByteArray one = Store();
    auto macros = CreateProfile(QStringLiteral("Macros"));
    macros->buttons[4].function = 17, macros->buttons[4].macro_action_count = 1;
    WriteNameField(macros->buttons[4].macro_name, QStringLiteral("Combo"));
    QFile file(home.filePath("macros.pro"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(reinterpret_cast<const char*>(macros.get()), kRecordBytes) == kRecordBytes);
    file.close();
    const QString fifo = home.filePath("pipe.pro");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const int signal : {SIGKILL, SIGTERM, SIGHUP, 0}) {  // 0: the X server goes away
        SCOPED_TRACE(signal);
        auto display = std::make_unique<XvfbServer>();
        if (signal == 0) {
            ASSERT_TRUE(display->Start()) << "Xvfb is not installed (scripts/setup installs it)";
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb")), env.insert(QStringLiteral("DISPLAY"), QString::fromStdString(display->Display()));
        }
        const QString stores = home.filePath(QStringLiteral("XDG_DATA_HOME/Karvo Gaming Mouse/ms_1/"));
        QFile store(stores + "pro.data");
        ASSERT_TRUE(store.open(QIODevice::WriteOnly) && store.write(one.left(kStoreHeaderBytes) + one.mid(kStoreHeaderBytes).repeated(300)) > 0);
        store.close();
        QFile::remove(stores + "macro.data");
        output.clear();
        ASSERT_NO_FATAL_FAILURE(StartUtility());
        if (signal == SIGKILL) {  // a pipe is refused at once, and the next import goes ahead
            const ToolRun refused = Karvoctl({"import-profile", fifo});
            EXPECT_TRUE(refused.exitCode == 2 && refused.err.contains(QLatin1String("not a regular file"))) << refused.err.toStdString();
        }
        for (const QStringList& command : {QStringList{"import-profile", "macros.pro"}, QStringList{"switch", "0"}}) {
            const ToolRun run = Karvoctl(command);
            EXPECT_EQ(std::pair(run.exitCode, run.err), std::pair(0, QString()));
        }
        signal ? void(::kill(pid_t(program.processId()), signal)) : display.reset();
        ASSERT_TRUE(program.waitForFinished(kWaitMs));
        if (signal != SIGKILL) {
            EXPECT_EQ(std::pair(program.exitStatus(), program.exitCode()), std::pair(QProcess::NormalExit, 0));
        }
        const QByteArray profiles = Store();
        EXPECT_EQ(std::tuple(profiles.size(), profiles.left(4), QFileInfo(stores + "macro.data").size()),
                  std::tuple(kStoreHeaderBytes + 301 * kRecordBytes, QByteArray(4, '\0'), 240));
    }
}

// A method without an interface is the utility's own. Names and paths the service refuses are its
// own test's; here dbus-send brings what no typed client sends.
const struct {
    QStringList method;
    const char* says;  // in the reply, or in the error that refuses the call
} kCalls[] = {
    {{"ListProfiles"}, "string \"Profile1\""}, {{"SwitchProfileIndex", "uint32:0"}, "string \"Profile1\""},
    {{"org.freedesktop.DBus.Properties.Get", "string:org.karvo.GamingMouse", "string:CurrentDpi"}, "uint32 1200"},
    {{"SwitchProfileIndex", "string:zero"}, "InvalidArgs: SwitchProfileIndex takes (u)"},
    {{"SwitchProfile", "uint32:7"}, "InvalidArgs: SwitchProfile takes (s)"},
    {{"SwitchProfile", "string:a", "string:b"}, "InvalidArgs: SwitchProfile takes (s)"},
    {{"Apply", "uint32:1"}, "InvalidArgs: Apply takes (), not (u)"}, {{"NoSuchMethod"}, "UnknownMethod"},
    {{"SwitchProfileIndex", "uint32:1"}, "NoSuchProfile: index 1 is out of range"},
    {{"org.freedesktop.DBus.Properties.Get", "string:org.karvo.GamingMouse", "string:NoSuchProperty"}, "UnknownProperty"},
    {{"org.freedesktop.DBus.Properties.Set", "string:org.karvo.GamingMouse", "string:CurrentDpi", "variant:uint32:400"}, "PropertyReadOnly"},
    {{"SetRule", "string:Game*", "string:front", "string:profile1"}, "method return"}, {{"ListRules"}, "\"Game*\""},
    {{"SetRule", "string:x", "string:front", "string:Nope"}, "NoSuchProfile"}, {{"SetRule", "string:x", "string:often", "string:Profile1"}, "InvalidArgs"},
    {{"RemoveRule", "string:y"}, "NoSuchRule"}, {{"SetDefaultProfile", "string:Nope"}, "NoSuchProfile"},
    {{"org.freedesktop.DBus.Properties.Get", "string:org.karvo.GamingMouse", "string:ActiveApplication"}, "variant"},
};

TEST_F(UtilityTest, TheInterfaceIsAsDocumentedAndRefusesMalformedCallsChangingNothing) {
    for (auto [name, value] : {std::pair{"KARVO_SIM_CABLE", "0"}, {"KARVO_SIM_RECEIVER", "1"}})  // on the cable it charges
        env.insert(name, value);
    ASSERT_NO_FATAL_FAILURE(StartUtility());
    // A low battery is told to the desktop's notification service, once per threshold.
    QProcess monitor;
    QByteArray seen;
    monitor.start(QStringLiteral("dbus-monitor"), {"--address", busAddress, "interface='org.freedesktop.Notifications'", "member='RulesChanged'"});
    ASSERT_TRUE(WaitFor([&] { return !(seen += monitor.readAll()).isEmpty(); }));
    for (const char* level : {"3", "2", "1"})
        EXPECT_EQ(Simctl({"battery", level}), QStringLiteral("ok"));
    EXPECT_TRUE(WaitForOutput(monitor, seen, "at 10 %")) << output.toStdString();
    EXPECT_EQ(seen.count("Mouse battery low"), 2) << seen.toStdString();
    const ToolRun introspection = Call({"org.freedesktop.DBus.Introspectable.Introspect"});
    QFile documented(QStringLiteral(KARVO_SOURCE_DIR "/docs/org.karvo.GamingMouse.xml"));
    ASSERT_TRUE(documented.open(QIODevice::ReadOnly));
    const QString doc = QString::fromUtf8(documented.readAll());
    for (const char* name : {"ListProfiles", "SwitchProfile", "SwitchProfileIndex", "Apply", "ImportProfile",
                             "ImportMacro", "CurrentProfile", "CurrentStage", "CurrentDpi", "BatteryLevel", "Charging", "Links",
                             "ListRules", "SetRule", "RemoveRule", "SetDefaultProfile", "RulesChanged", "ActiveApplication"}) {
        const QString tag = QStringLiteral("name=\"%1\"").arg(QLatin1String(name));
        EXPECT_TRUE(doc.contains(tag) && introspection.out.contains(tag)) << name;
    }
    const QByteArray before = Store();
    for (auto [method, says] : kCalls) {
        SCOPED_TRACE(method.join(u' ').toStdString());
        if (!method[0].contains(u'.'))
            method[0].prepend(QStringLiteral("org.karvo.GamingMouse."));
        const ToolRun run = Call(method);
        EXPECT_TRUE((run.out + run.err).contains(QLatin1String(says))) << (run.out + run.err).toStdString();
    }
    EXPECT_EQ(Store(), before);
    EXPECT_EQ(program.state(), QProcess::Running);
    EXPECT_TRUE(WaitForOutput(monitor, seen, "member=RulesChanged")) << seen.toStdString();
    // karvoctl's rules go through the utility, which writes apps.json itself.
    EXPECT_TRUE(Karvoctl({"rules", "remove", "game*"}).out.contains("done by the running utility"));
    EXPECT_EQ(Karvoctl({"rules", "add", "blender", "Profile1"}).exitCode, 0);
    EXPECT_EQ(Karvoctl({"rules", "list"}).out, "blender\tfront\tProfile1\ndefault: none\n");
    EXPECT_TRUE(WaitFor([&] { return QFile(home.filePath("XDG_DATA_HOME/Karvo Gaming Mouse/ms_1/apps.json")).size() > 0; }));
}

// karvoctl tells about a mouse this user may not open, on stderr, whatever else it does.
TEST(KarvoctlAccess, MouseThatCannotBeOpenedIsReportedOnStderr) {
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/karvo-test-bus");
    QTemporaryDir data;
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    for (bool denied : {true, false}) {
        err.clear();
        SetDeviceAccessProbe([denied] { return std::vector<InaccessibleDevice>(denied, {QStringLiteral("/dev/hidraw4"), 0xFA61}); });
        EXPECT_TRUE(RunUtilityCommand(QLatin1String(denied ? "apply" : "status"), {}, {data.path() + u'/', outStream, errStream}));
        errStream.flush();
        EXPECT_EQ(err.contains(QLatin1String("70-karvo-gaming-mouse.rules")) && err.contains(QLatin1String("permission denied")), denied);
        EXPECT_EQ(err.isEmpty(), !denied) << err.toStdString();
    }
    SetDeviceAccessProbe({});
}

}  // namespace
