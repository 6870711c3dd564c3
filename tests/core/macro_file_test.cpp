#include <gtest/gtest.h>

#include "core/macro/macro_file.h"
#include "support/test_files.h"

namespace {

QByteArray BytesOf(const MacroRecord& record)
{
    return QByteArray(reinterpret_cast<const char*>(&record), sizeof record);
}

TEST(MacroStepCount, LongDelaysTakeTwoSteps)
{
    MacroRecord macro{};
    macro.action_count = 3;
    macro.actions[0].delay_ms = 10;
    macro.actions[1].delay_ms = 1280;
    macro.actions[2].delay_ms = 1281;
    EXPECT_EQ(MacroStepCount(macro), 4);
    macro.action_count = 0;
    EXPECT_EQ(MacroStepCount(macro), 0);
    macro.action_count = 1000;  // damaged: only the 46 slots count
    EXPECT_EQ(MacroStepCount(macro), 47);
    macro.action_count = -5;
    EXPECT_EQ(MacroStepCount(macro), 0);
}

TEST(MacroFile, ExportIsTheStoredRecordAndImportGetsUniqueNames)
{
    TempDataFolder folder;
    MacroList macros;
    macros.push_back(CreateMacro(QStringLiteral("Burst")));
    macros[0]->action_count = 2;
    macros[0]->actions[1] = {0xF1, 2, 300};
    macros[0]->button_parameter = 0x01020304;
    const QString path = folder.file(QStringLiteral("burst.macro"));
    ASSERT_TRUE(WriteMacroFile(path, *macros[0]));
    EXPECT_EQ(ReadFileBytes(path), BytesOf(*macros[0]));

    for (const char* expected : {"Burst_1", "Burst_2"}) {
        QString error;
        auto record = ReadMacroFile(path, &error);
        ASSERT_TRUE(record) << error.toStdString();
        const std::size_t index = AppendImportedMacro(macros, std::move(record));
        EXPECT_EQ(MacroName(*macros[index]), QLatin1String(expected));
        EXPECT_EQ(BytesOf(*macros[index]).mid(48), BytesOf(*macros[0]).mid(48));  // all but the name as read
    }
}

TEST(MacroFile, NameDifferingOnlyInCaseGetsSuffix)
{
    MacroList macros;
    macros.push_back(CreateMacro(QStringLiteral("reload")));
    EXPECT_EQ(MacroName(*macros[AppendImportedMacro(macros, CreateMacro(QStringLiteral("RELOAD")))]),
              QStringLiteral("RELOAD_1"));
}

TEST(MacroFile, DamagedFilesAreRefused)
{
    TempDataFolder folder;
    QString error;
    const QString shortPath = folder.file(QStringLiteral("short.macro"));
    WriteFileBytes(shortPath, QByteArray(239, '\0'));
    EXPECT_FALSE(ReadMacroFile(shortPath, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("239")));

    for (std::int32_t count : {-1, 47, 0x7FFFFFFF}) {
        auto macro = CreateMacro(QStringLiteral("Bad"));
        macro->action_count = count;
        const QString path = folder.file(QStringLiteral("count.macro"));
        WriteFileBytes(path, BytesOf(*macro));
        EXPECT_FALSE(ReadMacroFile(path, &error)) << count;
        EXPECT_TRUE(error.contains(QStringLiteral("action count"))) << error.toStdString();
    }

    auto unterminated = CreateMacro(QString());
    std::fill(std::begin(unterminated->name), std::end(unterminated->name), u'x');
    const QString namePath = folder.file(QStringLiteral("name.macro"));
    WriteFileBytes(namePath, BytesOf(*unterminated));
    EXPECT_FALSE(ReadMacroFile(namePath, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("terminator")));
}

TEST(MacroFile, EmptyActionListImports)
{
    TempDataFolder folder;
    const QString path = folder.file(QStringLiteral("empty.macro"));
    WriteFileBytes(path, BytesOf(*CreateMacro(QStringLiteral("Empty"))));
    QString error;
    auto record = ReadMacroFile(path, &error);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->action_count, 0);
}

}  // namespace
