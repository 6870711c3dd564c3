#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <sys/resource.h>
#include <thread>

#include "core/storage/macro_store.h"
#include "core/storage/profile_store.h"
#include "core/storage/store_pair.h"
#include "support/test_files.h"

namespace {

constexpr int kHeader = 164884;
constexpr int kRecord = 32976;

struct LoadedStore {
    ProfileList profiles;
    std::unique_ptr<StoreHeader> header = std::make_unique<StoreHeader>();
    StoreLoadResult result;
};

LoadedStore Load(const TempDataFolder& folder)
{
    LoadedStore store;
    store.result = LoadProfileStore(store.profiles, *store.header, folder.path());
    return store;
}

// A store image with the given names, index and a recognisable reserved block.
QByteArray StoreImage(const QStringList& names, std::uint32_t index)
{
    QByteArray image(kHeader, '\0');
    PutI32(image, 0, std::int32_t(index));
    for (int i = 4; i < kHeader; i += 997)
        PutU8(image, i, std::uint8_t(i % 251 + 1));
    for (const QString& name : names) {
        auto record = CreateProfile(name);
        record->reserved_value_1 = 77;
        image.append(reinterpret_cast<const char*>(record.get()), kRecord);
    }
    return image;
}

QStringList Names(const ProfileList& profiles)
{
    QStringList names;
    for (const auto& record : profiles)
        names << ProfileName(*record);
    return names;
}

TEST(ProfileStore, FirstStartCreatesDefaultStore)
{
    TempDataFolder folder;
    const LoadedStore store = Load(folder);
    EXPECT_EQ(store.result.outcome, StoreLoadResult::Outcome::Missing);
    EXPECT_TRUE(store.result.saved);
    ASSERT_EQ(Names(store.profiles), QStringList{QStringLiteral("Profile1")});

    const QByteArray bytes = ReadFileBytes(folder.storeFile("pro.data"));
    ASSERT_EQ(bytes.size(), kHeader + kRecord);
    EXPECT_EQ(bytes.left(kHeader), QByteArray(kHeader, '\0'));
    EXPECT_EQ(bytes.mid(kHeader), QByteArray(reinterpret_cast<const char*>(store.profiles[0].get()), kRecord));
    EXPECT_FALSE(QFileInfo::exists(folder.storeFile("macro.data")));
}

TEST(ProfileStore, RoundTripIsByteForByteIncludingReservedBlock)
{
    TempDataFolder folder;
    const QByteArray image = StoreImage({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}, 2);
    WriteFileBytes(folder.storeFile("pro.data"), image);

    LoadedStore store = Load(folder);
    EXPECT_EQ(store.result.outcome, StoreLoadResult::Outcome::Loaded);
    EXPECT_EQ(Names(store.profiles), (QStringList{"A", "B", "C"}));
    EXPECT_EQ(store.header->current_profile_index, 2u);
    EXPECT_EQ(store.profiles[2]->reserved_value_1, 77);

    ASSERT_TRUE(SaveProfileStore(store.profiles, *store.header, folder.path()));
    EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data")), image);
}

TEST(ProfileStore, SaveCreatesMissingStoreFolder)
{
    TempDataFolder folder;
    ProfileList profiles;
    AddDefaultProfile(profiles);
    StoreHeader header{};
    ASSERT_TRUE(SaveProfileStore(profiles, header, folder.path()));
    EXPECT_TRUE(QFileInfo(folder.path() + QStringLiteral("ms_1")).isDir());
}

struct DamagedCase {
    const char* name;
    std::function<QByteArray()> image;
    QStringList expectedNames;
    std::uint32_t expectedIndex;
    bool keepsReservedBlock;
};

void PrintTo(const DamagedCase& c, std::ostream* os)
{
    *os << c.name;
}

class DamagedProfileStore : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedProfileStore, RecoversAndKeepsOriginalAside)
{
    const DamagedCase& c = GetParam();
    TempDataFolder folder;
    const QByteArray original = c.image();
    WriteFileBytes(folder.storeFile("pro.data"), original);

    const LoadedStore store = Load(folder);
    EXPECT_EQ(store.result.outcome, StoreLoadResult::Outcome::Repaired);
    EXPECT_FALSE(store.result.problem.isEmpty());
    EXPECT_TRUE(store.result.saved);
    EXPECT_EQ(Names(store.profiles), c.expectedNames);
    EXPECT_EQ(store.header->current_profile_index, c.expectedIndex);

    EXPECT_EQ(store.result.keptAsidePath, folder.storeFile("pro.data.damaged"));
    EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data.damaged")), original);

    const QByteArray repaired = ReadFileBytes(folder.storeFile("pro.data"));
    EXPECT_EQ(repaired.size(), kHeader + kRecord * c.expectedNames.size());
    EXPECT_EQ(GetU32(repaired, 0), c.expectedIndex);
    if (c.keepsReservedBlock) {
        EXPECT_EQ(repaired.mid(4, kHeader - 4), original.mid(4, kHeader - 4));
    }

    // The repaired store loads cleanly.
    EXPECT_EQ(Load(folder).result.outcome, StoreLoadResult::Outcome::Loaded);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedProfileStore,
    ::testing::Values(
        DamagedCase{"empty", [] { return QByteArray(); }, {"Profile1"}, 0, false},
        DamagedCase{"shorter_than_header", [] { return QByteArray(1000, 'x'); }, {"Profile1"}, 0, false},
        DamagedCase{"header_only", [] { return StoreImage({}, 0); }, {"Profile1"}, 0, true},
        DamagedCase{"partial_record",
                    [] { return StoreImage({"A", "B"}, 1) + QByteArray(500, 'z'); }, {"A", "B"}, 1, true},
        DamagedCase{"index_equal_to_count", [] { return StoreImage({"A", "B"}, 2); }, {"A", "B"}, 0, true},
        DamagedCase{"index_far_beyond_count", [] { return StoreImage({"A"}, 0xFFFFFFFF); }, {"A"}, 0, true},
        DamagedCase{"partial_record_and_bad_index",
                    [] { return StoreImage({"A"}, 5) + QByteArray(kRecord - 1, 'z'); }, {"A"}, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileStore, EarlierDamagedCopiesAreNeverOverwritten)
{
    TempDataFolder folder;
    WriteFileBytes(folder.storeFile("pro.data.damaged"), "first");
    WriteFileBytes(folder.storeFile("pro.data"), QByteArray(10, 'x'));
    const LoadedStore store = Load(folder);
    EXPECT_EQ(store.result.keptAsidePath, folder.storeFile("pro.data.damaged.1"));
    EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data.damaged")), QByteArray("first"));
    EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data.damaged.1")), QByteArray(10, 'x'));
}

TEST(ProfileStore, NameWithoutTerminatorIsReadWithinItsField)
{
    TempDataFolder folder;
    QByteArray image = StoreImage({QStringLiteral("A")}, 0);
    for (int i = 0; i < 100; ++i)
        PutU16(image, kHeader + 2 * i, u'n');
    WriteFileBytes(folder.storeFile("pro.data"), image);
    const LoadedStore store = Load(folder);
    EXPECT_EQ(ProfileName(*store.profiles[0]), QString(100, QLatin1Char('n')));
}

// Simulates a full disk: the file size limit makes the write fail part-way.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limited = m_saved;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }

private:
    rlimit m_saved{};
};

TEST(ProfileStore, FailedSaveLeavesThePreviousFileWhole)
{
    TempDataFolder folder;
    LoadedStore store = Load(folder);
    const QByteArray before = ReadFileBytes(folder.storeFile("pro.data"));
    AddDefaultProfile(store.profiles);
    bool saved = true;
    {
        FileSizeLimit limit(before.size() + 1000);
        saved = SaveProfileStore(store.profiles, *store.header, folder.path());
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data")), before);
    EXPECT_EQ(QDir(folder.path() + QStringLiteral("ms_1")).entryList(QDir::Files), QStringList{"pro.data"});
}

TEST(ProfileStore, UnwritableStoreFolderIsReportedNotCreated)
{
    TempDataFolder folder;
    WriteFileBytes(folder.file(QStringLiteral("ms_1")), "a file where the folder belongs");
    const LoadedStore store = Load(folder);
    EXPECT_EQ(store.result.outcome, StoreLoadResult::Outcome::Missing);
    EXPECT_FALSE(store.result.saved);
    EXPECT_EQ(store.profiles.size(), 1u);  // the utility still has a profile to work with
}

TEST(ProfileStore, ConcurrentSavesEachLeaveACompleteStore)
{
    TempDataFolder folder;
    ProfileList one, two;
    AddDefaultProfile(one);
    AddDefaultProfile(two);
    AddDefaultProfile(two);
    StoreHeader header{};
    auto saveMany = [&](const ProfileList& list) {
        for (int i = 0; i < 20; ++i)
            SaveProfileStore(list, header, folder.path());
    };
    std::thread a(saveMany, std::cref(one));
    std::thread b(saveMany, std::cref(two));
    a.join();
    b.join();
    const qsizetype size = ReadFileBytes(folder.storeFile("pro.data")).size();
    EXPECT_TRUE(size == kHeader + kRecord || size == kHeader + 2 * kRecord) << size;
}

TEST(ProfileStore, DamagedStoreThatCannotBeRepairedKeepsOneCopyOfItsBytes)
{
    TempDataFolder folder;
    const QByteArray damaged(1000, 'x');
    WriteFileBytes(folder.storeFile("pro.data"), damaged);
    for (int run = 0; run < 3; ++run) {
        FileSizeLimit limit(kHeader);  // the copy fits, the repaired store does not
        const LoadedStore store = Load(folder);
        EXPECT_EQ(store.result.outcome, StoreLoadResult::Outcome::Repaired);
        EXPECT_FALSE(store.result.saved);
        EXPECT_EQ(store.result.keptAsidePath, folder.storeFile("pro.data.damaged"));
    }
    EXPECT_EQ(QDir(folder.path() + QStringLiteral("ms_1")).entryList(QDir::Files, QDir::Name),
              (QStringList{"pro.data", "pro.data.damaged"}));
    EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data")), damaged);
    EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data.damaged")), damaged);

    // Other damage is kept beside it, and an identical later copy is found too.
    WriteFileBytes(folder.storeFile("pro.data"), QByteArray(900, 'y'));
    {
        FileSizeLimit limit(kHeader);
        EXPECT_EQ(Load(folder).result.keptAsidePath, folder.storeFile("pro.data.damaged.1"));
        EXPECT_EQ(Load(folder).result.keptAsidePath, folder.storeFile("pro.data.damaged.1"));
    }
    EXPECT_EQ(QDir(folder.path() + QStringLiteral("ms_1")).entryList(QDir::Files).size(), 3);
}

struct BothStores {
    ProfileList profiles;
    std::unique_ptr<StoreHeader> header = std::make_unique<StoreHeader>();
    MacroList macros;
};

// Profiles enough that pro.data outgrows the limit while macro.data stays small.
BothStores ImportedState(const TempDataFolder& folder)
{
    BothStores stores;
    LoadProfileStore(stores.profiles, *stores.header, folder.path());
    LoadMacroStore(stores.macros, folder.path());
    AddDefaultProfile(stores.profiles);
    stores.macros.push_back(CreateMacro(QStringLiteral("Brought")));
    stores.header->current_profile_index = 1;
    return stores;
}

TEST(StorePair, FailedProfileSavePutsTheMacroStoreBack)
{
    TempDataFolder folder;
    MacroList existing;
    AddDefaultMacro(existing, folder.path());
    BothStores stores = ImportedState(folder);
    const QByteArray profilesBefore = ReadFileBytes(folder.storeFile("pro.data"));
    const QByteArray macrosBefore = ReadFileBytes(folder.storeFile("macro.data"));

    QString error;
    bool saved = true;
    {
        FileSizeLimit limit(profilesBefore.size() + 1000);
        saved = SaveProfileAndMacroStores(stores.profiles, *stores.header, stores.macros, &error, folder.path());
    }
    EXPECT_FALSE(saved);
    EXPECT_TRUE(error.contains(QStringLiteral("pro.data"))) << error.toStdString();
    EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data")), profilesBefore);
    EXPECT_EQ(ReadFileBytes(folder.storeFile("macro.data")), macrosBefore);
    EXPECT_EQ(QDir(folder.path() + QStringLiteral("ms_1")).entryList(QDir::Files, QDir::Name),
              (QStringList{"macro.data", "pro.data"}));
}

TEST(StorePair, FailedProfileSaveRemovesAMacroStoreThatWasNotThere)
{
    TempDataFolder folder;
    BothStores stores = ImportedState(folder);
    const QByteArray profilesBefore = ReadFileBytes(folder.storeFile("pro.data"));
    QString error;
    {
        FileSizeLimit limit(profilesBefore.size() + 1000);
        EXPECT_FALSE(
            SaveProfileAndMacroStores(stores.profiles, *stores.header, stores.macros, &error, folder.path()));
    }
    EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data")), profilesBefore);
    EXPECT_FALSE(QFileInfo::exists(folder.storeFile("macro.data")));
}

TEST(StorePair, SavesBothStores)
{
    TempDataFolder folder;
    BothStores stores = ImportedState(folder);
    QString error;
    ASSERT_TRUE(SaveProfileAndMacroStores(stores.profiles, *stores.header, stores.macros, &error, folder.path()));
    BothStores loaded;
    LoadProfileStore(loaded.profiles, *loaded.header, folder.path());
    LoadMacroStore(loaded.macros, folder.path());
    EXPECT_EQ(Names(loaded.profiles), (QStringList{"Profile1", "Profile2"}));
    EXPECT_EQ(loaded.header->current_profile_index, 1u);
    ASSERT_EQ(loaded.macros.size(), 1u);
    EXPECT_EQ(MacroName(*loaded.macros[0]), QStringLiteral("Brought"));
}

TEST(StorePair, UnreadableMacroStoreIsNotWritten)
{
    TempDataFolder folder;
    BothStores stores = ImportedState(folder);
    ASSERT_TRUE(QDir().mkpath(folder.storeFile("macro.data")));
    const QByteArray profilesBefore = ReadFileBytes(folder.storeFile("pro.data"));
    QString error;
    EXPECT_FALSE(SaveProfileAndMacroStores(stores.profiles, *stores.header, stores.macros, &error, folder.path()));
    EXPECT_TRUE(QFileInfo(folder.storeFile("macro.data")).isDir());
    EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data")), profilesBefore);
}

}  // namespace
