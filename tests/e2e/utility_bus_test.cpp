// The running utility on a private session bus: its D-Bus interface, karvoctl's switch, apply,
// status and imports through it, the emulated mouse following, malformed calls refused; and
// karvoctl on the store alone when no utility runs.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <functional>

#include "device/device_access.h"
#include "utility_commands.h"

namespace {

const QString kDemo = QStringLiteral(KARVO_DEMO_DIR "/");
const QString kKarvoctl = QStringLiteral(KARVOCTL_PATH);
const QString kService = QStringLiteral("org.karvo.GamingMouse");
const QString kPath = QStringLiteral("/org/karvo/GamingMouse");
constexpr int kWaitMs = 15000;
constexpr int kStoreHeaderBytes = 164884;
constexpr int kRecordBytes = 32976;
constexpr int kDpiOffset = 2244;

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// A session bus of the test's own, so that nothing reaches the user's.
class PrivateBus {
public:
    PrivateBus()
    {
        m_daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                        QStringLiteral("--print-address=1")});
        if (!m_daemon.waitForStarted())
            return;
        QElapsedTimer clock;
        clock.start();
        while (!m_daemon.canReadLine() && clock.elapsed() < kWaitMs)
            m_daemon.waitForReadyRead(100);
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }
    QString Address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
};

class UtilityBusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed (scripts/setup installs it)";
        bus = std::make_unique<PrivateBus>();
        ASSERT_FALSE(bus->Address().isEmpty());
        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus->Address());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("run")));
        env.insert(QStringLiteral("KARVO_SIM_SOCKET"), home.filePath(QStringLiteral("sim.sock")));
        env.insert(QStringLiteral("KARVO_SIM_RECEIVER"), QStringLiteral("0"));
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("karvo.app.*=true"));
    }

    void TearDown() override
    {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished();
        }
    }

    ToolRun Tool(const QString& path, const QStringList& arguments)
    {
        QProcess process;
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(home.path());
        process.start(path, arguments);
        process.waitForFinished(kWaitMs);
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    ToolRun Karvoctl(const QStringList& arguments) { return Tool(kKarvoctl, arguments); }
    ToolRun Gdbus(const QStringList& arguments)
    {
        return Tool(QStringLiteral("gdbus"), QStringList{arguments.first(), QStringLiteral("--address"), bus->Address(),
                                                         QStringLiteral("--dest"), kService,
                                                         QStringLiteral("--object-path"), kPath}
                                                 + arguments.mid(1));
    }

    QJsonObject MouseState()
    {
        const ToolRun run = Tool(kDemo + QStringLiteral("karvo-simctl"), {QStringLiteral("state")});
        return QJsonDocument::fromJson(run.out.toUtf8()).object();
    }
    int FirstStageDpi() { return MouseState()["stages"].toArray()[0].toObject()["dpi"].toInt(); }

    bool WaitFor(const std::function<bool()>& done)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < kWaitMs) {
            output += program.readAll();
            if (done())
                return true;
            program.waitForReadyRead(100);
        }
        return false;
    }

    void StartUtility()
    {
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(kDemo + QStringLiteral("karvo"), {});
        ASSERT_TRUE(program.waitForStarted());
        ASSERT_TRUE(WaitFor([this] { return output.contains("karvo.app.dbus: serving"); })) << output.toStdString();
        ASSERT_TRUE(WaitFor([this] { return MouseState()["reportsAccepted"].toInt() >= 4; })) << output.toStdString();
    }

    QString StorePath() const { return home.filePath(QStringLiteral("data/Karvo Gaming Mouse/ms_1/pro.data")); }
    QByteArray Store() const
    {
        QFile file(StorePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // A profile file like the default one, whose first stage has another DPI (in units of 40).
    QString ProfileFileWithFirstStage(int dpiUnits)
    {
        const QString path = home.filePath(QStringLiteral("fast.pro"));
        EXPECT_EQ(Karvoctl({QStringLiteral("export-profile"), QStringLiteral("0"), path}).exitCode, 0);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        const char le[4] = {char(dpiUnits & 0xFF), char((dpiUnits >> 8) & 0xFF), 0, 0};
        bytes.replace(kDpiOffset, 4, QByteArray(le, 4));
        file.seek(0);
        file.write(bytes);
        return QStringLiteral("fast.pro");  // relative on purpose: karvoctl makes it absolute
    }

    std::unique_ptr<PrivateBus> bus;
    QTemporaryDir home;
    QProcessEnvironment env;
    QProcess program;
    QByteArray output;
};

TEST_F(UtilityBusTest, WithoutTheUtilitySwitchAndApplyWorkOnTheStoreAndSaySo)
{
    ASSERT_EQ(Karvoctl({QStringLiteral("list")}).exitCode, 0);  // creates the default store
    const QString copy = home.filePath(QStringLiteral("copy.pro"));
    ASSERT_EQ(Karvoctl({QStringLiteral("export-profile"), QStringLiteral("0"), copy}).exitCode, 0);
    ASSERT_EQ(Karvoctl({QStringLiteral("import-profile"), copy}).exitCode, 0);  // store alone, now current

    ToolRun run = Karvoctl({QStringLiteral("switch"), QStringLiteral("profile1")});  // by name, ignoring case
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QLatin1String("not running"))) << run.out.toStdString();
    EXPECT_EQ(Store().at(0), 0);

    run = Karvoctl({QStringLiteral("switch"), QStringLiteral("1")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(Store().at(0), 1);

    const QByteArray before = Store();
    run = Karvoctl({QStringLiteral("switch"), QStringLiteral("5")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(QLatin1String("out of range"))) << run.err.toStdString();
    run = Karvoctl({QStringLiteral("switch"), QStringLiteral("No Such")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(Store(), before);

    run = Karvoctl({QStringLiteral("apply")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains(QLatin1String("not running")));
    EXPECT_EQ(Store(), before);
    EXPECT_EQ(Karvoctl({QStringLiteral("status")}).out, QStringLiteral("utility: not running\n"));
    EXPECT_EQ(Karvoctl({QStringLiteral("switch")}).exitCode, 2);
}

TEST_F(UtilityBusTest, KarvoctlDrivesTheRunningUtilityAndTheMouseFollows)
{
    StartUtility();
    EXPECT_EQ(FirstStageDpi(), 800);

    ToolRun run = Karvoctl({QStringLiteral("import-profile"), ProfileFileWithFirstStage(80)});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QLatin1String("by the running utility"))) << run.out.toStdString();
    EXPECT_TRUE(WaitFor([this] { return FirstStageDpi() == 3200; })) << output.toStdString();
    EXPECT_TRUE(WaitFor([this] { return Store().size() == kStoreHeaderBytes + 2 * kRecordBytes && Store().at(0) == 1; }));

    run = Karvoctl({QStringLiteral("switch"), QStringLiteral("0")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(WaitFor([this] { return FirstStageDpi() == 800; })) << output.toStdString();
    EXPECT_TRUE(WaitFor([this] { return Store().at(0) == 0; }));

    run = Karvoctl({QStringLiteral("switch"), QStringLiteral("Profile1_1")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(WaitFor([this] { return FirstStageDpi() == 3200; }));

    const int accepted = MouseState()["reportsAccepted"].toInt();
    EXPECT_EQ(Karvoctl({QStringLiteral("apply")}).exitCode, 0);
    EXPECT_TRUE(WaitFor([&] { return MouseState()["reportsAccepted"].toInt() >= accepted + 4; }));

    run = Karvoctl({QStringLiteral("status")});
    EXPECT_TRUE(run.out.contains(QLatin1String("CurrentProfile: Profile1_1\n"))) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QLatin1String("Links: cable\n"))) << run.out.toStdString();

    run = Karvoctl({QStringLiteral("switch"), QStringLiteral("9")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(QLatin1String("out of range"))) << run.err.toStdString();

    // A damaged file changes nothing, in the window or the stores.
    const QByteArray before = Store();
    QFile bad(home.filePath(QStringLiteral("short.macro")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("short");
    bad.close();
    run = Karvoctl({QStringLiteral("import-macro"), bad.fileName()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(Store(), before);
    EXPECT_EQ(program.state(), QProcess::Running);
}

TEST_F(UtilityBusTest, InterfaceAsDocumentedAndMalformedCallsAreRefused)
{
    if (QStandardPaths::findExecutable(QStringLiteral("gdbus")).isEmpty())
        GTEST_SKIP() << "gdbus is not installed";
    StartUtility();
    const ToolRun introspection = Gdbus({QStringLiteral("introspect"), QStringLiteral("--xml")});
    ASSERT_EQ(introspection.exitCode, 0) << introspection.err.toStdString();
    QFile documented(QStringLiteral(KARVO_SOURCE_DIR "/docs/org.karvo.GamingMouse.xml"));
    ASSERT_TRUE(documented.open(QIODevice::ReadOnly));
    const QString doc = QString::fromUtf8(documented.readAll());
    for (const char* name : {"ListProfiles", "SwitchProfile", "SwitchProfileIndex", "Apply", "ImportProfile",
                             "ImportMacro", "CurrentProfile", "CurrentStage", "CurrentDpi", "BatteryLevel",
                             "Charging", "Links"}) {
        const QString tag = QStringLiteral("name=\"%1\"").arg(QLatin1String(name));
        EXPECT_TRUE(doc.contains(tag)) << name;
        EXPECT_TRUE(introspection.out.contains(tag)) << name;
    }

    ToolRun run = Gdbus({QStringLiteral("call"), QStringLiteral("--method"), QStringLiteral("org.karvo.GamingMouse.ListProfiles")});
    EXPECT_EQ(run.out.trimmed(), QStringLiteral("(['Profile1'],)"));
    run = Gdbus({QStringLiteral("call"), QStringLiteral("--method"), QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                 kService, QStringLiteral("CurrentDpi")});
    EXPECT_EQ(run.out.trimmed(), QStringLiteral("(<uint32 1200>,)"));

    // Wrong argument types, unknown members and properties, a relative path: errors, no crash.
    const QList<QStringList> malformed = {
        {QStringLiteral("org.karvo.GamingMouse.SwitchProfileIndex"), QStringLiteral("\"zero\"")},
        {QStringLiteral("org.karvo.GamingMouse.SwitchProfile"), QStringLiteral("7")},
        {QStringLiteral("org.karvo.GamingMouse.SwitchProfile"), QStringLiteral("\"a\""), QStringLiteral("\"b\"")},
        {QStringLiteral("org.karvo.GamingMouse.NoSuchMethod")},
        {QStringLiteral("org.karvo.GamingMouse.ImportProfile"), QStringLiteral("\"relative.pro\"")},
        {QStringLiteral("org.karvo.GamingMouse.ImportProfile"), QStringLiteral("\"/nonexistent/x.pro\"")},
        {QStringLiteral("org.freedesktop.DBus.Properties.Get"), kService, QStringLiteral("NoSuchProperty")},
        {QStringLiteral("org.freedesktop.DBus.Properties.Set"), kService, QStringLiteral("CurrentDpi"),
         QStringLiteral("<uint32 400>")},
    };
    for (const QStringList& call : malformed) {
        run = Gdbus(QStringList{QStringLiteral("call"), QStringLiteral("--method")} + call);
        EXPECT_NE(run.exitCode, 0) << call.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(run.err.contains(QLatin1String("Error"))) << call.join(QLatin1Char(' ')).toStdString();
    }
    EXPECT_EQ(program.state(), QProcess::Running);
    EXPECT_EQ(Karvoctl({QStringLiteral("list")}).out, QStringLiteral("0\tProfile1\t*\n"));
}

TEST_F(UtilityBusTest, PropertyChangesAreSignalled)
{
    StartUtility();
    QProcess monitor;
    monitor.setProcessEnvironment(env);
    monitor.start(QStringLiteral("dbus-monitor"),
                  {QStringLiteral("--address"), bus->Address(),
                   QStringLiteral("type='signal',interface='org.freedesktop.DBus.Properties',member='PropertiesChanged'")});
    ASSERT_TRUE(monitor.waitForStarted());
    QByteArray seen;
    const auto waitSeen = [&](const char* text) {
        QElapsedTimer clock;
        clock.start();
        while (!seen.contains(text) && clock.elapsed() < kWaitMs) {
            monitor.waitForReadyRead(100);
            seen += monitor.readAll();
        }
        return seen.contains(text);
    };
    // The monitor is ready once it has said its first word (its own name on the bus).
    monitor.waitForReadyRead(3000);
    seen += monitor.readAll();
    ASSERT_EQ(Karvoctl({QStringLiteral("import-profile"), ProfileFileWithFirstStage(40)}).exitCode, 0);
    EXPECT_TRUE(waitSeen("CurrentProfile")) << seen.toStdString();
    EXPECT_TRUE(waitSeen("Profile1_1")) << seen.toStdString();
    // The DPI button on the mouse changes the stage.
    Tool(kDemo + QStringLiteral("karvo-simctl"), {QStringLiteral("press"), QStringLiteral("dpi")});
    EXPECT_TRUE(waitSeen("CurrentStage")) << seen.toStdString();
    monitor.kill();
    monitor.waitForFinished();
}

// karvoctl tells about a mouse this user may not open, on stderr, whatever else it does.
TEST(KarvoctlAccess, MouseThatCannotBeOpenedIsReportedOnStderr)
{
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/karvo-test-bus");
    QTemporaryDir data;
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const CtlContext context{data.path() + QLatin1Char('/'), outStream, errStream};

    SetDeviceAccessProbe([] { return std::vector<InaccessibleDevice>{{QStringLiteral("/dev/hidraw4"), 0xFA61}}; });
    EXPECT_TRUE(RunUtilityCommand(QStringLiteral("apply"), {}, context));
    errStream.flush();
    EXPECT_TRUE(err.contains(QLatin1String("70-karvo-gaming-mouse.rules"))) << err.toStdString();
    EXPECT_TRUE(err.contains(QLatin1String("permission denied")));

    err.clear();
    SetDeviceAccessProbe([] { return std::vector<InaccessibleDevice>{}; });
    EXPECT_TRUE(RunUtilityCommand(QStringLiteral("status"), {}, context));
    errStream.flush();
    EXPECT_TRUE(err.isEmpty()) << err.toStdString();
    SetDeviceAccessProbe({});
}

}  // namespace

namespace {

// The emulated mouse paired over Bluetooth LE only, behind the demo's stand-in for BlueZ on a
// system bus of the test's own: a profile switch asked for with karvoctl reaches the mouse
// through WriteValue.
class UtilityOverBleTest : public UtilityBusTest {
protected:
    void SetUp() override
    {
        UtilityBusTest::SetUp();
        if (IsSkipped())
            return;
        systemBus = std::make_unique<PrivateBus>();
        ASSERT_FALSE(systemBus->Address().isEmpty());
        env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), systemBus->Address());
        env.insert(QStringLiteral("KARVO_SIM_CABLE"), QStringLiteral("0"));
        env.insert(QStringLiteral("KARVO_SIM_BLE"), QStringLiteral("1"));
        simbluez.setProcessEnvironment(env);
        simbluez.setProcessChannelMode(QProcess::MergedChannels);
        simbluez.start(kDemo + QStringLiteral("karvo-simbluez"), {});
        ASSERT_TRUE(simbluez.waitForStarted());
        QByteArray said;
        QElapsedTimer clock;
        clock.start();
        while (!said.contains("offering") && clock.elapsed() < kWaitMs && simbluez.waitForReadyRead(100))
            said += simbluez.readAll();
        ASSERT_TRUE(said.contains("offering")) << said.toStdString();
    }

    void TearDown() override
    {
        UtilityBusTest::TearDown();
        if (simbluez.state() != QProcess::NotRunning) {
            simbluez.kill();
            simbluez.waitForFinished();
        }
    }

    std::unique_ptr<PrivateBus> systemBus;
    QProcess simbluez;
};

TEST_F(UtilityOverBleTest, AProfileSwitchReachesTheMouseOverBluetoothLe)
{
    StartUtility();
    ASSERT_TRUE(WaitFor([this] { return MouseState()["bleReportsAccepted"].toInt() >= 4; })) << output.toStdString();
    EXPECT_EQ(FirstStageDpi(), 800);

    ToolRun run = Karvoctl({QStringLiteral("import-profile"), ProfileFileWithFirstStage(80)});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(WaitFor([this] { return FirstStageDpi() == 3200; })) << output.toStdString();

    const int beforeSwitch = MouseState()["bleReportsAccepted"].toInt();
    run = Karvoctl({QStringLiteral("switch"), QStringLiteral("0")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(WaitFor([this] { return FirstStageDpi() == 800; })) << output.toStdString();
    // The whole profile follows, report by report with the mouse's pauses.
    EXPECT_TRUE(WaitFor([&] { return MouseState()["bleReportsAccepted"].toInt() >= beforeSwitch + 4; }));
    const QJsonObject state = MouseState();
    EXPECT_EQ(state["reportsAccepted"].toInt(), state["bleReportsAccepted"].toInt());  // nothing went another way

    run = Karvoctl({QStringLiteral("status")});
    EXPECT_TRUE(run.out.contains(QLatin1String("Links: bluetooth\n"))) << run.out.toStdString();
}

}  // namespace
