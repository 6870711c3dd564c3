// The profile and macro records: the profile's defaults byte by byte from the documented layout
// (independent of the struct); single-record files (*.pro, *.macro), where export writes the record
// as stored and import takes exactly one sound record (a file one byte short is refused, bytes after
// the record are ignored); and imports appended under a unique name.
#include <gtest/gtest.h>

#include <cstring>

#include "core/macro/macro_file.h"
#include "core/profile/profile_file.h"
#include "core/profile/profile_import.h"
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
    const int dpi[8] = {20, 30, 40, 60, 80, 120, 0, 0};
    const int enabled[8] = {1, 1, 1, 1, 1, 1, 0, 0};
    const std::int32_t stageColor[8] = {0xFF, 0xFF00, 0xFF0000, 0xFFFF, 0xFF00FF, 0xFFFF00, 0x40FF, 0xFFFFFF};
    const std::int32_t reservedColor[8] = {0xFF, 0xFF00, 0xFF0000, 0xFF00FF, 0xFFFF, 0xFFFFFF, 0xFFFFFF, 0x80FF};
    for (int i = 0; i < 8; ++i) {
        PutI32(image, 2244 + 4 * i, dpi[i]);
        PutI32(image, 2276 + 4 * i, dpi[i]);
        PutI32(image, 2308 + 4 * i, enabled[i]);
        PutI32(image, 2384 + 4 * i, stageColor[i]);
        PutI32(image, 2416 + 4 * i, reservedColor[i]);
    }
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

TEST(ProfileRecord, NewProfileIsByteExactDefaultImageWithNameCutTo99) {
    EXPECT_EQ(BytesOf(*CreateProfile(QStringLiteral("Profile1"))), ExpectedDefaultImage(QStringLiteral("Profile1")));
    const auto record = CreateProfile(QString(150, QLatin1Char('x')));
    EXPECT_EQ(ProfileName(*record), QString(99, QLatin1Char('x')));
    EXPECT_EQ(record->name[99], u'\0');
}

TEST(ProfileRecord, ResetRestoresDefaultsButKeepsNameMoveModeAndGaps) {
    auto record = CreateProfile(QStringLiteral("Mine"));
    record->move_mode = 1;
    record->dpi_value[0] = 99;
    record->light_color = 0x123456;
    record->reserved_byte_1 = 0x7F;
    record->buttons[0].function = 17;
    record->buttons[0].macro_actions[3].delay_ms = 500;
    record->buttons[20].function = 5;  // beyond the defaulted buttons: must be zeroed again
    record->buttons[20].button_index = 20;
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
QByteArray ReadRecord(bool profile, const QString& path, QString* error) {
    return profile ? BytesOf(ReadProfileFile(path, error)) : BytesOf(ReadMacroFile(path, error));
}

TEST(RecordFiles, ExportWritesTheRecordAndImportTakesExactlyOneSoundRecord) {
    TempDataFolder folder;
    auto profile = CreateProfile(QStringLiteral("Export"));
    profile->reserved_value_3 = 1234;
    profile->buttons[3].macro_option = 9;
    auto macro = CreateMacro(QStringLiteral("Burst"));
    macro->action_count = 2;
    macro->actions[1] = {0xF1, 2, 300};
    macro->button_parameter = 0x01020304;
    const QString proPath = folder.file("p.pro"), macroPath = folder.file("m.macro");
    ASSERT_TRUE(WriteProfileFile(proPath, *profile));
    ASSERT_TRUE(WriteMacroFile(macroPath, *macro));
    const QByteArray pro = BytesOf(*profile), mac = BytesOf(*macro);
    EXPECT_EQ(ReadFileBytes(proPath), pro);
    EXPECT_EQ(ReadFileBytes(macroPath), mac);

    auto macroWith = [&](std::int32_t count, char16_t nameUnit) {
        MacroRecord changed = *macro;
        changed.action_count = count;
        std::fill(std::begin(changed.name), std::end(changed.name), nameUnit);
        return BytesOf(changed);
    };
    QByteArray unterminated = pro;
    PutUtf16(unterminated, 0, QString(100, QLatin1Char('n')));
    struct Row { bool profile; QByteArray bytes; const char* refusedWith; };  // refusedWith "": accepted
    const Row rows[] = {  // one byte short is refused; bytes after the record are ignored
        {true, pro, ""}, {true, pro + "x", ""}, {true, pro + QByteArray(100, 'x'), ""},
        {true, pro.chopped(1), "holds 32975 bytes"}, {true, {}, "holds 0 bytes"}, {true, unterminated, "terminator"},
        {false, mac, ""}, {false, mac + "x", ""}, {false, mac + QByteArray(100, 'x'), ""},
        {false, mac.chopped(1), "holds 239 bytes, a macro needs 240"}, {false, macroWith(2, 'x'), "terminator"},
        {false, macroWith(0, 0), ""}, {false, macroWith(46, 0), ""}, {false, macroWith(47, 0), "action count"},
        {false, macroWith(-1, 0), "action count"}, {false, macroWith(0x7FFFFFFF, 0), "action count"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << (row.profile ? "pro, " : "macro, ") << row.bytes.size() << " bytes");
        const QString path = folder.file("in.rec");
        WriteFileBytes(path, row.bytes);
        QString error;
        const QByteArray read = ReadRecord(row.profile, path, &error);
        EXPECT_EQ(read, *row.refusedWith ? QByteArray() : row.bytes.left(row.profile ? 32976 : 240));
        EXPECT_TRUE(error.contains(QLatin1String(row.refusedWith))) << error.toStdString();
    }
    QString error;
    EXPECT_TRUE(ReadRecord(true, folder.file("absent.pro"), &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
}

TEST(RecordFiles, ImportedMacrosGetUniqueNamesAcrossLetterCaseAndKeepEveryOtherByte) {
    MacroList macros;
    macros.push_back(CreateMacro(QStringLiteral("Burst")));
    macros[0]->action_count = 2;
    macros[0]->button_parameter = 7;
    for (const char* expected : {"Burst_1", "Burst_2"}) {
        const std::size_t index = AppendImportedMacro(macros, std::make_unique<MacroRecord>(*macros[0]));
        EXPECT_EQ(MacroName(*macros[index]), QLatin1String(expected));
        EXPECT_EQ(BytesOf(*macros[index]).mid(48), BytesOf(*macros[0]).mid(48));
    }
    macros.push_back(CreateMacro(QStringLiteral("reload")));
    EXPECT_EQ(MacroName(*macros[AppendImportedMacro(macros, CreateMacro(QStringLiteral("RELOAD")))]),
              QStringLiteral("RELOAD_1"));
}

void BindMacro(ButtonRecord& button, const QString& name, std::uint16_t count, std::int32_t loops) {
    button.function = 17;
    WriteNameField(button.macro_name, name);
    button.macro_action_count = count;
    button.macro_loop_count = loops;
    for (int i = 0; i < MacroActionLimit; ++i)
        button.macro_actions[i] = {std::uint8_t(4 + i), std::uint8_t(1 + i % 2), std::uint16_t(10 * i)};
}

TEST(ProfileImport, AppendsUniqueNameAndBringsMacrosAlong) {
    ProfileList profiles;
    profiles.push_back(CreateProfile(QStringLiteral("Game")));
    MacroList macros;
    macros.push_back(CreateMacro(QStringLiteral("Burst")));
    auto record = CreateProfile(QStringLiteral("game"));
    BindMacro(record->buttons[2], QStringLiteral("burst"), 3, 5);
    BindMacro(record->buttons[9], QStringLiteral("Reload"), 200, 0);  // count beyond the slots
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

}  // namespace
