// The two store files, pro.data (a 164884-byte header, then 32976-byte profiles) and macro.data
// (240-byte macros): first start, byte-exact round trips, where a size stops being sound, repair
// with the original kept aside, a full disk, and saving both stores together.
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

constexpr int kHeader = 164884, kRecord = 32976, kMacro = 240;
using Outcome = StoreLoadResult::Outcome;

struct Stores {
    ProfileList profiles;
    std::unique_ptr<StoreHeader> header = std::make_unique<StoreHeader>();
    MacroList macros;
    StoreLoadResult result, macroResult;
};

Stores Load(const TempDataFolder& folder) {
    Stores stores;
    stores.result = LoadProfileStore(stores.profiles, *stores.header, folder.path());
    stores.macroResult = LoadMacroStore(stores.macros, folder.path());
    return stores;
}

// A store image with the given names, index and a recognisable reserved block.
QByteArray StoreImage(const QStringList& names, std::uint32_t index) {
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

QByteArray MacroImage(const QStringList& names) {
    QByteArray image;
    for (const QString& name : names)
        image.append(reinterpret_cast<const char*>(CreateMacro(name).get()), kMacro);
    return image;
}

QStringList Names(const ProfileList& list) {
    QStringList names;
    for (const auto& record : list)
        names << ProfileName(*record);
    return names;
}

QStringList Names(const MacroList& list) {
    QStringList names;
    for (const auto& record : list)
        names << MacroName(*record);
    return names;
}

QStringList StoreFolderFiles(const TempDataFolder& folder) {
    return QDir(folder.path() + QStringLiteral("ms_1")).entryList(QDir::Files, QDir::Name);
}

// Simulates a full disk: the file size limit makes the write fail part-way.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
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

TEST(Stores, FirstStartCreatesOneDefaultProfileAndNoMacroStore) {
    TempDataFolder folder;
    const Stores stores = Load(folder);
    EXPECT_EQ(stores.result.outcome, Outcome::Missing);
    EXPECT_TRUE(stores.result.saved);
    EXPECT_EQ(stores.macroResult.outcome, Outcome::Missing);
    ASSERT_EQ(Names(stores.profiles), QStringList{QStringLiteral("Profile1")});
    EXPECT_TRUE(stores.macros.empty());
    const QByteArray bytes = ReadFileBytes(folder.storeFile("pro.data"));
    ASSERT_EQ(bytes.size(), kHeader + kRecord);
    EXPECT_EQ(bytes.left(kHeader), QByteArray(kHeader, '\0'));
    EXPECT_EQ(bytes.mid(kHeader), QByteArray(reinterpret_cast<const char*>(stores.profiles[0].get()), kRecord));
    EXPECT_EQ(StoreFolderFiles(folder), QStringList{"pro.data"});
}

TEST(Stores, RoundTripsAreByteForByteIncludingTheReservedBlock) {
    TempDataFolder folder;
    const QByteArray image = StoreImage({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}, 2);
    WriteFileBytes(folder.storeFile("pro.data"), image);
    Stores stores = Load(folder);
    EXPECT_EQ(stores.result.outcome, Outcome::Loaded);
    EXPECT_EQ(Names(stores.profiles), (QStringList{"A", "B", "C"}));
    EXPECT_EQ(stores.header->current_profile_index, 2u);
    EXPECT_EQ(stores.profiles[2]->reserved_value_1, 77);
    ASSERT_TRUE(SaveProfileStore(stores.profiles, *stores.header, folder.path()));
    EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data")), image);

    // Adding a macro saves at once.
    MacroRecord& first = AddDefaultMacro(stores.macros, folder.path());
    first.action_count = 2;
    first.actions[0] = {4, 1, 50};
    AddDefaultMacro(stores.macros, folder.path());
    EXPECT_EQ(Names(stores.macros), (QStringList{"Macro1", "Macro2"}));
    const QByteArray macros = ReadFileBytes(folder.storeFile("macro.data"));
    ASSERT_EQ(macros.size(), 2 * kMacro);
    EXPECT_EQ(macros.left(kMacro), QByteArray(reinterpret_cast<const char*>(&first), kMacro));
    EXPECT_EQ(Load(folder).macroResult.outcome, Outcome::Loaded);
    stores.macros.clear();
    ASSERT_TRUE(SaveMacroStore(stores.macros, folder.path()));  // an empty list empties the store
    EXPECT_EQ(QFileInfo(folder.storeFile("macro.data")).size(), 0);
}

// Every size of pro.data other than the header plus whole records, and every size of macro.data
// other than whole records, is damage: what is usable is kept, the original is kept aside and the
// repaired store is written (and then loads cleanly).
TEST(Stores, SizeBoundariesAndDamageAreRepairedWithTheOriginalKeptAside) {
    const QByteArray two = StoreImage({"A", "B"}, 1), one = StoreImage({"A"}, 0);
    struct Row { const char* name; QByteArray image; QStringList names; std::uint32_t index; bool keepsReserved; Outcome outcome; };
    const Row rows[] = {
        {"empty", {}, {"Profile1"}, 0, false, Outcome::Repaired},
        {"short_header", QByteArray(1000, 'x'), {"Profile1"}, 0, false, Outcome::Repaired},
        {"header_less_one_byte", StoreImage({}, 0).chopped(1), {"Profile1"}, 0, false, Outcome::Repaired},
        {"header_only", StoreImage({}, 0), {"Profile1"}, 0, true, Outcome::Repaired},
        {"one_record_less_one_byte", one.chopped(1), {"Profile1"}, 0, true, Outcome::Repaired},
        {"one_record", one, {"A"}, 0, true, Outcome::Loaded},
        {"one_record_and_one_byte", one + "z", {"A"}, 0, true, Outcome::Repaired},
        {"two_records_less_one_byte", two.chopped(1), {"A"}, 0, true, Outcome::Repaired},
        {"partial_record", two + QByteArray(500, 'z'), {"A", "B"}, 1, true, Outcome::Repaired},
        {"index_equal_to_count", StoreImage({"A", "B"}, 2), {"A", "B"}, 0, true, Outcome::Repaired},
        {"index_far_beyond_count", StoreImage({"A"}, 0xFFFFFFFF), {"A"}, 0, true, Outcome::Repaired},
        {"partial_record_and_bad_index", StoreImage({"A"}, 5) + QByteArray(kRecord - 1, 'z'), {"A"}, 0, true,
         Outcome::Repaired},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDataFolder folder;
        WriteFileBytes(folder.storeFile("pro.data"), row.image);
        const Stores stores = Load(folder);
        EXPECT_EQ(stores.result.outcome, row.outcome);
        EXPECT_EQ(Names(stores.profiles), row.names);
        EXPECT_EQ(stores.header->current_profile_index, row.index);
        if (row.outcome == Outcome::Loaded) {
            EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data")), row.image);
            EXPECT_EQ(StoreFolderFiles(folder), QStringList{"pro.data"});
            continue;
        }
        EXPECT_FALSE(stores.result.problem.isEmpty());
        EXPECT_TRUE(stores.result.saved);
        EXPECT_EQ(stores.result.keptAsidePath, folder.storeFile("pro.data.damaged"));
        EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data.damaged")), row.image);
        const QByteArray repaired = ReadFileBytes(folder.storeFile("pro.data"));
        EXPECT_EQ(repaired.size(), kHeader + kRecord * row.names.size());
        EXPECT_EQ(GetU32(repaired, 0), row.index);
        if (row.keepsReserved) {
            EXPECT_EQ(repaired.mid(4, kHeader - 4), row.image.mid(4, kHeader - 4));
        }
        EXPECT_EQ(Load(folder).result.outcome, Outcome::Loaded);
    }

    const QByteArray macros = MacroImage({"Keep", "More"});
    struct MacroRow { int size; QStringList names; Outcome outcome; };
    for (const MacroRow& row : {MacroRow{0, {}, Outcome::Loaded}, MacroRow{kMacro - 1, {}, Outcome::Repaired},
                                MacroRow{kMacro, {"Keep"}, Outcome::Loaded}, MacroRow{kMacro + 1, {"Keep"}, Outcome::Repaired},
                                MacroRow{2 * kMacro - 1, {"Keep"}, Outcome::Repaired}}) {
        SCOPED_TRACE(row.size);
        TempDataFolder folder;
        WriteFileBytes(folder.storeFile("macro.data"), macros.left(row.size));
        const Stores stores = Load(folder);
        EXPECT_EQ(stores.macroResult.outcome, row.outcome);
        EXPECT_EQ(Names(stores.macros), row.names);
        EXPECT_EQ(ReadFileBytes(folder.storeFile("macro.data")), macros.left(row.names.size() * kMacro));
        if (row.outcome == Outcome::Repaired) {
            EXPECT_EQ(ReadFileBytes(folder.storeFile("macro.data.damaged")), macros.left(row.size));
        }
    }
}

TEST(Stores, NameWithoutTerminatorIsReadWithinItsFieldAndEarlierCopiesAreNeverOverwritten) {
    TempDataFolder folder;
    QByteArray image = StoreImage({QStringLiteral("A")}, 0);
    for (int i = 0; i < 100; ++i)
        PutU16(image, kHeader + 2 * i, u'n');
    WriteFileBytes(folder.storeFile("pro.data"), image);
    EXPECT_EQ(ProfileName(*Load(folder).profiles[0]), QString(100, QLatin1Char('n')));

    WriteFileBytes(folder.storeFile("pro.data.damaged"), "first");
    WriteFileBytes(folder.storeFile("pro.data"), QByteArray(10, 'x'));
    EXPECT_EQ(Load(folder).result.keptAsidePath, folder.storeFile("pro.data.damaged.1"));
    EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data.damaged")), QByteArray("first"));
    EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data.damaged.1")), QByteArray(10, 'x'));
}

TEST(Stores, AFullDiskLeavesThePreviousFileWhole) {
    TempDataFolder folder;
    Stores stores = Load(folder);
    const QByteArray before = ReadFileBytes(folder.storeFile("pro.data"));
    AddDefaultProfile(stores.profiles);
    {
        FileSizeLimit limit(before.size() + 1000);
        EXPECT_FALSE(SaveProfileStore(stores.profiles, *stores.header, folder.path()));
    }
    EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data")), before);
    EXPECT_EQ(StoreFolderFiles(folder), QStringList{"pro.data"});
}

TEST(Stores, DamagedStoreThatCannotBeRepairedKeepsOneCopyOfItsBytes) {
    TempDataFolder folder;
    const QByteArray damaged(1000, 'x');
    WriteFileBytes(folder.storeFile("pro.data"), damaged);
    for (int run = 0; run < 3; ++run) {
        FileSizeLimit limit(kHeader);  // the copy fits, the repaired store does not
        const Stores stores = Load(folder);
        EXPECT_EQ(stores.result.outcome, Outcome::Repaired);
        EXPECT_FALSE(stores.result.saved);
        EXPECT_EQ(stores.result.keptAsidePath, folder.storeFile("pro.data.damaged"));
    }
    EXPECT_EQ(StoreFolderFiles(folder), (QStringList{"pro.data", "pro.data.damaged"}));
    EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data")), damaged);
    EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data.damaged")), damaged);
    // Other damage is kept beside it, and an identical later copy is found too.
    WriteFileBytes(folder.storeFile("pro.data"), QByteArray(900, 'y'));
    FileSizeLimit limit(kHeader);
    EXPECT_EQ(Load(folder).result.keptAsidePath, folder.storeFile("pro.data.damaged.1"));
    EXPECT_EQ(Load(folder).result.keptAsidePath, folder.storeFile("pro.data.damaged.1"));
    EXPECT_EQ(StoreFolderFiles(folder).size(), 3);
}

TEST(Stores, StoreFolderIsMadeWhenMissingAndAFileInItsPlaceIsReported) {
    TempDataFolder folder;
    ProfileList profiles;
    AddDefaultProfile(profiles);
    ASSERT_TRUE(SaveProfileStore(profiles, StoreHeader{}, folder.path()));
    EXPECT_TRUE(QFileInfo(folder.path() + QStringLiteral("ms_1")).isDir());

    TempDataFolder blocked;
    WriteFileBytes(blocked.file(QStringLiteral("ms_1")), "a file where the folder belongs");
    const Stores stores = Load(blocked);
    EXPECT_EQ(stores.result.outcome, Outcome::Missing);
    EXPECT_FALSE(stores.result.saved);
    EXPECT_EQ(stores.profiles.size(), 1u);  // the utility still has a profile to work with
}

TEST(Stores, ConcurrentSavesEachLeaveACompleteStore) {
    TempDataFolder folder;
    ProfileList one, two;
    AddDefaultProfile(one);
    AddDefaultProfile(two);
    AddDefaultProfile(two);
    const StoreHeader header{};
    auto saveMany = [&](const ProfileList& list) {
        for (int i = 0; i < 20; ++i)
            SaveProfileStore(list, header, folder.path());
    };
    std::thread a(saveMany, std::cref(one)), b(saveMany, std::cref(two));
    a.join();
    b.join();
    const qsizetype size = ReadFileBytes(folder.storeFile("pro.data")).size();
    EXPECT_TRUE(size == kHeader + kRecord || size == kHeader + 2 * kRecord) << size;
}

// After an import: a second profile made current and a macro brought along.
Stores Imported(const TempDataFolder& folder) {
    Stores stores = Load(folder);
    AddDefaultProfile(stores.profiles);
    stores.macros.push_back(CreateMacro(QStringLiteral("Brought")));
    stores.header->current_profile_index = 1;
    return stores;
}

bool SavePair(Stores& stores, const TempDataFolder& folder, QString* error) {
    return SaveProfileAndMacroStores(stores.profiles, *stores.header, stores.macros, error, folder.path());
}

TEST(StorePair, SavesBothOrOnAFailedProfileSaveLeavesBothAsTheyWere) {
    TempDataFolder folder;
    Stores stores = Imported(folder);
    QString error;
    ASSERT_TRUE(SavePair(stores, folder, &error));
    const Stores loaded = Load(folder);
    EXPECT_EQ(Names(loaded.profiles), (QStringList{"Profile1", "Profile2"}));
    EXPECT_EQ(loaded.header->current_profile_index, 1u);
    EXPECT_EQ(Names(loaded.macros), QStringList{"Brought"});

    for (bool hadMacros : {true, false}) {
        SCOPED_TRACE(hadMacros);
        TempDataFolder full;
        if (hadMacros) {
            MacroList existing;
            AddDefaultMacro(existing, full.path());
        }
        Stores more = Imported(full);
        const QByteArray profilesBefore = ReadFileBytes(full.storeFile("pro.data"));
        const QByteArray macrosBefore = hadMacros ? ReadFileBytes(full.storeFile("macro.data")) : QByteArray();
        {
            FileSizeLimit limit(profilesBefore.size() + 1000);  // pro.data outgrows it, macro.data does not
            EXPECT_FALSE(SavePair(more, full, &error));
        }
        EXPECT_TRUE(error.contains(QStringLiteral("pro.data"))) << error.toStdString();
        EXPECT_EQ(ReadFileBytes(full.storeFile("pro.data")), profilesBefore);
        EXPECT_EQ(StoreFolderFiles(full), hadMacros ? QStringList({"macro.data", "pro.data"}) : QStringList("pro.data"));
        if (hadMacros) {
            EXPECT_EQ(ReadFileBytes(full.storeFile("macro.data")), macrosBefore);  // put back
        }
    }
}

TEST(StorePair, UnreadableMacroStoreIsNotWritten) {
    TempDataFolder folder;
    Stores stores = Imported(folder);
    ASSERT_TRUE(QDir().mkpath(folder.storeFile("macro.data")));
    const QByteArray profilesBefore = ReadFileBytes(folder.storeFile("pro.data"));
    QString error;
    EXPECT_FALSE(SavePair(stores, folder, &error));
    EXPECT_TRUE(QFileInfo(folder.storeFile("macro.data")).isDir());
    EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data")), profilesBefore);
}

}  // namespace
