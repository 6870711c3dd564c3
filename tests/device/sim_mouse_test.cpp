// The emulated mouse behind its driver libraries, driven in-process: a macro arrives whole, and
// damaged reports are refused.
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
        qputenv("KARVO_SIM_RECEIVER", "1"), qputenv("KARVO_SIM_CABLE", "1"), qputenv("KARVO_SIM_HEARTBEAT_MS", "0");
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

// Only well-formed reports change the mouse: damaged ones and a second macro half no first half
// announced are refused and leave it as it was.
TEST_F(SimMouseTest, OnlyWellFormedReportsChangeTheMouse)
{
    rig.Apply();
    const QJsonObject before = State();
    const QByteArray orphanHalf = "send cable 09 40 05 01" + QByteArray(" 00").repeated(60);  // no first half before
    for (const char* report : {"send cable 04 10 01", "send cable 07 09 01 00 00 00 00 00 00", "send cable 01",
                               "send receiver 05 0f 01", "send cable 06 08 01 01 00 00 00 00 00",
                               "send cable 09 40 01 02", orphanHalf.constData()})
        EXPECT_EQ(Command(report), QStringLiteral("rejected")) << report;
    QJsonObject after = State();
    EXPECT_EQ(after["reportsRejected"].toInt(), 7);
    after["reportsRejected"] = before["reportsRejected"];
    EXPECT_EQ(after, before);
}

}  // namespace
