// The session's saves: what the background writer puts in pro.data and macro.data is exactly what
// the store functions would write, an apply that changed nothing leaves pro.data alone, and the
// files are read only after the saves asked for are on disk.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/storage/macro_store.h"
#include "core/storage/profile_store.h"
#include "device/apply_profile.h"
#include "device/profile_session.h"
#include "support/test_files.h"

namespace {

void AddProfiles(ProfileSession& session, int count)
{
    session.Locked([count](ProfileSession::State& state) {
        for (int i = 0; i < count; ++i) {
            ProfileRecord& profile = AddDefaultProfile(state.profiles);
            profile.polling_rate = std::uint8_t(i % 4);
        }
        state.header->current_profile_index = std::uint32_t(state.profiles.size() - 1);
        state.header->reserved[7] = 0x5A;
    });
}

TEST(ProfileSessionSaves, ProStoreMatchesTheStoreFunctionsByteForByte)
{
    TempDataFolder folder;
    TempDataFolder reference;
    ProfileSession session(folder.path());
    session.Load();
    AddProfiles(session, 40);  // more than one turn of the writer's copy
    session.RequestProfileSave();
    session.FlushSaves();
    session.Locked([&](ProfileSession::State& state) {
        ASSERT_TRUE(SaveProfileStore(state.profiles, *state.header, reference.path()));
    });
    const QByteArray written = ReadFileBytes(folder.storeFile("pro.data"));
    EXPECT_EQ(written.size(), 164884 + 41 * 32976);
    EXPECT_EQ(written, ReadFileBytes(reference.storeFile("pro.data")));
}

// What SaveProfileStore makes of the session's state, for comparison.
QByteArray ReferenceStore(ProfileSession& session)
{
    TempDataFolder reference;
    session.Locked([&](ProfileSession::State& state) { SaveProfileStore(state.profiles, *state.header, reference.path()); });
    return ReadFileBytes(reference.storeFile("pro.data"));
}

TEST(ProfileSessionSaves, ChangesToTheCurrentProfileAloneAndToTheListBothReachTheFile)
{
    TempDataFolder folder;
    ProfileSession session(folder.path());
    session.Load();
    AddProfiles(session, 30);
    session.RequestProfileSave();
    session.FlushSaves();

    for (int stage : {4, 5}) {  // as the mouse reports a new DPI stage
        session.LockedCurrentProfile([stage](ProfileRecord& current) { current.current_stage = stage; });
        session.RequestProfileSave();
    }
    session.FlushSaves();
    const QByteArray afterStage = ReadFileBytes(folder.storeFile("pro.data"));
    EXPECT_EQ(GetU32(afterStage, 164884 + 30 * 32976 + 2352), 5u);
    EXPECT_EQ(afterStage, ReferenceStore(session));

    // The list changes (a profile goes, another is selected), then the mouse reports again.
    session.Locked([](ProfileSession::State& state) {
        state.profiles.erase(state.profiles.begin() + 3);
        state.header->current_profile_index = 7;
    });
    session.LockedCurrentProfile([](ProfileRecord& current) { current.light_effect = 2; });
    session.RequestProfileSave();
    session.FlushSaves();
    const QByteArray afterErase = ReadFileBytes(folder.storeFile("pro.data"));
    EXPECT_EQ(afterErase.size(), 164884 + 30 * 32976);
    EXPECT_EQ(afterErase, ReferenceStore(session));
}

TEST(ProfileSessionSaves, ALockedUseOfTheListsWhileTheyAreCopiedLeavesTheFileWhole)
{
    TempDataFolder folder;
    ProfileSession session(folder.path());
    session.Load();
    AddProfiles(session, 60);
    std::atomic<bool> done{false};
    std::thread window([&] {  // as the window reads and edits while the writer copies
        for (int i = 0; !done; ++i) {
            session.Locked([i](ProfileSession::State& state) { state.profiles[std::size_t(i % 61)]->move_mode = i % 2; });
            std::this_thread::yield();
        }
    });
    for (int round = 0; round < 5; ++round) {
        session.RequestProfileSave();
        session.FlushSaves();
    }
    done = true;
    window.join();
    session.RequestProfileSave();  // after the last edit: the file catches up
    session.FlushSaves();
    EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data")), ReferenceStore(session));
}

TEST(ProfileSessionSaves, MacroStoreIsTheListAsItStoodWhenAskedFor)
{
    TempDataFolder folder;
    TempDataFolder reference;
    ProfileSession session(folder.path());
    session.Load();
    session.Locked([&](ProfileSession::State& state) {
        AddDefaultMacro(state.macros, reference.path());  // also saves the reference store
        AddDefaultMacro(state.macros, reference.path());
    });
    session.RequestMacroSave();
    session.Locked([](ProfileSession::State& state) { state.macros.clear(); });  // after the request
    session.FlushSaves();
    EXPECT_EQ(ReadFileBytes(folder.storeFile("macro.data")), ReadFileBytes(reference.storeFile("macro.data")));
    EXPECT_EQ(ReadFileBytes(folder.storeFile("macro.data")).size(), 2 * 240);
}

TEST(ProfileSessionSaves, AnApplyThatChangedNothingLeavesProDataAlone)
{
    TempDataFolder folder;
    ProfileSession session(folder.path());
    session.Load();
    const ApplyContext apply{session, [] { return false; }, [](const Report&) { return 1; }, {}};
    ASSERT_TRUE(ApplyProfile(apply));  // the first full send: the store is as loaded
    session.FlushSaves();
    EXPECT_EQ(session.Writer().WriteCount(), 0);
    ASSERT_TRUE(ApplyProfile(apply));
    session.FlushSaves();
    EXPECT_EQ(session.Writer().WriteCount(), 0);
    EXPECT_EQ(session.Writer().SkipCount(), 2);

    session.Locked([](ProfileSession::State& state) { state.Current().polling_rate = 3; });
    ASSERT_TRUE(ApplyProfile(apply));
    session.FlushSaves();
    EXPECT_EQ(session.Writer().WriteCount(), 1);
    EXPECT_EQ(GetU32(ReadFileBytes(folder.storeFile("pro.data")), 164884 + 2356), 3u);
}

TEST(ProfileSessionSaves, LoadReadsWhatWasAskedToBeSaved)
{
    TempDataFolder folder;
    ProfileSession session(folder.path());
    session.Load();
    AddProfiles(session, 2);
    session.RequestProfileSave();
    session.Load();  // waits for the save first
    EXPECT_EQ(session.Locked([](ProfileSession::State& state) { return state.profiles.size(); }), 3u);
}

TEST(ProfileSessionSaves, SavesWaitingAtTheEndAreWritten)
{
    TempDataFolder folder;
    {
        ProfileSession session(folder.path());
        session.Load();
        AddProfiles(session, 1);
        session.RequestProfileSave();
    }
    EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data")).size(), 164884 + 2 * 32976);
}

}  // namespace
