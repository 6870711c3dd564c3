// The session over its stores. Saves: the background writer puts in pro.data and macro.data exactly
// what the store functions write, an apply that changed nothing leaves pro.data alone, and a load
// reads only after the saves asked for are on disk. Stores: one that could not be read is never
// handed to the writer; one changed beside the utility is read again rather than written over (also
// while an apply or a save is under way); both stores of an import are saved as one.
#include <gtest/gtest.h>

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
QStringList StoredNames(const TempDataFolder& folder)
{
    ProfileList profiles;
    StoreHeader header{};
    LoadProfileStore(profiles, header, folder.path());
    return Names(profiles, header);
}
QStringList SessionNames(ProfileSession& session)
{
    return session.Locked([](State& state) { return Names(state.profiles, *state.header); });
}
// The current profile is the applied snapshot and the next apply sends it whole.
bool SnapshotFollowsCurrent(ProfileSession& session)
{
    return session.Locked([](State& s) { return s.fullSend && std::memcmp(&s.Current(), s.appliedSnapshot.get(), sizeof(ProfileRecord)) == 0; });
}
// What SaveProfileStore makes of the session's state.
QByteArray ReferenceStore(ProfileSession& session)
{
    TempDataFolder reference;
    session.Locked([&](State& state) { SaveProfileStore(state.profiles, *state.header, reference.path()); });
    return ReadFileBytes(reference.storeFile("pro.data"));
}
QByteArray SaveProfiles(ProfileSession& session, const TempDataFolder& folder)
{
    session.RequestProfileSave();
    session.FlushSaves();
    return ReadFileBytes(folder.storeFile("pro.data"));
}
// What karvoctl's import does, from another process: both stores rewritten, the new profile current.
void ImportBeside(const TempDataFolder& folder, const QString& name, bool withMacro = true)
{
    ProfileList profiles;
    StoreHeader header{};
    MacroList macros;
    LoadProfileStore(profiles, header, folder.path());
    LoadMacroStore(macros, folder.path());
    auto record = CreateProfile(name);
    record->buttons[4].function = withMacro ? 17 : record->buttons[4].function;
    header.current_profile_index = std::uint32_t(ImportProfileRecord(profiles, macros, std::move(record)).profileIndex);
    ASSERT_TRUE(SaveProfileAndMacroStores(profiles, header, macros, nullptr, folder.path()));
}

TEST(ProfileSessionSaves, ProDataIsWhatTheStoreFunctionsWriteAfterEditsOfTheCurrentProfileAndOfTheList)
{
    TempDataFolder folder;
    ProfileSession session(folder.path());
    session.Load();
    session.Locked([](State& state) {
        for (int i = 0; i < 40; ++i)  // more than one turn of the writer's copy
            AddDefaultProfile(state.profiles).polling_rate = std::uint8_t(i % 4);
        state.header->current_profile_index = 40;
        state.header->reserved[7] = 0x5A;
    });
    const QByteArray first = SaveProfiles(session, folder);
    EXPECT_EQ(first.size(), 164884 + 41 * 32976);
    EXPECT_EQ(first, ReferenceStore(session));
    for (int stage : {4, 5})  // as the mouse reports a new DPI stage: only the current record is copied again
        session.LockedCurrentProfile([stage](ProfileRecord& current) { current.current_stage = stage; });
    const QByteArray afterStage = SaveProfiles(session, folder);
    EXPECT_EQ(GetU32(afterStage, 164884 + 40 * 32976 + 2352), 5u);
    EXPECT_EQ(afterStage, ReferenceStore(session));
    session.Locked([](State& state) {  // the list changes, then the mouse reports again
        state.profiles.erase(state.profiles.begin() + 3);
        state.header->current_profile_index = 7;
    });
    session.LockedCurrentProfile([](ProfileRecord& current) { current.light_effect = 2; });
    const QByteArray afterErase = SaveProfiles(session, folder);
    EXPECT_EQ(afterErase.size(), 164884 + 40 * 32976);
    EXPECT_EQ(afterErase, ReferenceStore(session));

    std::atomic<bool> done{false};
    std::thread window([&] {  // as the window edits while the writer copies: the file stays whole
        for (int i = 0; !done; ++i, std::this_thread::yield())
            session.Locked([i](State& state) { state.profiles[std::size_t(i % 40)]->move_mode = i % 2; });
    });
    for (int round = 0; round < 5; ++round)
        SaveProfiles(session, folder);
    done = true;
    window.join();
    EXPECT_EQ(SaveProfiles(session, folder), ReferenceStore(session));  // after the last edit: the file catches up
}

TEST(ProfileSessionSaves, MacroDataIsTheListAsItStoodWhenTheSaveWasAskedFor)
{
    TempDataFolder folder, reference;
    ProfileSession session(folder.path());
    session.Load();
    session.Locked([&](State& state) {
        for (int i = 0; i < 2; ++i)
            AddDefaultMacro(state.macros, reference.path());  // also saves the reference store
    });
    session.RequestMacroSave();
    session.Locked([](State& state) { state.macros.clear(); });  // after the request
    session.FlushSaves();
    EXPECT_EQ(ReadFileBytes(folder.storeFile("macro.data")), ReadFileBytes(reference.storeFile("macro.data")));
    EXPECT_EQ(ReadFileBytes(folder.storeFile("macro.data")).size(), 2 * 240);
}

TEST(ProfileSessionSaves, AnApplyThatChangedNothingLeavesProDataAlone)
{
    TempDataFolder folder;
    ProfileSession session(folder.path());
    session.Load();
    const auto apply = [&] {  // the writer's writes and skips so far
        EXPECT_TRUE(ApplyProfile({session, [] { return false; }, [](const Report&) { return 1; }, {}}));
        session.FlushSaves();
        return std::pair(session.Writer().WriteCount(), session.Writer().SkipCount());
    };
    EXPECT_EQ(apply(), std::pair(0, 1));  // the first full send: the store is as loaded
    EXPECT_EQ(apply(), std::pair(0, 2));
    session.Locked([](State& state) { state.Current().polling_rate = 3; });
    EXPECT_EQ(apply().first, 1);
    EXPECT_EQ(GetU32(ReadFileBytes(folder.storeFile("pro.data")), 164884 + 2356), 3u);
}

TEST(ProfileSessionSaves, ALoadReadsWhatWasAskedToBeSavedAndTheEndWritesWhatWaits)
{
    TempDataFolder folder;
    const auto addProfile = [](State& state) { AddDefaultProfile(state.profiles); };
    {
        ProfileSession session(folder.path());
        session.Load();
        session.Locked(addProfile);
        session.RequestProfileSave();
        session.Load();  // waits for the save first
        EXPECT_EQ(SessionNames(session).size(), 3);
        session.Locked(addProfile);
        session.RequestProfileSave();
    }
    EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data")).size(), 164884 + 3 * 32976);
}

TEST(ProfileSessionStores, AStoreThatCouldNotBeReadIsNeverHandedToTheWriter)
{
    for (const char* unreadable : {"pro.data", "macro.data"}) {  // a folder in its place, a link to itself
        SCOPED_TRACE(unreadable);
        TempDataFolder folder;
        ProfileSession session(folder.path());
        const bool profiles = unreadable == std::string_view("pro.data");
        const QString path = folder.storeFile(unreadable);
        ASSERT_TRUE(QDir().mkpath(folder.path() + QStringLiteral("ms_1")));
        ASSERT_TRUE(profiles ? QDir().mkpath(path) : QFile::link(path, path));
        StoreLoadResult results[2];
        session.Load(&results[0], &results[1]);
        EXPECT_EQ(results[profiles ? 0 : 1].outcome, StoreLoadResult::Outcome::Unreadable);
        EXPECT_EQ(std::pair(session.ProfileStoreIsOurs(), session.MacroStoreIsOurs()), std::pair(!profiles, profiles));
        EXPECT_EQ(SessionNames(session), (QStringList{"Profile1", "0"}));  // something to show, in memory only
        session.Locked([&](State& state) {  // every kind of save asked for
            state.Current().brightness = 1;
            state.macros.push_back(CreateMacro(QStringLiteral("New")));
            session.RequestMacroSaveLocked(state);
        });
        session.RequestProfileSave();
        EXPECT_FALSE(session.RequestProfileAndMacroSave());
        session.FlushSaves();
        session.RequestMacroSave();  // once macro.data is written, a skip where it is ours
        session.FlushSaves();
        // The other store is written once; the unreadable one is neither written, skipped nor failed.
        EXPECT_EQ(std::pair(session.Writer().WriteCount(), session.Writer().SkipCount()), std::pair(1, profiles ? 1 : 0));
        EXPECT_TRUE(session.TakeSaveFailures().isEmpty());
        EXPECT_TRUE(profiles ? QFileInfo(path).isDir() : QFileInfo(path).isSymLink());
    }
}

// A store changed beside while an apply's reports are on their way: found by the writer before it
// saves, or by the watch first; either way the file wins and nothing is written.
TEST(ProfileSessionStores, AnApplyUnderWayNeverWritesOverANewerStore)
{
    for (bool watchFirst : {false, true}) {
        SCOPED_TRACE(watchFirst);
        TempDataFolder folder;
        ProfileSession session(folder.path());
        session.Load();
        bool imported = false;
        ApplyProfile({session, [] { return false; },
                      [&](const Report&) {
                          if (!std::exchange(imported, true)) {
                              ImportBeside(folder, QStringLiteral("Beside"), false);
                              if (watchFirst)
                                  session.CheckStores();
                          }
                          return 1;
                      },
                      {}});
        session.FlushSaves();
        EXPECT_EQ(StoredNames(folder), (QStringList{"Profile1", "Beside", "1"}));
        EXPECT_EQ(SessionNames(session), StoredNames(folder));
        EXPECT_TRUE(SnapshotFollowsCurrent(session));
        EXPECT_EQ(session.Writer().WriteCount(), 0);
    }
}

// A store deleted beside is written again from memory; one that went out of reach is not written.
TEST(ProfileSessionStores, AStoreRemovedBesideIsWrittenAgainUnlessItWentOutOfReach)
{
    for (bool outOfReach : {false, true}) {
        SCOPED_TRACE(outOfReach);
        TempDataFolder folder;
        ProfileSession session(folder.path());
        session.Load();
        ASSERT_TRUE(QFile::remove(folder.storeFile("pro.data")));
        ASSERT_TRUE(!outOfReach || QDir().mkpath(folder.storeFile("pro.data")));
        const Changes changes = session.CheckStores();
        EXPECT_EQ(std::pair(changes.unreadable, changes.profiles), std::pair(outOfReach, false));
        session.Locked([](State& state) { state.Current().brightness = 3; });
        session.RequestProfileSave();
        session.FlushSaves();
        EXPECT_TRUE(session.TakeSaveFailures().isEmpty());
        EXPECT_EQ(QFileInfo(folder.storeFile("pro.data")).isDir(), outOfReach);
        EXPECT_EQ(outOfReach ? 3u : GetU32(ReadFileBytes(folder.storeFile("pro.data")), 164884 + 2340), 3u);
    }
}

// A session whose change handler's news are kept.
class ProfileSessionWatch : public ::testing::Test {
protected:
    void SetUp() override
    {
        session.SetChangeHandler([this](Changes changes) {
            std::lock_guard lock(mutex);
            heard.push_back(changes);
        });
    }
    void TearDown() override { session.SetChangeHandler({}); }  // the watch thread may still be looking

    // What the handler heard, once `done` holds (the watch thread's work) or after a generous limit.
    std::vector<Changes> Heard(const std::function<bool()>& done = [] { return true; })
    {
        for (QDeadlineTimer deadline(20000); !done() && !deadline.hasExpired();)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::lock_guard lock(mutex);
        return heard;
    }
    int EditCurrent()
    {
        return session.Locked([](State& state) { return state.Current().brightness = 1 + state.Current().brightness % 3; });
    }
    std::size_t Macros() { return session.Locked([](State& state) { return state.macros.size(); }); }

    TempDataFolder folder;
    ProfileSession session{folder.path()};
    std::mutex mutex;
    std::vector<Changes> heard;
};

TEST_F(ProfileSessionWatch, OwnSavesAreNotChangesBesideButAnImportIsAndSurvivesADpiPress)
{
    session.Load();
    EditCurrent();
    SaveProfiles(session, folder);
    EXPECT_FALSE(session.CheckStores().Any());
    session.Locked([this](State& state) {
        state.macros.push_back(CreateMacro(QStringLiteral("M")));
        session.RequestMacroSaveLocked(state);
    });
    session.FlushSaves();
    EXPECT_FALSE(session.CheckStores().Any());
    session.Locked([](State& state) { state.macros.push_back(CreateMacro(QStringLiteral("N"))); });
    EditCurrent();
    ASSERT_TRUE(session.RequestProfileAndMacroSave());
    session.FlushSaves();
    EXPECT_FALSE(session.CheckStores().Any());
    EXPECT_EQ(session.Writer().WriteCount(), 4);
    EXPECT_TRUE(Heard().empty());

    ImportBeside(folder, QStringLiteral("Beside"));
    for (int stage : {2, 4}) {  // the mouse's DPI button, stored: the first save finds the import and gives way
        session.LockedCurrentProfile([stage](ProfileRecord& current) { current.current_stage = stage; });
        const QByteArray saved = SaveProfiles(session, folder);
        EXPECT_EQ(StoredNames(folder), (QStringList{"Profile1", "Beside", "1"}));
        EXPECT_EQ(SessionNames(session), StoredNames(folder));
        const std::vector<Changes> told = Heard();
        ASSERT_EQ(told.size(), 1u);
        EXPECT_TRUE(told[0].profiles && told[0].macros);
        EXPECT_EQ(SnapshotFollowsCurrent(session), stage == 2);
        EXPECT_EQ(GetU32(saved, 164884 + 32976 + 2352), stage == 2 ? 1u : 4u);
    }
    EXPECT_EQ(Macros(), 3u);  // M, N and the one the import brought
}

TEST_F(ProfileSessionWatch, TheWatchNoticesEveryChangeBesideAlsoInAStoreFolderMadeLater)
{
    session.Load();  // makes the folder: removed again, the watch must wait for it
    ASSERT_TRUE(QFile::remove(folder.storeFile("pro.data")));
    ASSERT_TRUE(QDir(folder.path()).rmdir(QStringLiteral("ms_1")));
    session.WatchStores();
    const auto named = [this](QStringList expected) { return [this, expected] { return SessionNames(session) == expected; }; };
    ImportBeside(folder, QStringLiteral("First"));
    const std::vector<Changes> told = Heard(named({"Profile1", "First", "1"}));
    EXPECT_EQ(SessionNames(session), (QStringList{"Profile1", "First", "1"}));
    EXPECT_TRUE(std::any_of(told.begin(), told.end(), [](const Changes& c) { return c.profiles; }));
    ImportBeside(folder, QStringLiteral("Second"), false);  // replaced by a rename: the watch follows the new file
    Heard(named({"Profile1", "First", "Second", "2"}));
    EXPECT_EQ(SessionNames(session), (QStringList{"Profile1", "First", "Second", "2"}));
    MacroList macros;
    LoadMacroStore(macros, folder.path());
    macros.push_back(CreateMacro(QStringLiteral("Beside")));
    ASSERT_TRUE(SaveMacroStore(macros, folder.path()));
    Heard([this] { return Macros() == 2u; });
    EXPECT_EQ(Macros(), 2u);
}

TEST_F(ProfileSessionWatch, AStoreChangedWhileASaveWaitsIsReadAgainNotWrittenOver)
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
    session.Locked([this](State& state) {
        state.macros.push_back(CreateMacro(QStringLiteral("Mine")));
        session.RequestMacroSaveLocked(state);
    });
    {
        std::unique_lock lock(gateMutex);
        ASSERT_TRUE(gate.wait_for(lock, std::chrono::seconds(20), [&] { return stage == 1; }));
        EditCurrent();
        session.RequestProfileSave();
        ImportBeside(folder, QStringLiteral("Beside"), false);
        stage = 2;
        gate.notify_all();
    }
    session.FlushSaves();
    EXPECT_EQ(StoredNames(folder), (QStringList{"Profile1", "Beside", "1"}));
    EXPECT_EQ(SessionNames(session), StoredNames(folder));
    EXPECT_TRUE(SnapshotFollowsCurrent(session));
    EXPECT_TRUE(session.TakeSaveFailures().isEmpty());  // a reload is not a failed save
    const std::vector<Changes> told = Heard();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_TRUE(told[0].profiles);
    MacroList stored;
    LoadMacroStore(stored, folder.path());
    EXPECT_EQ(Macros(), stored.size());
    const int brightness = EditCurrent();  // the reloaded profiles are saved again like any others
    EXPECT_EQ(GetU32(SaveProfiles(session, folder), 164884 + 32976 + 2340), std::uint32_t(brightness));
}

TEST_F(ProfileSessionWatch, AnImportSavesBothStoresAsOneAndAFailurePutsTheMacrosBackUntilTheNextSave)
{
    MacroList kept;
    kept.push_back(CreateMacro(QStringLiteral("Kept")));
    ASSERT_TRUE(SaveMacroStore(kept, folder.path()));
    session.Load();
    const QByteArray macrosBefore = ReadFileBytes(folder.storeFile("macro.data"));
    const QByteArray profilesBefore = ReadFileBytes(folder.storeFile("pro.data"));
    QStringList order;
    bool failProfiles = true;
    session.Writer().SetWriteFunction([&](const QString& path, const QByteArray& bytes, QString* error) {
        order << QFileInfo(path).fileName();
        if (failProfiles && path.endsWith(QLatin1String("pro.data")))
            return *error = QStringLiteral("pro.data refused"), false;
        return WriteFileAtomically(path, {QByteArrayView(bytes)});
    });
    auto record = CreateProfile(QStringLiteral("Imported"));
    record->buttons[4].function = 17;
    ASSERT_EQ(session.Locked([&](State& s) { return ImportProfileRecord(s.profiles, s.macros, std::move(record)); }).macrosCreated, 1);
    ASSERT_TRUE(session.RequestProfileAndMacroSave());
    session.FlushSaves();
    EXPECT_EQ(order, (QStringList{"macro.data", "pro.data", "macro.data"}));  // macro.data first, then put back
    EXPECT_EQ(ReadFileBytes(folder.storeFile("macro.data")), macrosBefore);
    EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data")), profilesBefore);
    EXPECT_EQ(session.TakeSaveFailures(), QStringList{"pro.data refused"});

    failProfiles = false;  // the next profile save brings the macros along; then nothing is left to write
    for (const QStringList& written : {QStringList{"macro.data", "pro.data"}, QStringList{}}) {
        order.clear();
        SaveProfiles(session, folder);
        EXPECT_EQ(order, written);
    }
    EXPECT_EQ(StoredNames(folder), (QStringList{"Profile1", "Imported", "0"}));
    MacroList stored;
    LoadMacroStore(stored, folder.path());
    EXPECT_EQ(stored.size(), 2u);
    EXPECT_TRUE(Heard().empty());  // putting macro.data back is not a change beside us
}

}  // namespace
