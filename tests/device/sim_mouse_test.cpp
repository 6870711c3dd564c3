// The emulated mouse behind its driver libraries, driven in-process: what an apply leaves it
// holding, decoded from the reports, and the messages its buttons and links post.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "core/platform/dynamic_library.h"
#include "device/links_rig.h"

namespace {

const QString kDemo = QStringLiteral(KARVO_DEMO_DIR "/");

class SimMouseTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static QTemporaryDir socketDir;
        qputenv("KARVO_SIM_SOCKET", (socketDir.path() + QStringLiteral("/sim.sock")).toUtf8());
        for (const char* name : {"KARVO_SIM_RECEIVER", "KARVO_SIM_CABLE"})
            qputenv(name, "1");
        qputenv("KARVO_SIM_HEARTBEAT_MS", "0");
    }
    void SetUp() override
    {
        cable = DriverLibrary::Load(kDemo + QStringLiteral("hiddriver_2.so"));
        receiver = DriverLibrary::Load(kDemo + QStringLiteral("hiddriver_1.so"));
        device = DynamicLibrary::Load(kDemo + QStringLiteral("libkarvo_simmouse.so"));
        ASSERT_TRUE(cable && receiver && device && (command = device->ResolveAs<decltype(command)>("sim_command")));
        Command("reset");
        rig.links.SetCableDriver(cable->Functions());
        rig.links.SetReceiverDriver(receiver->Functions());
        rig.Open("");
    }
    void TearDown() override { rig.links.Shutdown(); }

    QString Command(const QByteArray& line)
    {
        char reply[16384];
        return command(line.constData(), reply, sizeof reply), QString::fromUtf8(reply);
    }
    const QJsonObject State() { return QJsonDocument::fromJson(Command("state").toUtf8()).object(); }

    std::unique_ptr<DriverLibrary> cable, receiver;
    std::unique_ptr<DynamicLibrary> device;
    int32_t (*command)(const char*, char*, int32_t) = nullptr;
    LinksRig rig;
};

TEST_F(SimMouseTest, AFullSendLeavesTheMouseHoldingTheProfile)
{
    rig.Apply();
    const QJsonObject state = State();
    EXPECT_EQ(std::tuple(state["reportsAccepted"].toInt(), state["reportsRejected"].toInt()), std::tuple(4, 0));
    const int dpis[8] = {800, 1200, 1600, 2400, 3200, 4800, 0, 0};
    const char* colors[8] = {"#FF0000", "#00FF00", "#0000FF", "#FFFF00", "#FF00FF", "#00FFFF", "#FF4000", "#FFFFFF"};
    for (int i = 0; i < 8; ++i) {
        const QJsonValue stage = state["stages"].toArray()[i];
        EXPECT_EQ(std::tuple(stage["dpi"].toInt(), stage["enabled"].toBool(), stage["color"].toString()),
                  std::tuple(dpis[i], i < 6, QString::fromLatin1(colors[i])))
            << i;
    }
    EXPECT_EQ(std::tuple(state["currentStage"].toInt(), state["pollingHz"].toInt()), std::tuple(2, 500));
    EXPECT_EQ(std::tuple(state["lighting"]["effect"].toInt(), state["lighting"]["speedByte"].toInt()), std::tuple(7, 3));
    EXPECT_EQ(state["buttons"][0].toArray(), (QJsonArray{2, 0, 0}));
    EXPECT_EQ(state["buttons"][9].toArray(), (QJsonArray{17, 8, 7}));
}

TEST_F(SimMouseTest, AMacroArrivesWholeOverTheCable)
{
    rig.Current([](ProfileRecord& p) {
        p.buttons[4].function = 17;
        p.buttons[4].macro_action_count = 46;
        for (int i = 0; i < 46; ++i)
            p.buttons[4].macro_actions[i] = {std::uint8_t(4 + i), 1, std::uint16_t(i < 10 ? 2000 : 10)};
    });
    rig.Apply();
    const QJsonObject macro = State()["macros"]["1"].toObject();
    EXPECT_EQ(macro["entryCount"].toInt(), 56);
    ASSERT_EQ(macro["entries"].toArray().size(), 56);
    EXPECT_EQ(macro["entries"][1].toArray(), (QJsonArray{10, 3}));   // the first action's long delay
    EXPECT_EQ(macro["entries"][55].toArray(), (QJsonArray{1, 49}));  // the last action's key survives the split
}

// An event goes on 1327 (cable) or 1325 (receiver), a link state on 1328; a cable plugged in again
// is open only once the utility opens it.
TEST_F(SimMouseTest, ButtonPressesAndLinksPostTheirMessages)
{
    using Post = std::tuple<std::uint32_t, std::uintptr_t, std::intptr_t>;
    const struct { const char* command; Post last; bool cableOpen; int stage; } rows[] = {
        {"press dpi", {1327, 0x1000, 3}, true, 3},  {"battery 7", {1327, 0x4010, 0x0701}, true, 3},
        {"sleep", {1327, 0x4010, 0x0700}, true, 3}, {"unplug cable", {1328, 0, 0}, false, 3},
        {"press dpi", {1325, 0x1000, 4}, false, 4}, {"plug cable", {1328, 1, 0}, false, 4}};
    rig.Apply();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command);
        EXPECT_EQ(Command(row.command), QStringLiteral("ok"));
        EXPECT_EQ(rig.posted.posts.empty() ? Post{} : rig.posted.posts.back(), row.last);
        const QJsonObject state = State();
        EXPECT_EQ(std::pair(state["links"]["cable"]["open"].toBool(), state["currentStage"].toInt()),
                  std::pair(row.cableOpen, row.stage));
    }
}

// Commands answer as they should, and only well-formed reports change the mouse: damaged ones, a
// second macro half no first half announced, and Bluetooth LE writes while unpaired are refused.
TEST_F(SimMouseTest, OnlyWellFormedReportsChangeTheMouse)
{
    rig.Apply();
    const QJsonObject before = State();
    const QByteArray orphanHalf = "send cable 09 40 05 01" + QByteArray(" 00").repeated(60);  // no first half before
    for (const char* report : {"send cable 04 10 01", "send cable 07 09 01 00 00 00 00 00 00", "send cable 01",
                               "send receiver 05 0f 01", "send cable 06 08 01 01 00 00 00 00 00",
                               "send cable 09 40 01 02", orphanHalf.constData()})
        EXPECT_EQ(Command(report), QStringLiteral("rejected")) << report;
    const char* const notHex = "error: ble write takes hexadecimal bytes";
    const char* const ping = "ble write 06 09 01 03 00 00 00 00 00";  // a 3 ms polling interval
    const char* const answers[][2] = {
        {ping, "error: the mouse is not paired over Bluetooth LE"}, {"ble pair", "ok"}, {"ble write 06 02", "rejected"},
        {"ble write 06 zz", notHex}, {"ble write 06 1ff", notHex}, {"jump", "error: unknown command 'jump'"},
        {"ble sideways", "error: ble takes pair, unpair or write"}, {"ble unpair", "ok"},
        {"battery 11", "error: battery takes a level 0..10"}};
    for (const auto& [command, reply] : answers)
        EXPECT_EQ(Command(command), QLatin1String(reply)) << command;
    QJsonObject after = State();
    EXPECT_EQ(std::tuple(after["reportsRejected"].toInt(), after["bleReportsAccepted"].toInt()), std::tuple(8, 0));
    after["reportsRejected"] = before["reportsRejected"];
    EXPECT_EQ(after, before);

    EXPECT_EQ((std::pair{Command("ble pair"), Command(ping)}), std::pair(QString("ok"), QString("accepted")));
    const QJsonObject paired = State();
    EXPECT_EQ(std::tuple(paired["links"]["ble"]["paired"].toBool(), paired["pollingIntervalMs"].toInt(),
                         paired["bleReportsAccepted"].toInt()), std::tuple(true, 3, 1));
}

}  // namespace
