// The profile and macro records and the reports they become, byte for byte: the profile's defaults
// from the documented layout (independent of the struct); single-record files (*.pro, *.macro), where
// export writes the record as stored and import takes exactly one sound record (a file one byte short
// is refused, bytes after the record are ignored) and appends it under a unique name; the worked
// examples of the report layouts, the delay boundaries of macro entries and device steps, which
// fields mark which section changed, and the order of a full send.
#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>
#include <QFileInfo>

#include "core/macro/macro_file.h"
#include "core/profile/dpi_stages.h"
#include "core/profile/profile_file.h"
#include "core/profile/profile_import.h"
#include "core/report/apply_reports.h"
#include "core/report/change_detection.h"
#include "core/report/report_encoders.h"
#include "core/text/name_field.h"
#include "support/test_files.h"

namespace {

template <typename Record>
QByteArray BytesOf(const Record& record) {
    return QByteArray(reinterpret_cast<const char*>(&record), sizeof record);
}

QByteArray ExpectedDefaultImage(const QString& name) {
    QByteArray image(32976, '\0');
    PutUtf16(image, 0, name);
    // offset, value: reserved values, DPI options, brightness .. polling rate, light effects and colour
    for (auto [offset, value] : {std::pair{2200, 420}, {2204, 3}, {2212, 6}, {2228, 8}, {2232, 8}, {2340, 8}, {2344, 6},
                                 {2348, 1}, {2352, 1}, {2356, 2}, {2364, 7}, {2368, 3}, {2376, 1}, {2380, 0xFFFFFF}})
        PutI32(image, offset, value);
    PutU8(image, 2372, 1);
    const int dpi[8] = {20, 30, 40, 60, 80, 120, 0, 0}, enabled[8] = {1, 1, 1, 1, 1, 1, 0, 0};
    const int stageColor[8] = {0xFF, 0xFF00, 0xFF0000, 0xFFFF, 0xFF00FF, 0xFFFF00, 0x40FF, 0xFFFFFF};
    const int reservedColor[8] = {0xFF, 0xFF00, 0xFF0000, 0xFF00FF, 0xFFFF, 0xFFFFFF, 0xFFFFFF, 0x80FF};
    // dpi_value, dpi_value_y, stage_enabled, stage_color, reserved_colors
    for (auto [offset, values] : {std::pair{2244, dpi}, {2276, dpi}, {2308, enabled}, {2384, stageColor}, {2416, reservedColor}})
        for (int i = 0; i < 8; ++i)
            PutI32(image, offset + 4 * i, values[i]);
    const int function[18] = {1, 2, 3, 6, 7, 8, 4, 5, 10, 44, 0, 0, 0, 0, 0, 0, 11, 12};
    for (int b = 0; b < 18; ++b) {
        const int base = 2448 + 1272 * b;
        PutU8(image, base + 0, std::uint8_t(b));
        PutU8(image, base + 1, std::uint8_t(function[b]));
        PutU16(image, base + 8, 562);
        PutI32(image, base + 1072, -1);
        PutI32(image, base + 1076, -1);
    }
    return image;
}

TEST(ProfileRecord, NewProfileIsTheDefaultImageAndResetKeepsNameMoveModeAndGaps) {
    EXPECT_EQ(BytesOf(*CreateProfile(QStringLiteral("Profile1"))), ExpectedDefaultImage(QStringLiteral("Profile1")));
    const auto cut = CreateProfile(QString(150, QLatin1Char('x')));  // name cut to 99 characters and terminated
    EXPECT_EQ(ProfileName(*cut), QString(99, QLatin1Char('x')));
    EXPECT_EQ(cut->name[99], u'\0');
    auto record = CreateProfile(QStringLiteral("Mine"));
    record->move_mode = 1, record->dpi_value[0] = 99, record->light_color = 0x123456, record->reserved_byte_1 = 0x7F;
    record->buttons[0].function = 17, record->buttons[0].macro_actions[3].delay_ms = 500;
    record->buttons[20].function = 5, record->buttons[20].button_index = 20;  // not defaulted: must be zeroed again
    FillProfileDefaults(*record);
    QByteArray expected = ExpectedDefaultImage(QStringLiteral("Mine"));
    PutI32(expected, 2360, 1);
    EXPECT_EQ(BytesOf(*record), expected);
    ProfileRecord filled;
    std::memset(&filled, 0xAA, sizeof filled);
    FillProfileDefaults(filled);
    // Gaps, name and move_mode stay; of reserved_text_1 only the first unit is cleared; every button is.
    EXPECT_EQ(std::tuple(filled.zero_2209[0], filled.zero_2216[0], filled.zero_2373[2], filled.name[0], filled.move_mode),
              std::tuple(0xAA, 0xAA, 0xAA, 0xAAAA, std::int32_t(0xAAAAAAAA)));
    EXPECT_EQ(std::tuple(filled.reserved_text_1[0], filled.reserved_text_1[1], filled.buttons[23].button_index),
              std::tuple(0, 0xAAAA, 0));
}

// Reads path as a *.pro or *.macro file: the bytes of the record read, or nothing and an error.
template <typename Record>
QByteArray BytesOf(const std::unique_ptr<Record>& read) { return read ? BytesOf(*read) : QByteArray(); }
QByteArray ReadRecord(bool profile, const QString& path, const QString& data, QString* error) {
    TransferError refused;
    const QByteArray read = profile ? BytesOf(ReadProfileFile(path, data, &refused)) : BytesOf(ReadMacroFile(path, data, &refused));
    *error = refused.message;
    return read;
}

TEST(RecordFiles, ExportWritesTheRecordAndImportTakesExactlyOneSoundRecord) {
    TempDataFolder folder;
    const QString data = folder.path();
    auto profile = CreateProfile(QStringLiteral("Export"));
    profile->reserved_value_3 = 1234, profile->buttons[3].macro_option = 9;
    auto macro = CreateMacro(QStringLiteral("Burst"));
    macro->action_count = 2, macro->actions[1] = {0xF1, 2, 300}, macro->button_parameter = 0x01020304;
    const QString proPath = folder.file("p.pro"), macroPath = folder.file("m.macro");
    ASSERT_FALSE(WriteProfileFile(proPath, data, *profile) || WriteMacroFile(macroPath, data, *macro));
    const QByteArray pro = BytesOf(*profile), mac = BytesOf(*macro);
    EXPECT_EQ(std::pair(ReadFileBytes(proPath), ReadFileBytes(macroPath)), std::pair(pro, mac));
    auto macroWith = [&](std::int32_t count, char16_t nameUnit) {
        MacroRecord changed = *macro;
        changed.action_count = count;
        std::fill(std::begin(changed.name), std::end(changed.name), nameUnit);
        return BytesOf(changed);
    };
    QByteArray unterminated = pro;
    PutUtf16(unterminated, 0, QString(100, QLatin1Char('n')));
    struct Row { bool profile; QByteArray bytes; const char* refusedWith; };  // refusedWith "": accepted
    const Row rows[] = {  // a byte too few or too many is refused
        {true, pro, ""}, {true, pro + "x", "holds 32977 bytes, a profile needs 32976"},
        {true, pro.chopped(1), "holds 32975 bytes"}, {true, {}, "holds 0 bytes"}, {true, unterminated, "terminator"},
        {false, mac, ""}, {false, mac + "x", "holds 241 bytes"},
        {false, mac.chopped(1), "holds 239 bytes, a macro needs 240"}, {false, macroWith(2, 'x'), "terminator"},
        {false, macroWith(0, 0), ""}, {false, macroWith(46, 0), ""}, {false, macroWith(47, 0), "action count"},
        {false, macroWith(-1, 0), "action count"}, {false, macroWith(0x7FFFFFFF, 0), "action count"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << (row.profile ? "pro, " : "macro, ") << row.bytes.size() << " bytes");
        const QString path = folder.file("in.rec");
        WriteFileBytes(path, row.bytes);
        QString error;
        EXPECT_EQ(ReadRecord(row.profile, path, data, &error), *row.refusedWith ? QByteArray() : row.bytes);
        EXPECT_TRUE(error.contains(QLatin1String(row.refusedWith))) << error.toStdString();
    }
    QString error;
    EXPECT_TRUE(ReadRecord(true, folder.file("absent.pro"), data, &error).isEmpty() && !error.isEmpty());
    // Neither a store nor what is not a regular file (a pipe would hold the reader up) goes in or out.
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.file("pipe.pro")).constData(), 0600), 0);
    WriteFileBytes(folder.storeFile("pro.data"), "profiles");
    for (const auto& [path, says] : {std::pair{folder.file("pipe.pro"), "not a regular file"}, {data + "ms_1/../ms_1/pro.data", "one of the stores"}}) {
        EXPECT_TRUE(ReadRecord(true, path, data, &error).isEmpty() && error.contains(QLatin1String(says))) << error.toStdString();
        EXPECT_TRUE(WriteProfileFile(path, data, *profile).message.contains(QLatin1String(says)));
    }
    EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data")), QByteArray("profiles"));
    EXPECT_EQ(QFileInfo(folder.file("pipe.pro")).isFile(), false);
}

TEST(RecordFiles, ImportedMacrosGetUniqueNamesAcrossLetterCaseAndKeepEveryOtherByte) {
    MacroList macros;
    macros.push_back(CreateMacro(QStringLiteral("Burst")));
    macros[0]->action_count = 2, macros[0]->button_parameter = 7;
    // Names are cleaned like typed ones: no control characters, no spaces round them.
    for (const auto& [given, name] : {std::pair{"Burst", "Burst_1"}, {"\tBu\nrst ", "Burst_2"}, {"BURST", "BURST_3"},
                                      {"\n\x7f", "Macro5"}}) {
        auto imported = std::make_unique<MacroRecord>(*macros[0]);
        SetMacroName(*imported, QString::fromUtf8(given));
        const std::size_t index = AppendImportedMacro(macros, std::move(imported));
        EXPECT_EQ(MacroName(*macros[index]), QLatin1String(name));
        EXPECT_EQ(BytesOf(*macros[index]).mid(48), BytesOf(*macros[0]).mid(48));
    }
}

void BindNamedMacro(ButtonRecord& button, const QString& name, std::uint16_t count, std::int32_t loops) {
    button.function = 17, button.macro_action_count = count, button.macro_loop_count = loops;
    WriteNameField(button.macro_name, name);
    for (int i = 0; i < MacroActionLimit; ++i)
        button.macro_actions[i] = {std::uint8_t(4 + i), std::uint8_t(1 + i % 2), std::uint16_t(10 * i)};
}

TEST(ProfileImport, AppendsUniqueNameAndBringsMacrosAlong) {
    ProfileList profiles;
    profiles.push_back(CreateProfile(QStringLiteral("Game")));
    MacroList macros;
    macros.push_back(CreateMacro(QStringLiteral("Burst")));
    auto record = CreateProfile(QStringLiteral(" ga\nme\x7f"));
    BindNamedMacro(record->buttons[2], QStringLiteral("burst"), 3, 5);
    BindNamedMacro(record->buttons[9], QStringLiteral("Reload"), 200, 0);  // count beyond the slots
    record->buttons[20].function = 17;  // not a sent button: ignored
    const ProfileImport result = ImportProfileRecord(profiles, macros, std::move(record));
    EXPECT_EQ(std::pair(result.profileIndex, result.macrosCreated), std::pair(std::size_t(1), 2));
    ASSERT_EQ(macros.size(), 3u);
    const ProfileRecord& imported = *profiles[1];
    EXPECT_EQ(QStringList({ProfileName(imported), MacroName(*macros[1]), ReadNameField(imported.buttons[2].macro_name),
                           MacroName(*macros[2])}), QStringList({"game_1", "burst_1", "burst_1", "Reload"}));
    // macro index, loop count as button parameter, action count (clipped to the slots) and actions
    EXPECT_EQ(std::tuple(imported.buttons[2].macro_index, imported.buttons[9].macro_index, macros[1]->button_parameter,
                         macros[1]->action_count, macros[2]->action_count), std::tuple(1, 2, 5, 3, MacroActionLimit));
    EXPECT_EQ(0, std::memcmp(macros[1]->actions, imported.buttons[2].macro_actions, 184));
}

constexpr std::uint8_t kPress = 1, kRelease = 2;

Report Bytes(std::initializer_list<int> values) { return Report(values.begin(), values.end()); }
Report Slice(const Report& r, std::size_t at, std::size_t n) { return Report(r.begin() + long(at), r.begin() + long(at + n)); }
std::unique_ptr<ProfileRecord> Profile() { return CreateProfile(QStringLiteral("P")); }

void BindMacro(ButtonRecord& button, std::initializer_list<MacroActionSlot> actions) {
    button.function = 17, button.macro_action_count = std::uint16_t(actions.size());
    std::copy(actions.begin(), actions.end(), button.macro_actions);
}

TEST(DpiReport, DefaultProfileSensorValuesAndTheEighthStage) {
    // Stage colours red, green, blue, yellow, magenta, cyan, orange, white; then 1 and zeros.
    EXPECT_EQ(EncodeDpiReport(*Profile()),
              Bytes({0x04, 0x38, 0x01, 0x08, 0x08, 0x3F, 0x30, 0x30, 21, 31, 42, 63, 42, 63, 0, 0, 21, 31, 42, 63, 42, 63, 0,
                     0, 2, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0xFF, 0xFF, 0x40, 0,
                     0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 0, 0, 0}));
    struct Case { int dpiValue, sensor; bool high; };
    for (const Case c : {Case{20, 21, false}, Case{30, 31, false}, Case{60, 63, false}, Case{61, 32, true},
                         Case{80, 42, true}, Case{120, 63, true}, Case{0, 0, false}}) {
        const SensorValue value = DpiSensorValue(c.dpiValue);
        EXPECT_EQ(std::pair(int(value.value), value.highRange), std::pair(c.sensor, c.high)) << c.dpiValue;
    }
    auto profile = Profile();
    // Only exactly 1 enables a stage; the eighth stage has its own bits.
    profile->stage_enabled[0] = 2, profile->stage_enabled[7] = 1, profile->dpi_value[7] = 61;
    const Report report = EncodeDpiReport(*profile);
    EXPECT_EQ(Bytes({report[5], report[6], report[7], report[15], report[23]}), Bytes({0xBE, 0xB0, 0xB0, 32, 32}));
}

// Stage on/off from the default profile (stages 1..6 on, 7 and 8 at 0 DPI): the enable mask the
// DPI report carries, the current stage and the DPI a stage turned on takes.
TEST(DpiStages, OnAndOffKeepOneStageOnACurrentStageOnAndARealDpi) {
    const struct { std::uint8_t mask; int current, stage; bool on, taken; std::uint8_t maskAfter; int currentAfter, dpiAfter; } rows[] = {
        {0x3F, 1, 6, true, true, 0x7F, 1, 120}, {0x3F, 1, 7, true, true, 0xBF, 1, 5},   // the previous stage's, at least 200 DPI
        {0x3E, 1, 0, true, true, 0x3F, 1, 20},  {0x3F, 1, 1, false, true, 0x3D, 0, 30}, // a current stage hands over backwards
        {0x3F, 0, 0, false, true, 0x3E, 1, 20}, {0x01, 0, 0, false, false, 0x01, 0, 20}, // ... else forwards; one stays on
        {0x3F, 5, 2, true, true, 0x3F, 5, 40}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.stage << row.on << int(row.mask));
        auto profile = Profile();
        for (int k = 0; k < 8; ++k)
            profile->stage_enabled[k] = (row.mask >> k) & 1;
        profile->current_stage = row.current;
        EXPECT_EQ(SetStageOn(*profile, row.stage, row.on, 5), row.taken);
        EXPECT_EQ(std::tuple(EncodeDpiReport(*profile)[5], profile->current_stage, profile->dpi_value[row.stage]),
                  std::tuple(row.maskAfter, row.currentAfter, row.dpiAfter));
    }
}

TEST(LightingAndPollingReports, WorkedExamplesEveryEffectUpToTheLastAndEveryRate) {
    auto profile = Profile();
    profile->light_effect = 1, profile->light_effect_ble = 3, profile->brightness = 5, profile->breath_speed = 6;
    profile->light_color = 0x00302010, profile->sleep_timer = 4;
    EXPECT_EQ(EncodeLightingReport(*profile), Bytes({0x05, 0x0F, 0x01, 0x13, 3, 5, 0x10, 0x20, 0x30, 4, 1, 0, 0, 0, 0}));
    for (int effect = 0; effect <= 15; ++effect) {  // on both links; only effects 1 and 9 carry the brightness
        profile->light_effect = effect, profile->light_effect_ble = 15 - effect;
        const Report report = EncodeLightingReport(*profile);
        EXPECT_EQ(std::pair(int(report[3]), int(report[5])), std::pair(effect << 4 | (15 - effect), effect % 8 == 1 ? 5 : 8));
    }
    profile->light_effect = 0x1F;  // only the low four bits fit
    EXPECT_EQ(EncodeLightingReport(*profile)[3], 0xF0);
    for (auto [rate, interval] : {std::pair{0, 8}, {1, 4}, {2, 2}, {3, 1}, {7, 2}, {-1, 2}}) {
        profile->polling_rate = rate;
        EXPECT_EQ(EncodePollingReport(*profile), Bytes({0x06, 0x09, 0x01, interval, 0, 0, 0, 0, 0})) << rate;
    }
}

TEST(ButtonReport, MacroNumbersInButtonOrder) {
    auto profile = Profile();
    BindMacro(profile->buttons[5], {});
    const MacroNumbers numbers = AssignMacroNumbers(*profile);
    EXPECT_EQ(numbers[5], 1);
    // The default buttons: left, right and wheel click, DPI cycle, up (and button 5's macro), forward,
    // backward, fire, show desktop (Win+D), six off, scroll up and down.
    EXPECT_EQ(EncodeButtonReport(*profile, numbers),
              Bytes({0x08, 0x3B, 0x01, 2, 0, 0, 3, 0, 0, 4, 0, 0, 13, 0, 0, 14, 0, 0, 18, 0, 1, 6, 0, 0, 5, 0, 0, 8, 0, 0, 17, 8,
                     7, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 9, 0, 0, 10, 0, 0, 0, 0}));
    BindMacro(profile->buttons[14], {});  // beyond button 11: never numbered
    BindMacro(profile->buttons[2], {});
    const MacroNumbers later = AssignMacroNumbers(*profile);
    EXPECT_EQ(std::pair(later[2], later[5]), std::pair(std::uint8_t(1), std::uint8_t(2)));
    EXPECT_EQ(Slice(EncodeButtonReport(*profile, later), 3 + 3 * 14, 3), Bytes({18, 0, 0}));
}

TEST(MacroReport, HeaderEntriesTenthsRoundingAndLongDelayBoundaries) {
    ButtonRecord button{};
    BindMacro(button, {{4, kPress, 50}, {4, kRelease, 50}, {5, kPress, 20}, {5, kRelease, 0},
                       {6, kPress, 1400}, {6, kRelease, 1500}, {7, kPress, 15}});
    button.macro_repeat_mode = 0x102, button.macro_option = 7, button.macro_loop_count = 0;
    Report expected = Bytes({0x09, 0x83, 3, 0x02, 7, 7, 7, 1, 9, 0x05, 4, 0x85, 4, 0x03, 5, 0x81, 5, 0x01, 6, 7, 3, 0x8B, 6, 7, 3, 0x03, 7});
    expected.resize(131);
    EXPECT_EQ(EncodeMacroReport(3, button), expected);
    // Where a delay stops being short: one entry up to 1270 ms, a long-delay entry from 1271 ms on.
    // Short: (tenths of the delay OR flag, key). Long: (tenths of the delay modulo 200 OR flag, key),
    // then (delay / 200, 3). Flag 0x01 for a press, 0x81 for a release. The device takes two steps
    // for an action whose delay exceeds 1280 ms.
    struct Row { std::uint8_t kind; std::uint16_t delayMs; Report entries; int steps; };
    const Row rows[] = {  // the entries, then the zero after them
        {kPress, 10, {0x01, 4, 0}, 1}, {kPress, 1265, {0x7F, 4, 0}, 1}, {kPress, 1270, {0x7F, 4, 0}, 1},
        {kRelease, 1270, {0xFF, 4, 0}, 1}, {kPress, 1271, {0x07, 4, 6, 3, 0}, 1}, {kRelease, 1271, {0x87, 4, 6, 3, 0}, 1},
        {kPress, 1280, {0x09, 4, 6, 3, 0}, 1}, {kPress, 1281, {0x09, 4, 6, 3, 0}, 2}, {kPress, 1400, {0x01, 4, 7, 3, 0}, 2},
        {kPress, 65535, {0x0F, 4, 71, 3, 0}, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.delayMs);
        ButtonRecord button{};
        BindMacro(button, {{4, row.kind, row.delayMs}});
        const Report report = EncodeMacroReport(1, button);
        EXPECT_EQ(report[8], row.entries.size() / 2) << "entry count";
        EXPECT_EQ(Slice(report, 9, row.entries.size()), row.entries);
        EXPECT_EQ(MacroStepCount(button.macro_actions, 1), row.steps);
    }
}

TEST(MacroReport, AtMostTenLongDelayEntriesAndDamagedCountsClipped) {
    ButtonRecord button{};
    BindMacro(button, {});
    button.macro_action_count = 12;
    for (int i = 0; i < 12; ++i)
        button.macro_actions[i] = {std::uint8_t(4 + i), kPress, 2000};
    Report report = EncodeMacroReport(1, button);
    EXPECT_EQ(report[8], 22);
    EXPECT_EQ(Slice(report, 9 + 4 * 9, 10), Bytes({0x01, 13, 10, 3, 0x01, 14, 0x01, 15, 0, 0}));  // tenth still long
    button.macro_action_count = 60000;
    for (auto& slot : button.macro_actions)
        slot = {4, kPress, 10};
    button.macro_index = 0x7F7F7F7F;  // what follows the slots must not be read
    report = EncodeMacroReport(1, button);
    EXPECT_EQ(report[8], 46);
    EXPECT_EQ(Slice(report, 9 + 2 * 45, 4), Bytes({0x01, 4, 0, 0}));
    MacroRecord macro{};  // step counts outside 0..46 are clipped to the slots
    macro.actions[1].delay_ms = 1280, macro.actions[2].delay_ms = 1281;
    for (auto [count, steps] : {std::pair{3, 4}, {0, 0}, {1000, 47}, {-5, 0}}) {
        macro.action_count = count;
        EXPECT_EQ(MacroStepCount(macro), steps) << count;
    }
}

// Change detection byte by byte: a change to any byte of a section's field marks that section and
// no other; a change anywhere outside the sections marks nothing.
enum Section { kNone, kDpi, kPolling, kLighting, kButtons };
struct SectionField { const char* name; std::size_t offset, size; Section section; };
constexpr SectionField kFields[] = {  // offsets and sizes in the 32976-byte profile record
    {"dpi_option_c", 2224, 4, kDpi},       {"dpi_option_a", 2228, 4, kDpi},         {"dpi_option_b", 2232, 4, kDpi},
    {"dpi_value", 2244, 32, kDpi},         {"dpi_value_y", 2276, 32, kDpi},         {"stage_enabled", 2308, 32, kDpi},
    {"brightness", 2340, 4, kLighting},    {"breath_speed", 2344, 4, kLighting},    {"sleep_timer", 2348, 4, kLighting},
    {"current_stage", 2352, 4, kDpi},      {"polling_rate", 2356, 4, kPolling},     {"light_effect", 2364, 4, kLighting},
    {"light_effect_ble", 2368, 4, kLighting}, {"light_option", 2376, 4, kLighting}, {"light_color", 2380, 4, kLighting},
    {"stage_color", 2384, 32, kDpi},       {"buttons", 2448, 30528, kButtons},
};
static_assert(sizeof(ProfileRecord) == 32976);

TEST(ChangeDetection, EachByteMarksOnlyTheSectionOfItsField) {
    const auto snapshot = Profile(), current = Profile();
    EXPECT_EQ(DetectChanges(*current, *snapshot), SectionChanges{});
    auto* bytes = reinterpret_cast<unsigned char*>(current.get());
    int outside = 0;
    for (std::size_t offset = 0; offset < sizeof(ProfileRecord); ++offset) {
        const SectionField* field = nullptr;
        for (const SectionField& f : kFields)
            field = offset >= f.offset && offset < f.offset + f.size ? &f : field;
        const Section section = field ? field->section : kNone;
        outside += section == kNone;
        bytes[offset] ^= 0x5A;
        const SectionChanges found = DetectChanges(*current, *snapshot);
        bytes[offset] ^= 0x5A;
        ASSERT_EQ(found, (SectionChanges{section == kDpi, section == kPolling, section == kLighting, section == kButtons}))
            << "byte " << offset << (field ? " of " : " outside the sections") << (field ? field->name : "");
    }
    // name, both reserved texts and the fields up to dpi_option_c, the gap after dpi_option_b,
    // move_mode, reserved_byte_2 with its padding, reserved_colors.
    EXPECT_EQ(outside, 2224 + 8 + 4 + 4 + 32);
}

TEST(ApplyReports, FullSendOrderWithTwoMacroButtonsAndOnlyChangedSectionsOtherwise) {
    auto profile = Profile();
    BindMacro(profile->buttons[7], {{4, kPress, 10}});
    BindMacro(profile->buttons[3], {{5, kPress, 10}});
    const std::vector<Report> reports = ApplyReports(*profile, *profile, true);
    ASSERT_EQ(reports.size(), 6u);
    // commands in send order, then macro number and first key of both macro reports: button 3's first
    EXPECT_EQ(Bytes({reports[0][0], reports[1][0], reports[2][0], reports[3][0], reports[4][0], reports[5][0], reports[3][2],
                     reports[3][10], reports[4][2], reports[4][10]}), Bytes({4, 5, 6, 9, 9, 8, 1, 5, 2, 4}));
    auto current = Profile();
    EXPECT_TRUE(ApplyReports(*current, *Profile(), false).empty());
    current->polling_rate = 3;
    EXPECT_EQ(ApplyReports(*current, *Profile(), false), std::vector<Report>{EncodePollingReport(*current)});
}

// Crafted records hold any 32-bit value. The reports carry the low byte of the wrapped result, and
// computing it must not overflow (the sanitizer builds abort on signed overflow; the report fuzz
// target starts from a record with extreme values in every field the encoders read).
TEST(CraftedRecords, ExtremeFieldsGiveTheWrappedLowByte) {
    auto profile = Profile();
    struct Case { std::int32_t stage, speed; int stageByte, speedByte; };
    for (const Case& c : {Case{INT32_MAX, INT32_MIN, 0x00, 0x09}, Case{-1, INT32_MAX, 0x00, 0x0A},
                          Case{INT32_MIN, -247, 0x01, 0x00}, Case{0, 9, 1, 0}, Case{7, 0, 8, 9}}) {
        profile->current_stage = c.stage, profile->breath_speed = c.speed;
        EXPECT_EQ(std::pair(int(EncodeDpiReport(*profile)[24]), int(EncodeLightingReport(*profile)[4])),
                  std::pair(c.stageByte, c.speedByte)) << c.stage << " " << c.speed;
    }
}

}  // namespace
