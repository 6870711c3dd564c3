// The two store files, pro.data (a 164884-byte header, then 32976-byte profiles) and macro.data
// (240-byte macros): first start, byte-exact round trips, where a size stops being sound, repair
// with the original kept aside, a full disk, and saving both stores together; unique names in
// the lists (where the data folder is, the end-to-end tests find the stores); stores out of reach,
// telling a store file from any other, and file stamps.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <csignal>
#include <map>
#include <sys/resource.h>
#include <unistd.h>

#include "core/storage/macro_store.h"
#include "core/storage/store_access.h"
#include "core/storage/store_names.h"
#include "core/storage/store_pair.h"
#include "core/text/language_text.h"
#include "core/text/name_field.h"
#include "support/test_files.h"

namespace {

constexpr int kHeader = 164884, kRecord = 32976, kMacro = 240;
using Outcome = StoreLoadResult::Outcome;

struct Stores {  // both stores as loaded from a data folder
    explicit Stores(const TempDataFolder& folder)
        : result(LoadProfileStore(profiles, *header, folder.path())), macroResult(LoadMacroStore(macros, folder.path())) {}
    ProfileList profiles;
    std::unique_ptr<StoreHeader> header = std::make_unique<StoreHeader>();
    MacroList macros;
    StoreLoadResult result, macroResult;
};

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

template <typename List>
QStringList Names(const List& list) {
    QStringList names;
    std::ranges::for_each(list, [&](const auto& record) { names << ReadNameField(record->name); });
    return names;
}

// Everything in the store folder: each file's bytes, "folder" for a folder.
using Content = std::map<QString, QByteArray>;
Content StoreFolderContent(const TempDataFolder& folder) {
    Content content;
    for (const QFileInfo& entry : QDir(folder.path() + QStringLiteral("ms_1")).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot))
        content[entry.fileName()] = entry.isDir() ? QByteArray("folder") : ReadFileBytes(entry.filePath());
    return content;
}

// Simulates a full disk: the file size limit makes a write fail part-way, until the result goes.
auto LimitFileSize(rlim_t bytes) {
    static rlimit saved;
    std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
    return std::unique_ptr<rlimit, void (*)(rlimit*)>(&saved, [](rlimit* r) { setrlimit(RLIMIT_FSIZE, r); });
}

TEST(Stores, FirstStartCreatesOneDefaultProfileAndNoMacroStore) {
    TempDataFolder folder;
    const Stores stores(folder);
    EXPECT_EQ(std::tuple(stores.result.outcome, stores.macroResult.outcome, stores.result.saved, stores.macros.size()),
              std::tuple(Outcome::Missing, Outcome::Missing, true, 0u));
    ASSERT_EQ(Names(stores.profiles), QStringList{QStringLiteral("Profile1")});
    const QByteArray record(reinterpret_cast<const char*>(stores.profiles[0].get()), kRecord);
    EXPECT_EQ(StoreFolderContent(folder), (Content{{"pro.data", QByteArray(kHeader, '\0') + record}}));
    TempDataFolder blocked;  // a file where the store folder belongs: reported, and a profile in memory only
    WriteFileBytes(blocked.file("ms_1"), "a file where the folder belongs");
    const Stores inMemory(blocked);
    EXPECT_EQ(std::tuple(inMemory.result.outcome, inMemory.result.saved, inMemory.profiles.size()),
              std::tuple(Outcome::Missing, false, std::size_t(1)));
}

TEST(Stores, RoundTripsAreByteForByteIncludingTheReservedBlock) {
    TempDataFolder folder;
    const QByteArray image = StoreImage({"A", "B", "C"}, 2);
    WriteFileBytes(folder.storeFile("pro.data"), image);
    Stores stores(folder);
    EXPECT_EQ(std::tuple(stores.result.outcome, stores.header->current_profile_index, Names(stores.profiles)),
              std::tuple(Outcome::Loaded, 2u, QStringList{"A", "B", "C"}));
    ASSERT_TRUE(SaveProfileStore(stores.profiles, *stores.header, folder.path()));
    EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data")), image);
    MacroRecord& first = AddDefaultMacro(stores.macros, folder.path());  // saved at once
    first.actions[0] = {4, 1, 50};
    AddDefaultMacro(stores.macros, folder.path());
    const QByteArray macros = ReadFileBytes(folder.storeFile("macro.data"));
    EXPECT_EQ(macros.left(kMacro), QByteArray(reinterpret_cast<const char*>(&first), kMacro));
    EXPECT_EQ(Names(Stores(folder).macros), (QStringList{"Macro1", "Macro2"}));
    stores.macros.clear();
    ASSERT_TRUE(SaveMacroStore(stores.macros, folder.path()));  // an empty list empties the store
    EXPECT_EQ(QFileInfo(folder.storeFile("macro.data")).size(), 0);
}

// Every size of pro.data other than the header plus whole records, and every size of macro.data
// other than whole records, is damage: what is usable is kept, the original is kept aside and the
// repaired store is written (and then loads cleanly).
TEST(Stores, SizeBoundariesAndDamageAreRepairedWithTheOriginalKeptAside) {
    const QByteArray two = StoreImage({"A", "B"}, 1), one = StoreImage({"A"}, 0);
    struct Row { const char* name; QByteArray image; QStringList names; std::uint32_t index; bool keepsReserved; };
    const Row rows[] = {  // keepsReserved: the header's bytes after the index survive the repair
        {"empty", {}, {"Profile1"}, 0, false}, {"short_header", QByteArray(1000, 'x'), {"Profile1"}, 0, false},
        {"header_less_one_byte", StoreImage({}, 0).chopped(1), {"Profile1"}, 0, false},
        {"header_only", StoreImage({}, 0), {"Profile1"}, 0, true}, {"one_record", one, {"A"}, 0, true},  // sound
        {"one_record_less_one_byte", one.chopped(1), {"Profile1"}, 0, true},
        {"one_record_and_one_byte", one + "z", {"A"}, 0, true}, {"two_less_one_byte", two.chopped(1), {"A"}, 0, true},
        {"partial_record", two + QByteArray(500, 'z'), {"A", "B"}, 1, true},
        {"index_equal_to_count", StoreImage({"A", "B"}, 2), {"A", "B"}, 0, true},
        {"index_far_beyond_count", StoreImage({"A"}, 0xFFFFFFFF), {"A"}, 0, true},
        {"partial_record_and_bad_index", StoreImage({"A"}, 5) + QByteArray(kRecord - 1, 'z'), {"A"}, 0, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDataFolder folder;
        WriteFileBytes(folder.storeFile("pro.data"), row.image);
        const Stores stores(folder);
        EXPECT_EQ(std::pair(Names(stores.profiles), stores.header->current_profile_index), std::pair(row.names, row.index));
        const bool sound = row.image == one;
        EXPECT_EQ(std::tuple(stores.result.outcome, stores.result.problem.isEmpty(), stores.result.saved),
                  std::tuple(sound ? Outcome::Loaded : Outcome::Repaired, sound, true));
        const QByteArray now = ReadFileBytes(folder.storeFile("pro.data"));  // the repaired store as written
        EXPECT_EQ(std::tuple(now.size(), GetU32(now, 0), now.mid(4, kHeader - 4)),  // a header too short to use: zeros
                  std::tuple(kHeader + kRecord * row.names.size(), row.index,
                             row.keepsReserved ? row.image.mid(4, kHeader - 4) : QByteArray(kHeader - 4, '\0')));
        EXPECT_EQ(StoreFolderContent(folder).size(), sound ? 1u : 2u);
        if (sound)
            continue;
        EXPECT_EQ(std::tuple(stores.result.keptAsidePath, ReadFileBytes(folder.storeFile("pro.data.damaged")),
                             Stores(folder).result.outcome),
                  std::tuple(folder.storeFile("pro.data.damaged"), row.image, Outcome::Loaded));
    }
    QByteArray macros;
    for (const char* name : {"Keep", "More"})
        macros.append(reinterpret_cast<const char*>(CreateMacro(QLatin1String(name)).get()), kMacro);
    for (auto [size, count] : {std::pair{0, 0}, {kMacro - 1, 0}, {kMacro, 1}, {kMacro + 1, 1}, {2 * kMacro - 1, 1}}) {
        SCOPED_TRACE(size);
        TempDataFolder folder;
        WriteFileBytes(folder.storeFile("macro.data"), macros.left(size));
        const Stores stores(folder);
        const bool sound = size == count * kMacro;
        EXPECT_EQ(std::pair(stores.macroResult.outcome, Names(stores.macros)),
                  std::pair(sound ? Outcome::Loaded : Outcome::Repaired, QStringList({"Keep"}).mid(0, count)));
        Content expected = {{"pro.data", ReadFileBytes(folder.storeFile("pro.data"))}, {"macro.data", macros.left(count * kMacro)}};
        if (!sound)
            expected["macro.data.damaged"] = macros.left(size);
        EXPECT_EQ(StoreFolderContent(folder), expected);
    }
    // A name without terminator is read within its field; earlier damaged copies are never overwritten.
    TempDataFolder folder;
    QByteArray image = StoreImage({"A"}, 0);
    PutUtf16(image, kHeader, QString(100, QLatin1Char('n')));
    WriteFileBytes(folder.storeFile("pro.data"), image);
    EXPECT_EQ(Names(Stores(folder).profiles), QStringList(QString(100, QLatin1Char('n'))));
    WriteFileBytes(folder.storeFile("pro.data.damaged"), "first");
    WriteFileBytes(folder.storeFile("pro.data"), QByteArray(10, 'x'));
    EXPECT_EQ(Stores(folder).result.keptAsidePath, folder.storeFile("pro.data.damaged.1"));
    EXPECT_EQ(std::pair(ReadFileBytes(folder.storeFile("pro.data.damaged")),
                        ReadFileBytes(folder.storeFile("pro.data.damaged.1"))),
              std::pair(QByteArray("first"), QByteArray(10, 'x')));
}

TEST(Stores, AFullDiskLeavesThePreviousFileWholeAndADamagedStoreOneCopyOfItsBytes) {
    TempDataFolder folder;
    Stores stores(folder);
    const QByteArray before = ReadFileBytes(folder.storeFile("pro.data"));
    AddDefaultProfile(stores.profiles);
    {
        const auto limit = LimitFileSize(before.size() + 1000);
        EXPECT_FALSE(SaveProfileStore(stores.profiles, *stores.header, folder.path()));
    }
    EXPECT_EQ(StoreFolderContent(folder), (Content{{"pro.data", before}}));
    const QByteArray damaged(1000, 'x');
    WriteFileBytes(folder.storeFile("pro.data"), damaged);
    const auto limit = LimitFileSize(kHeader);  // the copy fits, the repaired store does not
    for (int run = 0; run < 3; ++run) {
        const Stores again(folder);
        EXPECT_EQ(std::tuple(again.result.outcome, again.result.saved, again.result.keptAsidePath),
                  std::tuple(Outcome::Repaired, false, folder.storeFile("pro.data.damaged")));
    }
    EXPECT_EQ(StoreFolderContent(folder), (Content{{"pro.data", damaged}, {"pro.data.damaged", damaged}}));
    // Other damage is kept beside it, and an identical later copy is found too.
    WriteFileBytes(folder.storeFile("pro.data"), QByteArray(900, 'y'));
    for (int run = 0; run < 2; ++run)
        EXPECT_EQ(Stores(folder).result.keptAsidePath, folder.storeFile("pro.data.damaged.1"));
    EXPECT_EQ(StoreFolderContent(folder).size(), 3);
}

// After an import: a second profile made current and a macro brought along.
bool SaveImported(const TempDataFolder& folder, QString* error) {
    Stores stores(folder);
    AddDefaultProfile(stores.profiles);
    stores.macros.push_back(CreateMacro(QStringLiteral("Brought")));
    stores.header->current_profile_index = 1;
    return SaveProfileAndMacroStores(stores.profiles, *stores.header, stores.macros, error, folder.path());
}

TEST(StorePair, SavesBothOrLeavesBothAsTheyWere) {
    TempDataFolder folder;
    QString error;
    ASSERT_TRUE(SaveImported(folder, &error));
    const Stores loaded(folder);
    EXPECT_EQ(std::pair(Names(loaded.profiles) + Names(loaded.macros), loaded.header->current_profile_index),
              std::pair(QStringList{"Profile1", "Profile2", "Brought"}, 1u));
    // A failed pro.data save puts macro.data back, or removes it when it was not there; an
    // unreadable macro.data (a folder in its place) is not written.
    for (int setup : {0, 1, 2}) {
        SCOPED_TRACE(setup);
        TempDataFolder other;
        (void)Stores(other);  // first start: the default pro.data
        MacroList existing;
        if (setup > 0)  // a macro store, or a folder in its place
            setup == 1 ? void(AddDefaultMacro(existing, other.path())) : void(QDir().mkpath(other.storeFile("macro.data")));
        const auto before = StoreFolderContent(other);
        {
            const auto limit = LimitFileSize(kHeader + kRecord + 1000);  // pro.data outgrows it, macro.data does not
            EXPECT_FALSE(SaveImported(other, &error));
        }
        EXPECT_TRUE(error.contains(setup == 2 ? "cannot read macro.data" : "cannot write pro.data")
                    && error.contains("nothing was changed")) << error.toStdString();
        EXPECT_EQ(StoreFolderContent(other), before);
        EXPECT_EQ(before.size(), setup == 0 ? 1u : 2u);
    }
}

TEST(StoreNames, ExistenceAndSuffixesIgnoreLetterCaseFitTheFieldAndDefaultNamesComeFromTheLanguageTexts) {
    ProfileList list;
    list.push_back(CreateProfile(QStringLiteral("Profile1"))), list.push_back(CreateProfile(QStringLiteral("Work")));
    EXPECT_TRUE(NameExists(list, QStringLiteral("profile1")) && NameExists(list, QStringLiteral("WORK")));
    EXPECT_FALSE(NameExists(list, QStringLiteral("Profile")));
    EXPECT_EQ(std::pair(MakeUniqueName(list, QStringLiteral("Game")), MakeUniqueName(list, QStringLiteral("PROFILE1"))),
              std::pair(QStringLiteral("Game"), QStringLiteral("PROFILE1_1")));
    list.push_back(CreateProfile(QStringLiteral("profile1_1")));
    EXPECT_EQ(MakeUniqueName(list, QStringLiteral("Profile1")), QStringLiteral("Profile1_2"));
    list.push_back(CreateProfile(QString(99, QLatin1Char('p'))));
    EXPECT_EQ(MakeUniqueName(list, QString(99, QLatin1Char('p'))), QString(97, QLatin1Char('p')) + "_1");
    MacroList macros;
    macros.push_back(CreateMacro(QString(60, QLatin1Char('m'))));  // stored cut to 23 characters
    EXPECT_EQ(MakeUniqueName(macros, QString(60, QLatin1Char('m'))), QString(21, QLatin1Char('m')) + "_1");
    list.clear();  // default names skip taken ones and come from the language texts
    list.push_back(CreateProfile(QStringLiteral("profile2")));
    EXPECT_EQ(ProfileName(AddDefaultProfile(list)), QStringLiteral("Profile2_1"));
    SetTextLookup([](const QString& key) { return key == "add_profile_text" ? QStringLiteral("Profil") : QString(); });
    list.clear();
    EXPECT_EQ(ProfileName(AddDefaultProfile(list)), QStringLiteral("Profil1"));
    SetTextLookup({});
    EXPECT_EQ(LanguageText(QStringLiteral("add_macro_text")), QStringLiteral("Macro"));
}

void LinkBeside(const QString& target, const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    ASSERT_TRUE(QFile::link(target, path));
}

// Ways to put something unreadable at a store's path.
const std::pair<const char*, void (*)(const QString& path)> kUnreadable[] = {
    {"folder_in_its_place", [](const QString& path) { ASSERT_TRUE(QDir().mkpath(path)); }},
    {"symlink_loop", [](const QString& path) { LinkBeside(path + ".loop", path), LinkBeside(path, path + ".loop"); }},
    {"link_to_nothing", [](const QString& path) { LinkBeside(path + ".elsewhere", path); }},
    {"io_error", [](const QString& path) { LinkBeside("/proc/self/mem", path); }},  // reading it from 0 fails
    {"no_permission", [](const QString& path) {  // (not for root, whom permissions do not stop)
         WriteFileBytes(path, QByteArray(10, 'x'));
         ASSERT_TRUE(::geteuid() == 0 || QFile::setPermissions(path, {}));
     }},
};

TEST(UnreadableStore, IsLeftAloneAndReportedForBothStores) {
    for (const auto& [name, make] : kUnreadable) {
        if (::geteuid() == 0 && name == std::string("no_permission"))
            continue;
        for (const bool profileStore : {true, false}) {
            SCOPED_TRACE(testing::Message() << name << (profileStore ? " pro.data" : " macro.data"));
            TempDataFolder folder;
            make(folder.storeFile(profileStore ? "pro.data" : "macro.data"));
            const auto entries = [&] { return QDir(folder.file("ms_1")).entryList(QDir::AllEntries | QDir::System | QDir::Hidden); };
            const QStringList before = entries();
            ProfileList profiles;
            auto header = std::make_unique<StoreHeader>();
            MacroList macros;
            const StoreLoadResult result = profileStore ? LoadProfileStore(profiles, *header, folder.path())
                                                        : LoadMacroStore(macros, folder.path());
            EXPECT_EQ(std::tuple(result.outcome, result.problem.isEmpty(), result.saved, result.keptAsidePath),
                      std::tuple(StoreLoadResult::Outcome::Unreadable, false, false, QString()));
            // Something to work with, in memory only.
            EXPECT_EQ(std::tuple(profiles.size(), header->current_profile_index, macros.size(), entries()),
                      std::tuple(profileStore ? 1u : 0u, 0u, 0u, before));
        }
    }
}

TEST(IsStoreFile, ComparesFilesNotSpellings) {
    TempDataFolder folder;
    WriteFileBytes(folder.storeFile("pro.data"), "profiles");
    const QString data = folder.path();
    // macro.data is not there yet: still a store, also through a link to it.
    EXPECT_TRUE(IsStoreFile(folder.storeFile("macro.data"), data));
    LinkBeside(folder.storeFile("macro.data"), folder.file("to-macros.macro"));
    EXPECT_TRUE(IsStoreFile(folder.file("to-macros.macro"), data));
    WriteFileBytes(folder.storeFile("macro.data"), "macros");
    ASSERT_EQ(::link(QFile::encodeName(folder.storeFile("pro.data")).constData(),
                     QFile::encodeName(folder.file("hard.pro")).constData()), 0);
    LinkBeside(folder.storeFile("macro.data"), folder.file("soft.macro"));
    LinkBeside(data, folder.file("linked"));  // another spelling of the data folder
    WriteFileBytes(folder.file("copy.pro"), "profiles");
    struct Case { QString path, dataFolder; bool store; };
    const Case cases[] = {
        {folder.storeFile("pro.data"), data, true},         {folder.storeFile("macro.data"), data, true},
        {data + "ms_1/../ms_1//./pro.data", data, true},    {folder.file("hard.pro"), data, true},
        {folder.file("soft.macro"), data, true},            {folder.storeFile("pro.data"), folder.file("linked/"), true},
        {folder.file("copy.pro"), data, false},             {folder.file("new.pro"), data, false},
        {folder.storeFile("pro.data.damaged"), data, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsStoreFile(c.path, c.dataFolder), c.store) << c.path.toStdString();
}

TEST(FileStamp, ChangesWithEveryReplacement) {
    TempDataFolder folder;
    const QString path = folder.file("f");
    EXPECT_FALSE(StampOf(path).exists);
    WriteFileBytes(path, "one");
    const FileStamp first = StampOf(path);
    EXPECT_TRUE(first.exists && first == StampOf(path));  // same size, and possibly the same time: the new inode tells
    WriteFileBytes(folder.file("g"), "two");
    ASSERT_TRUE(QFile::remove(path) && QFile::rename(folder.file("g"), path));
    EXPECT_NE(StampOf(path), first);
}

}  // namespace

TEST(SharedRecordList, ACopyStaysAsTakenWhileTheOriginalChangesAndOnlyChangedRecordsAreCopied) {
    ProfileList list;
    for (int i = 0; i < 3; ++i)
        AddDefaultProfile(list);
    const ProfileList snapshot = list;
    const ProfileRecord* untouched = snapshot[2].get();
    list[1]->current_stage = 5;
    list.erase(list.begin());
    AddDefaultProfile(list);
    ASSERT_EQ(snapshot.size(), 3u);
    EXPECT_EQ(snapshot[1]->current_stage, 1);
    EXPECT_EQ(std::as_const(list)[0]->current_stage, 5);
    EXPECT_EQ(std::as_const(list)[1].get(), untouched);
    EXPECT_TRUE(std::as_const(list)[1].IsShared());
}
