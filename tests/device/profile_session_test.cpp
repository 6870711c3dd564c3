// The session over its stores. Saves: the background writer puts in pro.data and macro.data exactly
// what the store functions write, and a load reads only after the saves asked for are on disk.
// Stores: one that could not be read is never handed to the writer; one changed beside the utility
// is read again rather than written over (also while an apply or a save is under way); both stores
// of an import are saved as one.
#include <gtest/gtest.h>

#include <atomic>

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <condition_variable>
#include <thread>

#include "core/profile/profile_import.h"
#include "core/storage/macro_store.h"
#include "core/storage/store_files.h"
#include "core/storage/store_pair.h"
#include "device/apply_profile.h"
#include "device/profile_session.h"
#include "support/test_files.h"

namespace {

using Changes = ProfileSession::StoreChanges;
using State = ProfileSession::State;

// Profile names, then the current index.
QStringList Names(const ProfileList& profiles, const StoreHeader& header)
{
    QStringList names;
    for (const auto& profile : profiles)
        names << ProfileName(*profile);
    return names << QString::number(header.current_profile_index);
}

// A session on a fresh folder (not yet loaded) whose change handler's news are kept.
class ProfileSessionTest : public ::testing::Test {
protected:
    void SetUp() override { session.SetChangeHandler([this](Changes c) { std::lock_guard lock(mutex); heard.push_back(c); }); }
    void TearDown() override { session.SetChangeHandler({}); }  // the watch thread may still be looking

    template <typename Function>
    auto Edit(Function&& function) { return session.Locked([&](State& state) { return function(state); }); }
    QStringList SessionNames() { return Edit([](State& s) { return Names(s.profiles, *s.header); }); }
    // The stores as another process reads them.
    QStringList StoredNames() { ProfileList p; StoreHeader h{}; return LoadProfileStore(p, h, folder.path()), Names(p, h); }
    std::size_t StoredMacros() { MacroList m; return LoadMacroStore(m, folder.path()), m.size(); }
    std::size_t Macros() { return Edit([](State& s) { return s.macros.size(); }); }
    int EditCurrent() { return Edit([](State& s) { return s.Current().brightness = 1 + s.Current().brightness % 3; }); }
    // The current profile is the applied snapshot and the next apply sends it whole.
    bool SnapshotFollowsCurrent()
    {
        return Edit([](State& s) { return s.fullSend && !std::memcmp(&s.Current(), s.appliedSnapshot.get(), sizeof(ProfileRecord)); });
    }
    QByteArray Stored(const char* store = "pro.data") { return ReadFileBytes(folder.storeFile(store)); }
    QByteArray SaveProfiles() { return session.RequestProfileSave(), session.FlushSaves(), Stored(); }
    QByteArray Reference()  // what SaveProfileStore makes of the session's state
    {
        TempDataFolder reference;
        Edit([&](State& s) { SaveProfileStore(s.profiles, *s.header, reference.path()); });
        return ReadFileBytes(reference.storeFile("pro.data"));
    }
    // What karvoctl's import does, from another process: both stores rewritten, the new profile current.
    void ImportBeside(const QString& name, bool withMacro = true)
    {
        ProfileList profiles;
        StoreHeader header{};
        MacroList macros;
        LoadProfileStore(profiles, header, folder.path()), LoadMacroStore(macros, folder.path());
        auto record = CreateProfile(name);
        record->buttons[4].function = withMacro ? 17 : record->buttons[4].function;
        header.current_profile_index = std::uint32_t(ImportProfileRecord(profiles, macros, std::move(record)).profileIndex);
        ASSERT_TRUE(SaveProfileAndMacroStores(profiles, header, macros, nullptr, folder.path()));
    }
    // What the handler heard, once `done` holds (the watch thread's work) or after a generous limit.
    std::vector<Changes> Heard(const std::function<bool()>& done = [] { return true; })
    {
        for (QDeadlineTimer deadline(20000); !done() && !deadline.hasExpired();)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return std::lock_guard(mutex), heard;
    }

    TempDataFolder folder;
    ProfileSession session{folder.path()};
    std::mutex mutex;
    std::vector<Changes> heard;
};
// Tests run both ways of a case.
class ProfileSessionBothWays : public ProfileSessionTest, public ::testing::WithParamInterface<bool> {};
INSTANTIATE_TEST_SUITE_P(Both, ProfileSessionBothWays, ::testing::Bool());

TEST_F(ProfileSessionTest, StoresAreWhatTheStoreFunctionsWriteAfterEditsAndALoadWaitsForTheSaves)
{
    session.Load();
    Edit([](State& s) {
        for (int i = 0; i < 40; ++i)  // more than one turn of the writer's copy
            AddDefaultProfile(s.profiles).polling_rate = std::uint8_t(i % 4);
        s.header->current_profile_index = 40, s.header->reserved[7] = 0x5A;
    });
    EXPECT_EQ(SaveProfiles().size(), 164884 + 41 * 32976);
    EXPECT_EQ(Stored(), Reference());
    for (int stage : {4, 5})  // as the mouse reports a new DPI stage: only the current record is copied again
        session.LockedCurrentProfile([stage](ProfileRecord& current) { current.current_stage = stage; });
    EXPECT_EQ(GetU32(SaveProfiles(), 164884 + 40 * 32976 + 2352), 5u);
    EXPECT_EQ(Stored(), Reference());
    Edit([](State& s) { s.profiles.erase(s.profiles.begin() + 3), s.header->current_profile_index = 7; });
    session.LockedCurrentProfile([](ProfileRecord& current) { current.light_effect = 2; });
    EXPECT_EQ(SaveProfiles().size(), 164884 + 40 * 32976);
    EXPECT_EQ(Stored(), Reference());

    // macro.data is the list as it stood when the save was asked for; a load waits for the saves.
    TempDataFolder reference;
    Edit([&](State& s) { AddDefaultMacro(s.macros, reference.path()), AddDefaultMacro(s.macros, reference.path()); });
    session.RequestMacroSave();
    Edit([](State& s) { s.macros.clear(), AddDefaultProfile(s.profiles); });  // after the request
    session.RequestProfileSave();
    session.Load();
    EXPECT_EQ(std::tuple(Stored("macro.data"), Stored("macro.data").size(), SessionNames().size(), Macros()),
              std::tuple(ReadFileBytes(reference.storeFile("macro.data")), 2 * 240, 42, 2u));
    {
        ProfileSession last(folder.path());  // the end writes what waits
        last.Load(), last.Locked([](State& s) { AddDefaultProfile(s.profiles); }), last.RequestProfileSave();
    }
    EXPECT_EQ(Stored().size(), 164884 + 42 * 32976);
}

// Before the stores are read (they are read off the window's thread) the mouse's events already
// find a current profile, and nothing the session holds then is written.
TEST_F(ProfileSessionTest, BeforeTheStoresAreReadThereIsACurrentProfileThatIsNeverWritten)
{
    session.HoldSavesUntilLoaded();
    EXPECT_NO_THROW(EditCurrent());
    session.RequestProfileSave(), session.RequestMacroSave(), session.FlushSaves();
    EXPECT_FALSE(QFileInfo::exists(folder.storeFile("pro.data")) || QFileInfo::exists(folder.storeFile("macro.data")));
    session.Load();
    EXPECT_EQ(SaveProfiles(), Reference());
}

// A folder in the place of pro.data, or a macro.data that links to itself.
TEST_P(ProfileSessionBothWays, AStoreThatCouldNotBeReadIsNeverHandedToTheWriter)
{
    const bool profiles = GetParam();
    const QString path = folder.storeFile(profiles ? "pro.data" : "macro.data");
    ASSERT_TRUE(QDir().mkpath(folder.path() + QStringLiteral("ms_1")));
    ASSERT_TRUE(profiles ? QDir().mkpath(path) : QFile::link(path, path));
    StoreLoadResult results[2];
    session.Load(&results[0], &results[1]);
    EXPECT_EQ(results[profiles ? 0 : 1].outcome, StoreLoadResult::Outcome::Unreadable);
    EXPECT_EQ(std::pair(session.ProfileStoreIsOurs(), session.MacroStoreIsOurs()), std::pair(!profiles, profiles));
    EXPECT_EQ(SessionNames(), (QStringList{"Profile1", "0"}));  // something to show, in memory only
    std::atomic<int> saved{0}, refused{0};  // each request hears whether it reached the disk
    const auto tell = [&](const QString& error) { ++(error.isEmpty() ? saved : refused); };
    Edit([&](State& s) {  // every kind of save asked for
        s.Current().brightness = 1;
        s.macros.push_back(CreateMacro(QStringLiteral("New")));
        session.RequestMacroSaveLocked(s, tell);
    });
    session.RequestProfileSave(tell);
    EXPECT_FALSE(session.RequestProfileAndMacroSave(tell));
    session.FlushSaves();
    EXPECT_EQ(std::pair(int(saved), int(refused)), std::pair(1, 2));
    session.RequestMacroSave(), session.FlushSaves();  // macro.data written: then a skip where ours
    // The other store is written once; the unreadable one is neither written, skipped nor failed.
    EXPECT_EQ(std::pair(session.Writer().WriteCount(), session.Writer().SkipCount()), std::pair(1, profiles ? 1 : 0));
    EXPECT_EQ(std::pair(session.TakeSaveFailures(), profiles ? QFileInfo(path).isDir() : QFileInfo(path).isSymLink()),
              std::pair(QStringList(), true));
}

// A store changed beside while an apply's reports are on their way, found by the writer before it
// saves or by the watch first: the file wins, and nothing is written.
TEST_P(ProfileSessionBothWays, AnApplyUnderWayNeverWritesOverANewerStore)
{
    session.Load();
    bool imported = false;
    ApplyProfile({session, [] { return false; },
                  [&](const Report&) {
                      if (!std::exchange(imported, true)) {
                          ImportBeside(QStringLiteral("Beside"), false);
                          if (GetParam())
                              session.CheckStores();  // as the watch would
                      }
                      return 1;
                  },
                  {}});
    session.FlushSaves();
    EXPECT_EQ(std::pair(StoredNames(), SessionNames()), std::pair(QStringList{"Profile1", "Beside", "1"}, StoredNames()));
    EXPECT_EQ(std::pair(SnapshotFollowsCurrent(), session.Writer().WriteCount()), std::pair(true, 0));
}

TEST_F(ProfileSessionTest, TheWatchNoticesEveryChangeBesideAlsoInAStoreFolderMadeLater)
{
    session.Load();  // makes the folder: removed again, the watch must wait for it
    ASSERT_TRUE(QFile::remove(folder.storeFile("pro.data")) && QDir(folder.path()).rmdir(QStringLiteral("ms_1")));
    session.WatchStores();
    for (const QStringList& names : {QStringList{"Profile1", "First", "1"}, QStringList{"Profile1", "First", "Second", "2"}}) {
        ImportBeside(names[names.size() - 2], names.size() == 3);  // the second replaces the file by a rename
        const std::vector<Changes> told = Heard([&] { return SessionNames() == names; });
        EXPECT_EQ(SessionNames(), names);
        EXPECT_TRUE(std::any_of(told.begin(), told.end(), [](const Changes& c) { return c.profiles; }));
    }
    MacroList macros;
    LoadMacroStore(macros, folder.path());
    macros.push_back(CreateMacro(QStringLiteral("Beside")));
    ASSERT_TRUE(SaveMacroStore(macros, folder.path()));
    EXPECT_EQ((Heard([this] { return Macros() == 2u; }), Macros()), 2u);
}

TEST_F(ProfileSessionTest, AStoreChangedWhileASaveWaitsIsReadAgainNotWrittenOver)
{
    session.Load();
    // The writer is held inside a write of macro.data, with a profile save waiting behind it.
    std::mutex gateMutex;
    std::condition_variable gate;
    int stage = 0;  // 1: the writer is inside; 2: it may go on
    session.Writer().SetWriteFunction([&](const QString& path, const QByteArray& bytes, QString*) {
        std::unique_lock lock(gateMutex);
        stage = std::max(stage, 1);
        gate.notify_all();
        gate.wait_for(lock, std::chrono::seconds(20), [&] { return stage == 2; });
        return WriteFileAtomically(path, {QByteArrayView(bytes)});
    });
    Edit([this](State& s) { s.macros.push_back(CreateMacro(QStringLiteral("Mine"))), session.RequestMacroSaveLocked(s); });
    {
        std::unique_lock lock(gateMutex);
        ASSERT_TRUE(gate.wait_for(lock, std::chrono::seconds(20), [&] { return stage == 1; }));
        EditCurrent(), session.RequestProfileSave();
        ImportBeside(QStringLiteral("Beside"), false);
        stage = 2, gate.notify_all();
    }
    session.FlushSaves();
    EXPECT_EQ(std::pair(StoredNames(), SessionNames()), std::pair(QStringList{"Profile1", "Beside", "1"}, StoredNames()));
    EXPECT_EQ(std::pair(SnapshotFollowsCurrent(), session.TakeSaveFailures()), std::pair(true, QStringList()));  // a reload is no failed save
    const std::vector<Changes> told = Heard();
    EXPECT_TRUE(told.size() == 1u && told[0].profiles);
    EXPECT_EQ(Macros(), StoredMacros());
    const int brightness = EditCurrent();  // the reloaded profiles are saved again like any others
    EXPECT_EQ(GetU32(SaveProfiles(), 164884 + 32976 + 2340), std::uint32_t(brightness));
}

TEST_F(ProfileSessionTest, AnImportSavesBothStoresAsOneAndAFailurePutsTheMacrosBackUntilTheNextSave)
{
    MacroList kept;
    ASSERT_TRUE((kept.push_back(CreateMacro(QStringLiteral("Kept"))), SaveMacroStore(kept, folder.path())));
    session.Load();
    const QByteArray macrosBefore = Stored("macro.data"), profilesBefore = Stored();
    QStringList order;
    bool failProfiles = true;
    session.Writer().SetWriteFunction([&](const QString& path, const QByteArray& bytes, QString* error) {
        order << QFileInfo(path).fileName();
        if (failProfiles && path.endsWith(QLatin1String("pro.data")))
            return *error = QStringLiteral("pro.data refused"), false;
        return WriteFileAtomically(path, {QByteArrayView(bytes)});
    });
    auto record = CreateProfile(QStringLiteral("Imported"));
    record->buttons[4].function = 17;  // a macro button: the import makes a macro
    ASSERT_EQ(Edit([&](State& s) { return ImportProfileRecord(s.profiles, s.macros, std::move(record)); }).macrosCreated, 1);
    ASSERT_TRUE(session.RequestProfileAndMacroSave());
    session.FlushSaves();
    EXPECT_EQ(order, (QStringList{"macro.data", "pro.data", "macro.data"}));  // macro.data first, then put back
    EXPECT_EQ(std::pair(Stored("macro.data"), Stored()), std::pair(macrosBefore, profilesBefore));
    EXPECT_EQ(session.TakeSaveFailures(), QStringList{"pro.data refused"});
    failProfiles = false;  // the next profile save brings the macros along; then nothing is left to write
    for (const QStringList& written : {QStringList{"macro.data", "pro.data"}, QStringList{}}) {
        order.clear();
        SaveProfiles();
        EXPECT_EQ(order, written);
        EXPECT_FALSE(session.CheckStores().Any());  // our own saves are not changes beside
    }
    EXPECT_EQ(std::pair(StoredNames(), StoredMacros()), std::pair(QStringList{"Profile1", "Imported", "0"}, std::size_t(2)));
    EXPECT_EQ((Edit([](State& s) { s.macros.push_back(CreateMacro(QStringLiteral("Alone"))); }), session.RequestMacroSave(), session.FlushSaves(),
               session.CheckStores().Any()), false);  // nor is a save of macros alone
    ASSERT_TRUE(QFile::remove(folder.storeFile("pro.data")));  // deleted beside: no news, written again from memory
    EXPECT_FALSE(session.CheckStores().Any());
    EXPECT_EQ((EditCurrent(), SaveProfiles(), StoredNames()), (QStringList{"Profile1", "Imported", "0"}));
    EXPECT_TRUE(Heard().empty());  // putting macro.data back is not a change beside us
}

}  // namespace
