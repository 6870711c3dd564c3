// The session against its stores: stores it could not read are never handed to the writer, stores
// changed beside the utility are read again rather than written over (also when the change comes
// while a save waits in the writer), and both stores of an import are saved as one.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "core/profile/profile_import.h"
#include "core/storage/macro_store.h"
#include "core/storage/store_files.h"
#include "core/storage/store_pair.h"
#include "device/apply_profile.h"
#include "device/device_links.h"
#include "device/profile_session.h"
#include "fakes/fake_device.h"
#include "support/test_files.h"

namespace {

using Changes = ProfileSession::StoreChanges;

// What karvoctl's import does, from another process's point of view: both stores rewritten, the
// new profile current.
void ImportBeside(const TempDataFolder& folder, const QString& name, bool withMacro = true)
{
    ProfileList profiles;
    auto header = std::make_unique<StoreHeader>();
    MacroList macros;
    LoadProfileStore(profiles, *header, folder.path());
    LoadMacroStore(macros, folder.path());
    auto record = CreateProfile(name);
    if (withMacro)
        record->buttons[4].function = 17;
    header->current_profile_index = std::uint32_t(ImportProfileRecord(profiles, macros, std::move(record)).profileIndex);
    QString error;
    ASSERT_TRUE(SaveProfileAndMacroStores(profiles, *header, macros, &error, folder.path())) << error.toStdString();
}

QStringList StoredNames(const TempDataFolder& folder)
{
    ProfileList profiles;
    auto header = std::make_unique<StoreHeader>();
    LoadProfileStore(profiles, *header, folder.path());
    QStringList names;
    for (const auto& profile : profiles)
        names << ProfileName(*profile);
    names << QString::number(header->current_profile_index);
    return names;
}

class ProfileSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        session.SetChangeHandler([this](Changes changes) {
            std::lock_guard lock(mutex);
            heard.push_back(changes);
            wake.notify_all();
        });
    }

    // The watch thread may still be looking; it must not reach what the fixture tears down first.
    void TearDown() override { session.SetChangeHandler({}); }

    QStringList SessionNames()
    {
        return session.Locked([](ProfileSession::State& state) {
            QStringList names;
            for (const auto& profile : state.profiles)
                names << ProfileName(*profile);
            names << QString::number(state.header->current_profile_index);
            return names;
        });
    }

    bool SnapshotFollowsCurrent()
    {
        return session.Locked([](ProfileSession::State& state) {
            return state.fullSend && std::memcmp(&state.Current(), state.appliedSnapshot.get(), sizeof(ProfileRecord)) == 0;
        });
    }

    // Waits for the watch thread's news, as long as it takes up to a generous limit.
    bool WaitUntil(const std::function<bool(const std::vector<Changes>&)>& done)
    {
        std::unique_lock lock(mutex);
        return wake.wait_for(lock, std::chrono::seconds(20), [&] { return done(heard); });
    }

    // A save asked for and carried out by the writer.
    void SaveProfiles()
    {
        session.RequestProfileSave();
        session.FlushSaves();
    }

    std::size_t HeardCount()
    {
        std::lock_guard lock(mutex);
        return heard.size();
    }

    TempDataFolder folder;
    ProfileSession session{folder.path()};
    FakeClock clock;
    FakeLinkHost host;
    DeviceLinks links{host, session, clock};

    std::mutex mutex;
    std::condition_variable wake;
    std::vector<Changes> heard;
};

TEST_F(ProfileSessionTest, UnreadableProfileStoreIsNeverWritten)
{
    ASSERT_TRUE(QDir().mkpath(folder.storeFile("pro.data")));
    StoreLoadResult result;
    session.Load(&result);
    EXPECT_EQ(result.outcome, StoreLoadResult::Outcome::Unreadable);
    EXPECT_FALSE(session.ProfileStoreIsOurs());
    EXPECT_EQ(SessionNames(), (QStringList{"Profile1", "0"}));  // something to show, in memory only

    links.HandleDeviceEvent(0x1000, 3);
    links.HandleDeviceEvent(0x8000, 1);
    SaveProfiles();
    EXPECT_FALSE(session.RequestProfileAndMacroSave());
    session.FlushSaves();
    // Never handed to the writer: nothing written, skipped or failed.
    EXPECT_EQ(session.Writer().WriteCount(), 0);
    EXPECT_EQ(session.Writer().SkipCount(), 0);
    EXPECT_TRUE(session.TakeSaveFailures().isEmpty());
    EXPECT_TRUE(QFileInfo(folder.storeFile("pro.data")).isDir());
    EXPECT_EQ(QDir(folder.path() + QStringLiteral("ms_1")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{"pro.data"});
}

TEST_F(ProfileSessionTest, UnreadableMacroStoreIsNeverWritten)
{
    QDir().mkpath(folder.path() + QStringLiteral("ms_1"));
    ASSERT_TRUE(QFile::link(folder.storeFile("macro.data"), folder.storeFile("macro.data")));  // a loop
    StoreLoadResult macros;
    session.Load(nullptr, &macros);
    EXPECT_EQ(macros.outcome, StoreLoadResult::Outcome::Unreadable);
    EXPECT_FALSE(session.MacroStoreIsOurs());
    EXPECT_TRUE(session.ProfileStoreIsOurs());
    session.Locked([this](ProfileSession::State& state) {
        state.macros.push_back(CreateMacro(QStringLiteral("New")));
        session.RequestMacroSaveLocked(state);
    });
    session.RequestMacroSave();
    EXPECT_FALSE(session.RequestProfileAndMacroSave());
    session.FlushSaves();
    EXPECT_EQ(session.Writer().WriteCount(), 0);
    EXPECT_EQ(session.Writer().SkipCount(), 0);
    EXPECT_TRUE(QFileInfo(folder.storeFile("macro.data")).isSymLink());

    // pro.data is ours.
    session.Locked([](ProfileSession::State& state) { state.Current().brightness = 1 + state.Current().brightness % 3; });
    SaveProfiles();
    EXPECT_EQ(session.Writer().WriteCount(), 1);
    EXPECT_TRUE(session.TakeSaveFailures().isEmpty());
}

TEST_F(ProfileSessionTest, ProfileImportedBesideSurvivesADpiPress)
{
    session.Load();
    ImportBeside(folder, QStringLiteral("Beside"));

    links.HandleDeviceEvent(0x1000, 3);  // the mouse's DPI button
    session.FlushSaves();

    EXPECT_EQ(StoredNames(folder), (QStringList{"Profile1", "Beside", "1"}));
    EXPECT_EQ(SessionNames(), (QStringList{"Profile1", "Beside", "1"}));
    EXPECT_EQ(session.Locked([](ProfileSession::State& state) { return state.macros.size(); }), 1u);
    EXPECT_TRUE(SnapshotFollowsCurrent());
    ASSERT_EQ(HeardCount(), 1u);
    EXPECT_TRUE(heard[0].profiles);
    EXPECT_TRUE(heard[0].macros);

    // From now on the session's saves are ordinary again.
    links.HandleDeviceEvent(0x1000, 2);
    session.FlushSaves();
    ProfileList stored;
    auto header = std::make_unique<StoreHeader>();
    LoadProfileStore(stored, *header, folder.path());
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[1]->current_stage, 1);
    EXPECT_EQ(HeardCount(), 1u);
}

TEST_F(ProfileSessionTest, ApplyInFlightDoesNotWriteOverANewerStore)
{
    FakeCable().Reset();
    FakeReceiver().Reset();
    FakeReceiver().openResult = 0;
    session.Load();
    links.SetCableDriver(FakeCable().Functions());
    links.SetReceiverDriver(FakeReceiver().Functions());
    KarvoPostTarget target{nullptr, nullptr};
    links.Open(&target, {1327, 1328}, {1325, 1326});

    bool importedDuringSend = false;
    ApplyProfile(ApplyContext{session, [] { return false; },
                              [&](const Report& report) {
                                  if (!importedDuringSend) {
                                      importedDuringSend = true;
                                      ImportBeside(folder, QStringLiteral("Beside"), false);
                                  }
                                  return links.SendReport(report);
                              },
                              {}});
    session.FlushSaves();  // the writer finds the newer file before it writes
    ASSERT_TRUE(importedDuringSend);
    EXPECT_EQ(StoredNames(folder), (QStringList{"Profile1", "Beside", "1"}));
    EXPECT_EQ(SessionNames(), (QStringList{"Profile1", "Beside", "1"}));
    EXPECT_TRUE(SnapshotFollowsCurrent());  // the next apply sends the file's current profile whole
}

TEST_F(ProfileSessionTest, ReloadDuringAnApplyLeavesTheSnapshotToTheFile)
{
    FakeCable().Reset();
    FakeReceiver().Reset();
    FakeReceiver().openResult = 0;
    session.Load();
    links.SetCableDriver(FakeCable().Functions());
    links.SetReceiverDriver(FakeReceiver().Functions());
    KarvoPostTarget target{nullptr, nullptr};
    links.Open(&target, {1327, 1328}, {1325, 1326});

    bool done = false;
    ApplyProfile(ApplyContext{session, [] { return false; },
                              [&](const Report& report) {
                                  if (!done) {
                                      done = true;
                                      ImportBeside(folder, QStringLiteral("Beside"), false);
                                      session.CheckStores();  // as the watch would
                                  }
                                  return links.SendReport(report);
                              },
                              {}});
    session.FlushSaves();
    EXPECT_EQ(StoredNames(folder), (QStringList{"Profile1", "Beside", "1"}));
    EXPECT_TRUE(SnapshotFollowsCurrent());
    EXPECT_EQ(session.Writer().WriteCount(), 0);  // nothing was even asked for
}

TEST_F(ProfileSessionTest, OwnSavesAreNotChangesOnDisk)
{
    session.Load();
    for (int i = 0; i < 3; ++i) {
        session.Locked([](ProfileSession::State& state) { state.Current().brightness = 1 + state.Current().brightness % 3; });
        SaveProfiles();
        EXPECT_FALSE(session.CheckStores().Any());
    }
    session.Locked([this](ProfileSession::State& state) {
        state.macros.push_back(CreateMacro(QStringLiteral("M")));
        session.RequestMacroSaveLocked(state);
    });
    session.FlushSaves();
    EXPECT_FALSE(session.CheckStores().Any());
    session.Locked([](ProfileSession::State& state) { state.macros.push_back(CreateMacro(QStringLiteral("N"))); });
    ASSERT_TRUE(session.RequestProfileAndMacroSave());
    session.FlushSaves();
    EXPECT_FALSE(session.CheckStores().Any());
    EXPECT_EQ(session.Writer().WriteCount(), 5);
    EXPECT_EQ(HeardCount(), 0u);
}

TEST_F(ProfileSessionTest, StoreRemovedBesideIsWrittenAgainFromMemory)
{
    session.Load();
    ASSERT_TRUE(QFile::remove(folder.storeFile("pro.data")));
    EXPECT_FALSE(session.CheckStores().Any());
    SaveProfiles();  // the same contents as last written, yet the file is gone
    EXPECT_EQ(StoredNames(folder), (QStringList{"Profile1", "0"}));
}

TEST_F(ProfileSessionTest, StoreThatGoesOutOfReachIsNoLongerWritten)
{
    session.Load();
    ASSERT_TRUE(QFile::remove(folder.storeFile("pro.data")));
    ASSERT_TRUE(QDir().mkpath(folder.storeFile("pro.data")));
    const Changes changes = session.CheckStores();
    EXPECT_TRUE(changes.unreadable);
    session.Locked([](ProfileSession::State& state) { state.Current().brightness = 1 + state.Current().brightness % 3; });
    SaveProfiles();
    EXPECT_TRUE(session.TakeSaveFailures().isEmpty());
    EXPECT_TRUE(QFileInfo(folder.storeFile("pro.data")).isDir());
}

TEST_F(ProfileSessionTest, WatchNoticesEveryChangeBeside)
{
    session.Load();
    session.WatchStores();

    ImportBeside(folder, QStringLiteral("First"));
    ASSERT_TRUE(WaitUntil([this](const std::vector<Changes>&) {
        return SessionNames() == QStringList{"Profile1", "First", "1"};
    }));
    ASSERT_TRUE(WaitUntil([](const std::vector<Changes>& all) {
        return std::any_of(all.begin(), all.end(), [](const Changes& c) { return c.profiles; });
    }));

    // The store was replaced by a rename: the watch follows the new file.
    ImportBeside(folder, QStringLiteral("Second"), false);
    EXPECT_TRUE(WaitUntil([this](const std::vector<Changes>&) {
        return SessionNames() == QStringList{"Profile1", "First", "Second", "2"};
    }));

    // A macro store written beside.
    MacroList macros;
    LoadMacroStore(macros, folder.path());
    macros.push_back(CreateMacro(QStringLiteral("Beside")));
    ASSERT_TRUE(SaveMacroStore(macros, folder.path()));
    EXPECT_TRUE(WaitUntil([this](const std::vector<Changes>&) {
        return session.Locked([](ProfileSession::State& state) { return state.macros.size(); }) == 2u;
    }));
}

TEST_F(ProfileSessionTest, WatchPicksUpAStoreFolderMadeLater)
{
    QDir().mkpath(folder.path());
    session.Load();  // writes pro.data: the folder exists now
    ASSERT_TRUE(QFile::remove(folder.storeFile("pro.data")));
    ASSERT_TRUE(QDir(folder.path()).rmdir(QStringLiteral("ms_1")));
    session.WatchStores();
    ImportBeside(folder, QStringLiteral("Late"), false);
    EXPECT_TRUE(WaitUntil([this](const std::vector<Changes>&) {
        return SessionNames() == QStringList{"Profile1", "Late", "1"};
    }));
}

TEST_F(ProfileSessionTest, StoreChangedWhileASaveWaitsIsReadAgainNotWrittenOver)
{
    session.Load();
    // The writer is held inside a write of macro.data, with a profile save waiting behind it.
    std::mutex gateMutex;
    std::condition_variable gateChanged;
    bool inside = false;
    bool open = false;
    session.Writer().SetWriteFunction([&](const QString& path, const QByteArray& bytes, QString* error) {
        {
            std::unique_lock lock(gateMutex);
            inside = true;
            gateChanged.notify_all();
            gateChanged.wait(lock, [&] { return open; });
        }
        if (!WriteFileAtomically(path, {QByteArrayView(bytes)})) {
            *error = path;
            return false;
        }
        return true;
    });
    session.Locked([this](ProfileSession::State& state) {
        state.macros.push_back(CreateMacro(QStringLiteral("Mine")));
        session.RequestMacroSaveLocked(state);
    });
    {
        std::unique_lock lock(gateMutex);
        gateChanged.wait(lock, [&] { return inside; });
    }
    session.Locked([](ProfileSession::State& state) { state.Current().brightness = 1 + state.Current().brightness % 3; });
    session.RequestProfileSave();
    ImportBeside(folder, QStringLiteral("Beside"), false);
    {
        std::lock_guard lock(gateMutex);
        open = true;
    }
    gateChanged.notify_all();
    session.FlushSaves();

    EXPECT_EQ(StoredNames(folder), (QStringList{"Profile1", "Beside", "1"}));
    EXPECT_EQ(SessionNames(), (QStringList{"Profile1", "Beside", "1"}));
    EXPECT_TRUE(SnapshotFollowsCurrent());
    EXPECT_TRUE(session.TakeSaveFailures().isEmpty());  // a reload is not a failed save
    ASSERT_EQ(HeardCount(), 1u);
    EXPECT_TRUE(heard[0].profiles);
    MacroList storedMacros;
    LoadMacroStore(storedMacros, folder.path());
    EXPECT_EQ(session.Locked([](ProfileSession::State& state) { return state.macros.size(); }), storedMacros.size());

    // The reloaded profiles are saved again like any others.
    const auto brightness = session.Locked([](ProfileSession::State& state) {
        return state.Current().brightness = 1 + state.Current().brightness % 3;
    });
    SaveProfiles();
    ProfileList stored;
    auto header = std::make_unique<StoreHeader>();
    LoadProfileStore(stored, *header, folder.path());
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[1]->brightness, brightness);
}

TEST_F(ProfileSessionTest, ImportSavesBothStoresAsOneAndAFailurePutsMacrosBack)
{
    {
        MacroList macros;
        macros.push_back(CreateMacro(QStringLiteral("Kept")));
        ASSERT_TRUE(SaveMacroStore(macros, folder.path()));
    }
    session.Load();
    const QByteArray macrosBefore = ReadFileBytes(folder.storeFile("macro.data"));
    const QByteArray profilesBefore = ReadFileBytes(folder.storeFile("pro.data"));
    QStringList order;
    bool failProfiles = true;
    session.Writer().SetWriteFunction([&](const QString& path, const QByteArray& bytes, QString* error) {
        order << QFileInfo(path).fileName();
        if (failProfiles && path.endsWith(QLatin1String("pro.data"))) {
            *error = QStringLiteral("pro.data refused");
            return false;
        }
        return WriteFileAtomically(path, {QByteArrayView(bytes)});
    });

    auto record = CreateProfile(QStringLiteral("Imported"));
    record->buttons[4].function = 17;
    const ProfileImport imported = session.Locked([&](ProfileSession::State& state) {
        return ImportProfileRecord(state.profiles, state.macros, std::move(record));
    });
    ASSERT_EQ(imported.macrosCreated, 1);
    ASSERT_TRUE(session.RequestProfileAndMacroSave());
    session.FlushSaves();
    // macro.data first, pro.data refused, macro.data put back.
    EXPECT_EQ(order, (QStringList{"macro.data", "pro.data", "macro.data"}));
    EXPECT_EQ(ReadFileBytes(folder.storeFile("macro.data")), macrosBefore);
    EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data")), profilesBefore);
    EXPECT_EQ(session.TakeSaveFailures(), QStringList{"pro.data refused"});
    EXPECT_EQ(HeardCount(), 0u);  // putting macro.data back is not a change beside us

    // The next profile save brings the macros along.
    failProfiles = false;
    order.clear();
    SaveProfiles();
    EXPECT_EQ(order, (QStringList{"macro.data", "pro.data"}));
    EXPECT_EQ(StoredNames(folder), (QStringList{"Profile1", "Imported", "0"}));
    MacroList stored;
    LoadMacroStore(stored, folder.path());
    EXPECT_EQ(stored.size(), 2u);
    order.clear();
    SaveProfiles();
    EXPECT_TRUE(order.isEmpty());  // unchanged: skipped
    EXPECT_EQ(HeardCount(), 0u);
}

}  // namespace
