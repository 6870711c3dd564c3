#include <gtest/gtest.h>

#include <QFileInfo>

#include "core/storage/macro_store.h"
#include "support/test_files.h"

namespace {

QByteArray MacroBytes(const MacroRecord& record)
{
    return QByteArray(reinterpret_cast<const char*>(&record), sizeof record);
}

TEST(MacroStore, MissingStoreGivesEmptyListAndCreatesNothing)
{
    TempDataFolder folder;
    MacroList macros;
    const StoreLoadResult result = LoadMacroStore(macros, folder.path());
    EXPECT_EQ(result.outcome, StoreLoadResult::Outcome::Missing);
    EXPECT_TRUE(macros.empty());
    EXPECT_FALSE(QFileInfo::exists(folder.storeFile("macro.data")));
}

TEST(MacroStore, AddDefaultMacroSavesAtOnceAndRoundTrips)
{
    TempDataFolder folder;
    MacroList macros;
    MacroRecord& first = AddDefaultMacro(macros, folder.path());
    first.action_count = 2;
    first.actions[0] = {4, 1, 50};
    first.button_parameter = 9;
    AddDefaultMacro(macros, folder.path());
    EXPECT_EQ(MacroName(*macros[1]), QStringLiteral("Macro2"));

    const QByteArray onDisk = ReadFileBytes(folder.storeFile("macro.data"));
    ASSERT_EQ(onDisk.size(), 480);
    EXPECT_EQ(onDisk.left(240), MacroBytes(*macros[0]));

    MacroList loaded;
    EXPECT_EQ(LoadMacroStore(loaded, folder.path()).outcome, StoreLoadResult::Outcome::Loaded);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(MacroBytes(*loaded[0]), MacroBytes(*macros[0]));
}

TEST(MacroStore, SavingAnEmptyListTruncatesTheStore)
{
    TempDataFolder folder;
    MacroList macros;
    AddDefaultMacro(macros, folder.path());
    macros.clear();
    ASSERT_TRUE(SaveMacroStore(macros, folder.path()));
    EXPECT_EQ(QFileInfo(folder.storeFile("macro.data")).size(), 0);
}

TEST(MacroStore, TrailingPartialRecordIsDroppedAndOriginalKept)
{
    TempDataFolder folder;
    auto macro = CreateMacro(QStringLiteral("Keep"));
    const QByteArray original = MacroBytes(*macro) + QByteArray(100, 'z');
    WriteFileBytes(folder.storeFile("macro.data"), original);

    MacroList macros;
    const StoreLoadResult result = LoadMacroStore(macros, folder.path());
    EXPECT_EQ(result.outcome, StoreLoadResult::Outcome::Repaired);
    ASSERT_EQ(macros.size(), 1u);
    EXPECT_EQ(MacroName(*macros[0]), QStringLiteral("Keep"));
    EXPECT_EQ(ReadFileBytes(folder.storeFile("macro.data.damaged")), original);
    EXPECT_EQ(ReadFileBytes(folder.storeFile("macro.data")), MacroBytes(*macro));
}

}  // namespace
