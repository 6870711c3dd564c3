// The real utility started from the demo folder, with the emulated mouse behind its driver
// libraries, driven from outside through karvo-simctl as a person would.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <functional>

#include "fakes/fake_bluez.h"

namespace {

const QString kDemo = QStringLiteral(KARVO_DEMO_DIR "/");
constexpr int kWaitMs = 15000;

class DemoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("run")));
        env.insert(QStringLiteral("KARVO_SIM_SOCKET"), home.filePath(QStringLiteral("sim.sock")));
        env.insert(QStringLiteral("KARVO_SIM_RECEIVER"), QStringLiteral("0"));
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("karvo.*=true"));
        // The machine's own Bluetooth stays out of it.
        env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), QStringLiteral("unix:path=") + home.filePath(QStringLiteral("no-bus")));
    }

    void TearDown() override
    {
        for (QProcess* process : {&program, &simbluez}) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished();
            }
        }
    }

    // The demo's stand-in for BlueZ on the test's own bus, ready once it has taken its name.
    void StartSimBluez(const QString& busAddress)
    {
        env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), busAddress);
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

    void Start()
    {
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(kDemo + QStringLiteral("karvo"), {});
        ASSERT_TRUE(program.waitForStarted());
    }

    QString Simctl(const QStringList& arguments)
    {
        QProcess simctl;
        simctl.setProcessEnvironment(env);
        simctl.start(kDemo + QStringLiteral("karvo-simctl"), arguments);
        simctl.waitForFinished(kWaitMs);
        return QString::fromUtf8(simctl.readAllStandardOutput()).trimmed();
    }

    QJsonObject State() { return QJsonDocument::fromJson(Simctl({QStringLiteral("state")}).toUtf8()).object(); }

    // Waits, bounded, for something the running program does on its own time.
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

    QByteArray Store()
    {
        QFile file(home.filePath(QStringLiteral("data/Karvo Gaming Mouse/ms_1/pro.data")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir home;
    QProcessEnvironment env;
    QProcess program;
    QProcess simbluez;
    QByteArray output;
};

TEST_F(DemoTest, TheMouseReceivesTheProfileAndFollowsTheUser)
{
    Start();
    ASSERT_TRUE(WaitFor([this] { return State()["reportsAccepted"].toInt() >= 4; })) << output.toStdString();
    const QJsonObject state = State();
    const QJsonArray stages = state["stages"].toArray();
    const int dpis[6] = {800, 1200, 1600, 2400, 3200, 4800};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(stages[i].toObject()["dpi"].toInt(), dpis[i]);
    EXPECT_EQ(stages[0].toObject()["color"].toString(), QStringLiteral("#FF0000"));
    EXPECT_FALSE(stages[6].toObject()["enabled"].toBool());
    EXPECT_EQ(state["pollingHz"].toInt(), 500);
    EXPECT_EQ(state["buttons"].toArray()[9].toArray(), (QJsonArray{17, 8, 7}));

    // A damaged report from elsewhere on the bus never reaches the mouse's state.
    EXPECT_EQ(Simctl({QStringLiteral("send"), QStringLiteral("cable"), QStringLiteral("04"), QStringLiteral("02")}),
              QStringLiteral("rejected"));
    EXPECT_EQ(State()["stages"].toArray(), stages);

    // The DPI button on the mouse: pro.data follows and the pop-up shows the new DPI.
    EXPECT_EQ(Simctl({QStringLiteral("press"), QStringLiteral("dpi")}), QStringLiteral("ok"));
    EXPECT_TRUE(WaitFor([this] { return Store().size() > 164884 + 2356 && Store().at(164884 + 2352) == 2; }));
    EXPECT_TRUE(WaitFor([this] { return output.contains("DPI pop-up shows \"DPI :1600\""); })) << output.toStdString();

    // The only link goes: the window hides (or, with no tray as here, minimises) and the program
    // lives on.
    EXPECT_EQ(Simctl({QStringLiteral("unplug"), QStringLiteral("cable")}), QStringLiteral("ok"));
    EXPECT_TRUE(WaitFor([this] { return output.contains("no mouse is reachable: the window minimises"); }))
        << output.toStdString();
    EXPECT_EQ(program.state(), QProcess::Running);
}

// The mouse paired over Bluetooth LE only: the start-up send reaches it through WriteValue, its
// DPI button comes back as a notification, and pairing decides whether the program sees it.
TEST_F(DemoTest, OverBluetoothLeTheMouseGetsTheProfileAndReportsItsEvents)
{
    PrivateSystemBus bus;
    ASSERT_TRUE(bus.Running());
    env.insert(QStringLiteral("KARVO_SIM_CABLE"), QStringLiteral("0"));
    env.insert(QStringLiteral("KARVO_SIM_BLE"), QStringLiteral("1"));
    StartSimBluez(bus.Address());
    Start();
    ASSERT_TRUE(WaitFor([this] { return State()["bleReportsAccepted"].toInt() >= 4; })) << output.toStdString();
    const QJsonObject state = State();
    EXPECT_EQ(state["reportsAccepted"].toInt(), state["bleReportsAccepted"].toInt());  // nothing went another way
    EXPECT_TRUE(state["links"].toObject()["ble"].toObject()["paired"].toBool());
    const QJsonArray stages = state["stages"].toArray();
    const int dpis[6] = {800, 1200, 1600, 2400, 3200, 4800};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(stages[i].toObject()["dpi"].toInt(), dpis[i]);
    EXPECT_EQ(state["pollingHz"].toInt(), 500);
    EXPECT_EQ(state["buttons"].toArray()[9].toArray(), (QJsonArray{17, 8, 7}));

    // The DPI button: the event comes back as a notification; pro.data follows, the pop-up shows.
    EXPECT_EQ(Simctl({QStringLiteral("press"), QStringLiteral("dpi")}), QStringLiteral("ok"));
    EXPECT_TRUE(WaitFor([this] { return Store().size() > 164884 + 2356 && Store().at(164884 + 2352) == 2; }));
    EXPECT_TRUE(WaitFor([this] { return output.contains("DPI pop-up shows \"DPI :1600\""); })) << output.toStdString();

    // Unpaired, the only link goes and the window hides; paired again, the mouse is back.
    EXPECT_EQ(Simctl({QStringLiteral("ble"), QStringLiteral("unpair")}), QStringLiteral("ok"));
    EXPECT_TRUE(WaitFor([this] { return output.contains("no mouse is reachable: the window"); }))
        << output.toStdString();
    output.clear();
    EXPECT_EQ(Simctl({QStringLiteral("ble"), QStringLiteral("pair")}), QStringLiteral("ok"));
    EXPECT_TRUE(WaitFor([this] { return output.contains("Bluetooth LE mouse connected"); })) << output.toStdString();
    EXPECT_EQ(program.state(), QProcess::Running);
}

}  // namespace
