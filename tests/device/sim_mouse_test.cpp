// The emulated mouse, driven in-process through its driver libraries and control exports.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "device/apply_profile.h"
#include "device/device_links.h"
#include "device/profile_session.h"
#include "fakes/fake_device.h"
#include "core/platform/dynamic_library.h"
#include "support/test_files.h"

namespace {

const QString kDemo = QStringLiteral(KARVO_DEMO_DIR "/");

struct PostedMessage {
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

class SimMouseTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        qputenv("KARVO_SIM_HEARTBEAT_MS", "0");
        qputenv("KARVO_SIM_SOCKET", (socketDir.path() + QStringLiteral("/sim.sock")).toUtf8());
        qputenv("KARVO_SIM_RECEIVER", "1");
        qputenv("KARVO_SIM_CABLE", "1");
    }

    void SetUp() override
    {
        cable = DriverLibrary::Load(kDemo + QStringLiteral("hiddriver_2.so"));
        receiver = DriverLibrary::Load(kDemo + QStringLiteral("hiddriver_1.so"));
        device = DynamicLibrary::Load(kDemo + QStringLiteral("libkarvo_simmouse.so"));
        ASSERT_TRUE(cable && receiver && device);
        command = device->ResolveAs<int32_t (*)(const char*, char*, int32_t)>("sim_command");
        ASSERT_TRUE(command);
        Command("reset");
        session.Load();
        links.SetCableDriver(cable->Functions());
        links.SetReceiverDriver(receiver->Functions());
        links.Open(&target, {1327, 1328}, {1325, 1326});
    }

    void TearDown() override { links.Shutdown(); }

    QString Command(const char* line)
    {
        char reply[16384];
        command(line, reply, sizeof reply);
        return QString::fromUtf8(reply);
    }

    QJsonObject State() { return QJsonDocument::fromJson(Command("state").toUtf8()).object(); }

    void ApplyAll()
    {
        ApplyProfile(ApplyContext{session, [this] { return links.Asleep(); },
                                  [this](const Report& r) { return links.SendReport(r); }, {}});
    }

    static void Record(void* context, uint32_t message, uintptr_t wParam, intptr_t lParam)
    {
        static_cast<std::vector<PostedMessage>*>(context)->push_back({message, wParam, lParam});
    }

    static inline QTemporaryDir socketDir;
    std::unique_ptr<DriverLibrary> cable;
    std::unique_ptr<DriverLibrary> receiver;
    std::unique_ptr<DynamicLibrary> device;
    int32_t (*command)(const char*, char*, int32_t) = nullptr;
    std::vector<PostedMessage> posted;
    KarvoPostTarget target{&posted, &SimMouseTest::Record};
    TempDataFolder folder;
    ProfileSession session{folder.path()};
    FakeClock clock;
    FakeLinkHost host;
    DeviceLinks links{host, session, clock};
};

TEST_F(SimMouseTest, FullSendLeavesTheMouseHoldingTheProfile)
{
    ApplyAll();
    const QJsonObject state = State();
    EXPECT_EQ(state["reportsAccepted"].toInt(), 4);
    EXPECT_EQ(state["reportsRejected"].toInt(), 0);
    const QJsonArray stages = state["stages"].toArray();
    const int dpis[8] = {800, 1200, 1600, 2400, 3200, 4800, 0, 0};
    const char* colors[8] = {"#FF0000", "#00FF00", "#0000FF", "#FFFF00", "#FF00FF", "#00FFFF", "#FF4000", "#FFFFFF"};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(stages[i]["dpi"].toInt(), dpis[i]) << i;
        EXPECT_EQ(stages[i]["enabled"].toBool(), i < 6) << i;
        EXPECT_EQ(stages[i]["color"].toString(), QLatin1String(colors[i])) << i;
    }
    EXPECT_EQ(state["currentStage"].toInt(), 2);
    EXPECT_EQ(state["pollingHz"].toInt(), 500);
    EXPECT_EQ(state["lighting"].toObject()["effect"].toInt(), 7);
    EXPECT_EQ(state["lighting"].toObject()["speedByte"].toInt(), 3);
    const QJsonArray buttons = state["buttons"].toArray();
    EXPECT_EQ(buttons[0].toArray(), (QJsonArray{2, 0, 0}));
    EXPECT_EQ(buttons[9].toArray(), (QJsonArray{17, 8, 7}));
}

TEST_F(SimMouseTest, MacrosArriveWholeOverTheCable)
{
    session.Locked([](ProfileSession::State& s) {
        ButtonRecord& button = s.Current().buttons[4];
        button.function = 17;
        button.macro_action_count = 46;
        for (int i = 0; i < 46; ++i)
            button.macro_actions[i] = {std::uint8_t(4 + i), 1, std::uint16_t(i < 10 ? 2000 : 10)};
    });
    ApplyAll();
    const QJsonObject macro = State()["macros"].toObject()["1"].toObject();
    EXPECT_EQ(macro["entryCount"].toInt(), 56);
    const QJsonArray entries = macro["entries"].toArray();
    ASSERT_EQ(entries.size(), 56);
    EXPECT_EQ(entries[1].toArray(), (QJsonArray{10, 3}));   // first action's long delay
    EXPECT_EQ(entries[55].toArray(), (QJsonArray{1, 49})); // the last action's key survives the split
}

TEST_F(SimMouseTest, DamagedReportsAreRejectedAndChangeNothing)
{
    ApplyAll();
    const QJsonObject before = State();
    for (const char* damaged : {"send cable 04 10 01", "send cable 07 09 01 00 00 00 00 00 00",
                                "send cable 06 08 01 01 00 00 00 00 00", "send cable 09 40 01 02",
                                "send receiver 05 0f 01", "send cable 01"})
        EXPECT_EQ(Command(damaged), QStringLiteral("rejected")) << damaged;
    // A second macro half that no first half announced.
    QString secondHalf = QStringLiteral("send cable 09 40 05 01");
    for (int i = 4; i < 64; ++i)
        secondHalf += QStringLiteral(" 00");
    EXPECT_EQ(Command(secondHalf.toUtf8().constData()), QStringLiteral("rejected"));

    QJsonObject after = State();
    EXPECT_EQ(after["reportsRejected"].toInt(), 7);
    after["reportsRejected"] = 0;
    QJsonObject expected = before;
    expected["reportsRejected"] = 0;
    EXPECT_EQ(after, expected);
}

TEST_F(SimMouseTest, ButtonPressesAndLinksRaiseTheirMessages)
{
    ApplyAll();
    EXPECT_EQ(Command("press dpi"), QStringLiteral("ok"));
    ASSERT_FALSE(posted.empty());
    EXPECT_EQ(posted.back().message, 1327u);
    EXPECT_EQ(posted.back().wParam, 0x1000u);
    EXPECT_EQ(posted.back().lParam, 3);
    EXPECT_EQ(State()["currentStage"].toInt(), 3);

    Command("battery 7");
    EXPECT_EQ(posted.back().wParam, 0x4010u);
    EXPECT_EQ(posted.back().lParam, 0x0701);
    Command("sleep");
    EXPECT_EQ(posted.back().lParam, 0x0700);

    Command("unplug cable");
    EXPECT_EQ(posted.back().message, 1328u);
    EXPECT_EQ(posted.back().wParam, 0u);
    EXPECT_FALSE(State()["links"].toObject()["cable"].toObject()["open"].toBool());
    Command("press dpi");  // with the cable gone, events come through the receiver
    EXPECT_EQ(posted.back().message, 1325u);
    Command("plug cable");
    EXPECT_EQ(posted.back().message, 1328u);
    EXPECT_EQ(posted.back().wParam, 1u);

    EXPECT_TRUE(Command("battery 11").startsWith(QStringLiteral("error")));
    EXPECT_TRUE(Command("jump").startsWith(QStringLiteral("error")));
}

TEST_F(SimMouseTest, BluetoothLeWritesCountOnlyWhilePairedAndAreCheckedLikeAnyReport)
{
    EXPECT_EQ(Command("ble write 06 09 01 02 00 00 00 00 00"), QStringLiteral("error: the mouse is not paired over Bluetooth LE"));
    EXPECT_EQ(Command("ble pair"), QStringLiteral("ok"));
    EXPECT_TRUE(State()["links"].toObject()["ble"].toObject()["paired"].toBool());
    EXPECT_EQ(Command("ble write 06 09 01 02 00 00 00 00 00"), QStringLiteral("accepted"));
    EXPECT_EQ(State()["pollingIntervalMs"].toInt(), 2);
    EXPECT_EQ(Command("ble write 06 02"), QStringLiteral("rejected"));
    EXPECT_EQ(Command("ble write 06 zz"), QStringLiteral("error: ble write takes hexadecimal bytes"));
    EXPECT_EQ(Command("ble write 06 1ff"), QStringLiteral("error: ble write takes hexadecimal bytes"));
    const QJsonObject state = State();
    EXPECT_EQ(state["bleReportsAccepted"].toInt(), 1);
    EXPECT_EQ(state["reportsRejected"].toInt(), 1);
    EXPECT_EQ(Command("ble unpair"), QStringLiteral("ok"));
    EXPECT_EQ(Command("ble sideways"), QStringLiteral("error: ble takes pair, unpair or write"));
}

}  // namespace
