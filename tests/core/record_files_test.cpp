// Single-record files (*.pro, *.macro): export writes the record as stored, import takes exactly
// one record (a file one byte short is refused, bytes after the record are ignored), refuses
// damaged records and appends under a unique name.
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

// Reads path as a *.pro or *.macro file; the bytes of the record read, or an empty array and error.
QByteArray ReadRecord(bool profile, const QString& path, QString* error) {
    if (profile) {
        const auto record = ReadProfileFile(path, error);
        return record ? BytesOf(*record) : QByteArray();
    }
    const auto record = ReadMacroFile(path, error);
    return record ? BytesOf(*record) : QByteArray();
}

TEST(RecordFiles, ExactlyOneRecordIsReadAndOneByteShortIsRefused) {
    TempDataFolder folder;
    auto profile = CreateProfile(QStringLiteral("Export"));
    profile->reserved_value_3 = 1234;
    profile->buttons[3].macro_option = 9;
    auto macro = CreateMacro(QStringLiteral("Burst"));
    macro->action_count = 2;
    macro->actions[1] = {0xF1, 2, 300};
    macro->button_parameter = 0x01020304;
    const QString proPath = folder.file(QStringLiteral("p.pro")), macroPath = folder.file(QStringLiteral("m.macro"));
    ASSERT_TRUE(WriteProfileFile(proPath, *profile));
    ASSERT_TRUE(WriteMacroFile(macroPath, *macro));
    const QByteArray images[2] = {BytesOf(*macro), BytesOf(*profile)};
    EXPECT_EQ(ReadFileBytes(proPath), images[1]);
    EXPECT_EQ(ReadFileBytes(macroPath), images[0]);

    struct Row { bool profile; int extraBytes; const char* refusedWith; };  // refusedWith "": accepted
    const Row rows[] = {{true, 0, ""}, {true, 1, ""}, {true, 100, ""}, {true, -1, "holds 32975 bytes"},
                        {true, -32976, "holds 0 bytes"}, {false, 0, ""}, {false, 1, ""}, {false, 100, ""},
                        {false, -1, "holds 239 bytes, a macro needs 240"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << (row.profile ? "pro " : "macro ") << row.extraBytes);
        const QByteArray& image = images[row.profile];
        const QString path = folder.file(QStringLiteral("in.rec"));
        WriteFileBytes(path, row.extraBytes < 0 ? image.left(image.size() + row.extraBytes)
                                                : image + QByteArray(row.extraBytes, 'x'));
        QString error;
        const QByteArray read = ReadRecord(row.profile, path, &error);
        if (*row.refusedWith) {
            EXPECT_TRUE(read.isEmpty());
            EXPECT_TRUE(error.contains(QLatin1String(row.refusedWith))) << error.toStdString();
        } else {
            EXPECT_EQ(read, image) << error.toStdString();
        }
    }
    QString error;
    EXPECT_TRUE(ReadRecord(true, folder.file(QStringLiteral("absent.pro")), &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
}

TEST(RecordFiles, DamagedRecordsAreRefusedAndCountsZeroTo46Taken) {
    TempDataFolder folder;
    const QString path = folder.file(QStringLiteral("damaged"));
    QString error;
    auto profile = CreateProfile(QStringLiteral("x"));
    std::fill(std::begin(profile->name), std::end(profile->name), u'n');
    WriteFileBytes(path, BytesOf(*profile));
    EXPECT_FALSE(ReadProfileFile(path, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("terminator")));

    auto macro = CreateMacro(QString());
    std::fill(std::begin(macro->name), std::end(macro->name), u'x');
    WriteFileBytes(path, BytesOf(*macro));
    EXPECT_FALSE(ReadMacroFile(path, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("terminator")));

    for (std::int32_t count : {-1, 0, 46, 47, 0x7FFFFFFF}) {
        auto counted = CreateMacro(QStringLiteral("Count"));
        counted->action_count = count;
        WriteFileBytes(path, BytesOf(*counted));
        const bool taken = count >= 0 && count <= 46;
        EXPECT_EQ(bool(ReadMacroFile(path, &error)), taken) << count;
        if (!taken) {
            EXPECT_TRUE(error.contains(QStringLiteral("action count"))) << error.toStdString();
        }
    }
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
    EXPECT_EQ(result.profileIndex, 1u);
    EXPECT_EQ(result.macrosCreated, 2);
    const ProfileRecord& imported = *profiles[1];
    EXPECT_EQ(ProfileName(imported), QStringLiteral("game_1"));
    ASSERT_EQ(macros.size(), 3u);
    EXPECT_EQ(MacroName(*macros[1]), QStringLiteral("burst_1"));
    EXPECT_EQ(ReadNameField(imported.buttons[2].macro_name), QStringLiteral("burst_1"));
    EXPECT_EQ(imported.buttons[2].macro_index, 1);
    EXPECT_EQ(macros[1]->button_parameter, 5);
    EXPECT_EQ(macros[1]->action_count, 3);
    EXPECT_EQ(0, std::memcmp(macros[1]->actions, imported.buttons[2].macro_actions, 184));
    EXPECT_EQ(MacroName(*macros[2]), QStringLiteral("Reload"));
    EXPECT_EQ(imported.buttons[9].macro_index, 2);
    EXPECT_EQ(macros[2]->action_count, MacroActionLimit);
}

}  // namespace
