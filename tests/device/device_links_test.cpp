// The link logic over fake drivers and a fake clock: the link state machine, the mouse's events and
// what they store, and which link carries a report with which pauses.
#include <gtest/gtest.h>

#include "core/report/report_encoders.h"
#include "device/links_rig.h"

namespace {

constexpr std::uint32_t kIn = 0x7F000001, kOut = 0x7F000002;

// Steps, space-separated: "c+" / "c-" the cable arrives / goes, "r+" / "r-" the receiver; "c40100A01"
// a code from the cable's monitor ("r…" the receiver's); "b1" / "b0" Bluetooth LE presence; "t" the
// clock's deferred work runs; "w" the online watchdog expires.
void Play(LinksRig& rig, const char* steps)
{
    for (const QString& step : QString::fromLatin1(steps).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString rest = step.mid(1);
        const std::uint32_t code = rest == QLatin1String("+") ? kIn : rest == QLatin1String("-") ? kOut : rest.toUInt(nullptr, 16);
        switch (step[0].toLatin1()) {
        case 'c': rig.links.HandleWiredLink(code); break;
        case 'r': rig.links.HandleReceiverLink(code); break;
        case 'b': rig.links.OnBlePresence(code != 0); break;
        case 't': rig.clock.RunDeferred(); break;
        default: rig.links.OnOnlineWatchdogExpired();
        }
    }
}

// Link states, flags that are set, the battery level when known, whether a full send is owed and
// the pauses still pending.
QString Summary(LinksRig& rig)
{
    const DeviceLinks& l = rig.links;
    const char* const states[] = {"none", "open", "removed"};
    QStringList s{QStringLiteral("cable=%1 receiver=%2").arg(states[int(l.CableState())], states[int(l.ReceiverState())])};
    for (auto [on, name] : {std::pair{l.Asleep(), "asleep"}, {l.MouseOnline(), "online"}, {l.AnyLinkConnected(), "up"}, {l.BlePresent(), "ble"}})
        if (on)
            s << QLatin1String(name);
    if (l.BatteryLevel() != 0)
        s << QStringLiteral("battery=%1").arg(l.BatteryLevel());
    if (rig.session.Locked([](ProfileSession::State& state) { return state.fullSend; }))
        s << QStringLiteral("full");
    for (const auto& [ms, work] : rig.clock.deferred)
        s << QStringLiteral("pending=%1").arg(ms);
    return s.join(QLatin1Char(' '));
}

// The link state machine: links up at the opening, steps before, the steps, then the links'
// summary, what the host was told and what the drivers were asked during the steps. A row
// without steps checks the opening itself.
struct LinkRow {
    const char *what, *up, *before, *steps, *summary;
    QStringList told, calls;
};
// The probe shares hidapi with the monitors: it goes first.
const QStringList kOpens{"ble-probe", "cable:Set_VIDPID(1d57,fa61)", "cable:Open_DevMonitor(1327,1328)", "cable:Open_FeatureDevice",
                         "receiver:Set_VIDPID(1d57,fa60)", "receiver:Open_DevMonitor(1325,1326)", "receiver:Open_FeatureDevice"};
const QStringList kStatus{"watchdog-stop", "watchdog-start", "wireless shown", "layout", "sleep shown", "sleep hidden"};  // first status
const QStringList kOpenAlone{"sleep shown", "wired hidden", "wireless hidden", "device-state"};
const LinkRow kLinkRows[] = {
    {"opening both", "cr", "", "", "cable=open receiver=open up full",
     {"sleep hidden", "charging", "wired shown", "watchdog-start", "wireless shown", "device-state"}, kOpens},
    {"opening none", "", "", "", "cable=none receiver=none asleep full", kOpenAlone, kOpens},
    {"opening with only Bluetooth LE", "b", "", "", "cable=none receiver=none asleep up ble full", kOpenAlone, kOpens},
    {"cable arrives: a pause first, once", "", "", "c+ c+", "cable=none receiver=none asleep pending=1000", {}, {}},
    {"cable opens after its pause", "", "c+ c+", "t", "cable=open receiver=none up full",
     {"sleep hidden", "wired shown", "layout", "charging", "device-state", "send"}, {"cable:Open_FeatureDevice"}},
    {"cable arrives while open: ignored", "c", "", "c+", "cable=open receiver=none up", {}, {}},
    {"cable arrives beside the receiver: no device state", "r", "", "c+ t", "cable=open receiver=open up full",
     {"sleep hidden", "wired shown", "layout", "charging", "send"}, {"cable:Open_FeatureDevice"}},
    {"cable goes", "c", "", "c-", "cable=removed receiver=none asleep", {"sleep shown", "wired hidden", "layout", "power-clear", "device-state"},
     {"cable:Close_FeatureDevice"}},
    {"cable goes again: ignored", "c", "c-", "c-", "cable=removed receiver=none asleep", {}, {}},
    {"a removal overtakes an arrival in its pause", "c", "c-", "c+ c- t", "cable=removed receiver=none asleep", {}, {}},
    {"receiver opens after its pause", "", "", "r+ t", "cable=none receiver=open asleep up",
     {"wireless shown", "layout", "watchdog-start", "device-state"}, {"receiver:Open_FeatureDevice"}},
    {"status: online, awake, level 10", "r", "", "r40100A01", "cable=none receiver=open online up battery=10 full", kStatus + QStringList{"battery 10", "send"}, {}},
    {"the mouse wakes behind the cable", "c", "c40100000", "c40100A01", "cable=open receiver=none online up battery=10",
     {"watchdog-stop", "watchdog-start", "sleep hidden", "battery 10", "send"}, {}},
    {"status with level 11: the level stays", "r", "r40100A01", "r40100B01", "cable=none receiver=open online up battery=10",
     {"watchdog-stop", "watchdog-start", "sleep hidden"}, {}},
    {"status asleep", "r", "r40100A01", "r40100000", "cable=none receiver=open asleep online up battery=10",
     {"watchdog-stop", "watchdog-start", "sleep shown"}, {}},
    {"watchdog: offline, the asleep flag left alone", "r", "r40100A01", "w", "cable=none receiver=open up battery=10",
     {"watchdog-stop", "wireless hidden", "layout", "sleep shown"}, {}},
    {"status over the cable", "c", "", "c40100701", "cable=open receiver=none online up battery=7", kStatus + QStringList{"battery 7"}, {}},
    {"receiver goes: the watchdog stops, the online flag stays", "r", "r40100801", "r-", "cable=none receiver=removed online battery=8",
     {"wireless hidden", "layout", "watchdog-stop", "device-state"}, {"receiver:Close_FeatureDevice"}},
    {"Bluetooth LE arrives beside the receiver: no device state", "r", "", "b1", "cable=none receiver=open up ble full",
     {"arm 1", "sleep hidden", "ble shown", "layout", "send"}, {}},
    {"Bluetooth LE arrives as the only link", "", "", "b1", "cable=none receiver=none up ble full", {"arm 1", "sleep hidden", "ble shown", "layout", "send", "device-state"}, {}},
    {"Bluetooth LE goes with the cable up", "cb", "", "b0", "cable=open receiver=none up", {"arm 0", "ble hidden", "layout"}, {}},
    {"Bluetooth LE goes with nothing else up, and again", "b", "", "b0 b0", "cable=none receiver=none asleep",
     {"arm 0", "ble hidden", "sleep shown", "layout", "device-state", "arm 0", "ble hidden", "sleep shown", "layout", "device-state"}, {}},
    {"Bluetooth LE goes while the receiver has the mouse online: no sleep notice", "rb", "r40100001", "b0", "cable=none receiver=open online up",
     {"arm 0", "ble hidden", "layout"}, {}},
};

TEST(DeviceLinks, LinkStateMachine)
{
    for (const LinkRow& row : kLinkRows) {
        SCOPED_TRACE(row.what);
        LinksRig rig(row.up);
        Play(rig, row.before);
        rig.host.log.clear(), DriverCallLog().clear();
        rig.session.Locked([&row](ProfileSession::State& state) { state.fullSend = !*row.steps; });  // the start's stays owed
        Play(rig, row.steps);
        EXPECT_EQ(Summary(rig), QLatin1String(row.summary));
        EXPECT_EQ(*row.steps ? rig.host.log : rig.opened, row.told);
        EXPECT_EQ(*row.steps ? DriverCallLog() : rig.openCalls, row.calls);
        EXPECT_EQ(FakeCable().target, &rig.posted.target);
    }
}

// The mouse's events, as the cable's monitor posts them. Before each, an edit is made in memory
// only: a row that rewrites pro.data puts it into the file, one that does not leaves the file alone.
struct EventRow {
    std::uint32_t code;
    QStringList told;
    int stage, polling, effect, battery;  // the current profile and the links afterwards
    bool written;
};
const EventRow kEvents[] = {
    {0x10000001, {"stage-option 1", "show-dpi 20"}, 0, 2, 7, 0, true},
    {0x10000008, {"stage-option 8", "show-dpi 99"}, 7, 2, 7, 0, true},
    {0x10000000, {}, 1, 2, 7, 0, false}, {0x10000009, {}, 1, 2, 7, 0, false}, {0x20000001, {"show-settings"}, 1, 1, 7, 0, true},
    {0x20000008, {"show-settings"}, 1, 8, 7, 0, true}, {0x20000000, {}, 1, 2, 7, 0, false}, {0x20000009, {}, 1, 2, 7, 0, false},
    {0x70000000, {"show-settings"}, 1, 2, 0, 0, true}, {0x70000007, {"show-settings"}, 1, 2, 7, 0, true}, {0x70000008, {}, 1, 2, 7, 0, false},
    {0x60000001, {}, 1, 2, 7, 1, false}, {0x6000000A, {}, 1, 2, 7, 10, false},  // battery: kept, not shown, not stored
    {0x60000000, {}, 1, 2, 7, 0, false}, {0x6000000B, {}, 1, 2, 7, 0, false}, {0x6000FFFF, {}, 1, 2, 7, 0, false},
    {0x80000001, {}, 1, 2, 7, 0, true}, {0x80000005, {}, 1, 2, 7, 0, true},  // only rewrites the store
    {0x80000000, {}, 1, 2, 7, 0, false}, {0x80000006, {}, 1, 2, 7, 0, false}, {0x90000003, {}, 1, 2, 7, 0, false},
    {0x30000001, {}, 1, 2, 7, 0, false}, {0x0FFF0003, {}, 1, 2, 7, 0, false}, {0x90010003, {}, 1, 2, 7, 0, false},
    {0x7F000000, {}, 1, 2, 7, 0, false},
};

TEST(DeviceLinks, EventsChangeTheCurrentProfileAndPutItInProData)
{
    for (const EventRow& row : kEvents) {
        SCOPED_TRACE(QString::number(row.code, 16).toStdString());
        LinksRig rig("c");
        const QByteArray before = rig.Store();
        rig.Current([](ProfileRecord& p) { p.brightness = 3, p.dpi_value[7] = 99; });
        rig.links.HandleWiredLink(row.code);
        EXPECT_EQ(rig.host.log, row.told);
        EXPECT_EQ(rig.Current([](ProfileRecord& p) { return std::tuple(p.current_stage, p.polling_rate, p.light_effect); }),
                  std::tuple(row.stage, row.polling, row.effect));
        EXPECT_EQ(rig.links.BatteryLevel(), row.battery);
        const QByteArray after = rig.Store();
        EXPECT_EQ(row.written ? before : after, before);  // a row that stores nothing leaves the file alone
        if (!row.written)
            continue;
        EXPECT_EQ(GetU32(after, 164884 + 2340), 3u);  // offsets of the current (first) profile's fields
        EXPECT_EQ(std::tuple(GetU32(after, 164884 + 2352), GetU32(after, 164884 + 2356), GetU32(after, 164884 + 2364)),
                  std::tuple(std::uint32_t(row.stage), std::uint32_t(row.polling), std::uint32_t(row.effect)));
    }
}

// Which link takes a 9-byte report: cable, then the receiver while the mouse is online behind it,
// then Bluetooth LE; a report taken is followed by a 500 ms pause. The cable answers SetFeature as
// listed (then 1); `tried` counts the writes tried on cable, receiver and Bluetooth LE.
struct SendRow {
    const char *what, *up, *before;
    std::vector<int> cableAnswers;
    int result;
    std::vector<std::size_t> tried;
    std::vector<int> pauses;
};
const SendRow kSends[] = {
    {"receiver while the mouse is offline", "r", "", {}, 0, {0, 0, 0}, {}},
    {"receiver once the mouse is online", "r", "r40100801", {}, 1, {0, 1, 0}, {500}},
    {"cable before the receiver", "cr", "r40100801", {}, 1, {1, 0, 0}, {500}},
    {"a refusing cable falls through to the receiver", "cr", "r40100801", {0}, 1, {1, 1, 0}, {500}},
    {"receiver gone", "r", "r40100801 r-", {}, 0, {0, 0, 0}, {}},
    {"cable gone", "c", "c-", {}, 0, {0, 0, 0}, {}},
    {"Bluetooth LE when nothing else is up", "b", "", {}, 1, {0, 0, 1}, {500}},
    {"a refusing cable falls through to Bluetooth LE", "cb", "", {0}, 1, {1, 0, 1}, {500}},
    {"Bluetooth LE gone: writes stop at once", "b", "b0", {}, 0, {0, 0, 0}, {}},
};

TEST(DeviceLinks, ReportGoesOverTheFirstLinkThatTakesItThenPauses)
{
    const Report report = EncodePollingReport(*CreateProfile(QStringLiteral("P")));
    for (const SendRow& row : kSends) {
        SCOPED_TRACE(row.what);
        LinksRig rig(row.up);
        Play(rig, row.before);
        FakeCable().setFeatureResults = row.cableAnswers;
        EXPECT_EQ(rig.links.SendReport(report), row.result);
        std::size_t link = 0;
        for (const std::vector<Report>* writes : {&FakeCable().writes, &FakeReceiver().writes, &rig.bleWrites})
            EXPECT_EQ(*writes, std::vector<Report>(row.tried[link++], report));
        EXPECT_EQ(rig.clock.pauses, row.pauses);
    }
}

// The cable takes 64 bytes at most: a macro goes in two halves, report bytes 3..62 then 63..122,
// each paused 200 ms, then the report's pause. Refused whole, it falls through to the receiver.
TEST(DeviceLinks, MacroReportGoesOverTheCableInTwoHalvesOf60Bytes)
{
    Report macro = NewReport(ReportCommand::kMacro, ReportLength::kMacro, 2);
    for (std::size_t i = 3; i < macro.size(); ++i)
        macro[i] = std::uint8_t(i);
    std::vector<std::vector<std::uint8_t>> halves{{9, 64, 2, 0}, {9, 64, 2, 1}};
    for (std::uint8_t i = 0; i < 120; ++i)
        halves[i / 60].push_back(std::uint8_t(3 + i));
    const struct {
        std::vector<int> cableAnswers;
        int result;
        std::vector<int> pauses;
        std::vector<Report> receiverWrites;
    } rows[] = {{{}, 1, {200, 200, 500}, {}},
                {{1, 0}, 0, {200}, {}},  // half taken: the cable had it, the receiver is not tried
                {{0, 0}, 1, {500}, {macro}}};
    for (const auto& row : rows) {
        LinksRig rig("cr");
        rig.links.HandleReceiverLink(0x40100801);
        FakeCable().setFeatureResults = row.cableAnswers;
        EXPECT_EQ(rig.links.SendReport(macro), row.result);
        EXPECT_EQ(FakeCable().writes, halves);
        EXPECT_EQ(rig.clock.pauses, row.pauses);
        EXPECT_EQ(FakeReceiver().writes, row.receiverWrites);
    }
}

TEST(DeviceLinks, ChargingAnimationWrapsAndShutdownClosesReceiverThenCableAndSendsNothingAfter)
{
    LinksRig rig;
    std::vector<int> shown(53);  // counts in twos to 100, then wraps
    std::generate(shown.begin(), shown.end(), [&] { return rig.links.NextChargingValue(); });
    EXPECT_EQ(std::tuple(shown[0], shown[1], shown[50], shown[51], shown[52]), std::tuple(0, 2, 100, 0, 2));
    rig.Open("cr");
    rig.links.Shutdown();
    EXPECT_EQ(DriverCallLog(), (QStringList{"receiver:Close_FeatureDevice", "receiver:Close_DevMonitor", "cable:Close_FeatureDevice",
                                            "cable:Close_DevMonitor"}));
    EXPECT_EQ(rig.links.SendReport(Report{6, 9, 1, 2, 0, 0, 0, 0, 0}), 0);
}

// Without the driver libraries every link stays closed, and an arrival completes without a call.
TEST(DeviceLinks, WithoutDriverLibrariesEveryLinkStaysClosed)
{
    LinksRig rig;
    DeviceLinks bare(rig.host, rig.session, rig.clock);
    bare.LoadDrivers(rig.folder.path() + QStringLiteral("no-such-folder/"));
    bare.Open(&rig.posted.target, {1327, 1328}, {1325, 1326});
    EXPECT_EQ(std::tuple(bare.CableState(), bare.ReceiverState(), bare.Asleep(), bare.AnyLinkConnected(), bare.SendReport(Report{4, 3, 1})),
              std::tuple(LinkState::NotOpened, LinkState::NotOpened, true, false, 0));
    bare.HandleWiredLink(kIn), rig.clock.RunDeferred(), bare.Shutdown();
}

}  // namespace
