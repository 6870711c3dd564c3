#include <gtest/gtest.h>

#include <cstring>

#include "core/text/name_field.h"
#include "core/profile/profile_file.h"
#include "core/profile/profile_import.h"
#include "core/storage/store_names.h"
#include "support/test_files.h"

namespace {

QByteArray BytesOf(const ProfileRecord& record)
{
    return QByteArray(reinterpret_cast<const char*>(&record), sizeof record);
}

TEST(ProfileFile, ExportWritesExactRecordAndImportReadsItBack)
{
    TempDataFolder folder;
    auto record = CreateProfile(QStringLiteral("Export"));
    record->reserved_value_3 = 1234;
    record->buttons[3].macro_option = 9;
    const QString path = folder.file(QStringLiteral("p.pro"));
    ASSERT_TRUE(WriteProfileFile(path, *record));
    EXPECT_EQ(ReadFileBytes(path), BytesOf(*record));

    QString error;
    const auto read = ReadProfileFile(path, &error);
    ASSERT_TRUE(read) << error.toStdString();
    EXPECT_EQ(BytesOf(*read), BytesOf(*record));
}

TEST(ProfileFile, RefusesShortFilesAndUnterminatedNames)
{
    TempDataFolder folder;
    QString error;
    const QString shortPath = folder.file(QStringLiteral("short.pro"));
    WriteFileBytes(shortPath, QByteArray(32975, '\0'));
    EXPECT_FALSE(ReadProfileFile(shortPath, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("32975"))) << error.toStdString();

    auto record = CreateProfile(QStringLiteral("x"));
    std::fill(std::begin(record->name), std::end(record->name), u'n');
    const QString namePath = folder.file(QStringLiteral("name.pro"));
    WriteFileBytes(namePath, BytesOf(*record));
    EXPECT_FALSE(ReadProfileFile(namePath, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("terminator")));

    EXPECT_FALSE(ReadProfileFile(folder.file(QStringLiteral("absent.pro")), &error));
}

TEST(ProfileFile, LongerFileReadsItsFirstRecord)
{
    TempDataFolder folder;
    auto record = CreateProfile(QStringLiteral("Long"));
    const QString path = folder.file(QStringLiteral("long.pro"));
    WriteFileBytes(path, BytesOf(*record) + QByteArray(10, 'x'));
    QString error;
    const auto read = ReadProfileFile(path, &error);
    ASSERT_TRUE(read);
    EXPECT_EQ(ProfileName(*read), QStringLiteral("Long"));
}

void BindMacro(ButtonRecord& button, const QString& name, std::uint16_t count, std::int32_t loops)
{
    button.function = 17;
    WriteNameField(button.macro_name, name);
    button.macro_action_count = count;
    button.macro_loop_count = loops;
    for (int i = 0; i < MacroActionLimit; ++i)
        button.macro_actions[i] = {std::uint8_t(4 + i), std::uint8_t(1 + i % 2), std::uint16_t(10 * i)};
}

TEST(ProfileImport, AppendsUniqueNameAndBringsMacrosAlong)
{
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
