// Stores that are there but out of reach, and telling a store file from any other.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <unistd.h>

#include "core/storage/macro_store.h"
#include "core/storage/profile_store.h"
#include "core/storage/store_access.h"
#include "support/test_files.h"

namespace {

QStringList StoreFolderEntries(const TempDataFolder& folder) {
    return QDir(folder.path() + QStringLiteral("ms_1"))
        .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

void LinkBeside(const QString& target, const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    ASSERT_TRUE(QFile::link(target, path));
}

struct UnreadableCase {
    const char* name;
    std::function<void(const QString& path)> make;  // puts something unreadable at the store's path
    bool needsNonRoot;
};

const UnreadableCase kUnreadable[] = {
    {"folder_in_its_place", [](const QString& path) { ASSERT_TRUE(QDir().mkpath(path)); }, false},
    {"symlink_loop", [](const QString& path) {
         LinkBeside(path + QStringLiteral(".loop"), path);
         LinkBeside(path, path + QStringLiteral(".loop"));
     }, false},
    {"link_to_nothing", [](const QString& path) { LinkBeside(path + QStringLiteral(".elsewhere"), path); }, false},
    // Reading /proc/self/mem from its start fails with an I/O error.
    {"io_error", [](const QString& path) { LinkBeside(QStringLiteral("/proc/self/mem"), path); }, false},
    {"no_permission", [](const QString& path) {
         WriteFileBytes(path, QByteArray(10, 'x'));
         ASSERT_TRUE(QFile::setPermissions(path, {}));
     }, true},
};

TEST(UnreadableStore, IsLeftAloneAndReportedForBothStores) {
    for (const UnreadableCase& c : kUnreadable) {
        if (c.needsNonRoot && ::geteuid() == 0)
            continue;  // permissions do not hold for root
        for (const char* store : {"pro.data", "macro.data"}) {
            SCOPED_TRACE(testing::Message() << c.name << " " << store);
            TempDataFolder folder;
            c.make(folder.storeFile(store));
            const QStringList before = StoreFolderEntries(folder);
            ProfileList profiles;
            auto header = std::make_unique<StoreHeader>();
            MacroList macros;
            const bool profileStore = QLatin1String(store) == QLatin1String("pro.data");
            const StoreLoadResult result = profileStore ? LoadProfileStore(profiles, *header, folder.path())
                                                        : LoadMacroStore(macros, folder.path());
            EXPECT_EQ(result.outcome, StoreLoadResult::Outcome::Unreadable);
            EXPECT_FALSE(result.problem.isEmpty());
            EXPECT_FALSE(result.saved);
            EXPECT_TRUE(result.keptAsidePath.isEmpty());
            EXPECT_EQ(profiles.size(), profileStore ? 1u : 0u);  // something to work with, in memory only
            EXPECT_EQ(header->current_profile_index, 0u);
            EXPECT_TRUE(macros.empty());
            EXPECT_EQ(StoreFolderEntries(folder), before);
        }
    }
}

TEST(ReadStoreBytes, MissingFileAndMissingFolderAreMissing) {
    TempDataFolder folder;
    QByteArray bytes;
    QString reason;
    EXPECT_EQ(ReadStoreBytes(folder.storeFile("pro.data"), &bytes, &reason), StoreFileState::Missing);
    WriteFileBytes(folder.file(QStringLiteral("ms_1")), "a file where the folder belongs");
    EXPECT_EQ(ReadStoreBytes(folder.storeFile("pro.data"), &bytes, &reason), StoreFileState::Missing);
}

TEST(IsStoreFile, ComparesFilesNotSpellings) {
    TempDataFolder folder;
    WriteFileBytes(folder.storeFile("pro.data"), "profiles");
    const QString data = folder.path();
    // macro.data is not there yet: still a store, also through a link to it.
    EXPECT_TRUE(IsStoreFile(folder.storeFile("macro.data"), data));
    LinkBeside(folder.storeFile("macro.data"), folder.file(QStringLiteral("to-macros.macro")));
    EXPECT_TRUE(IsStoreFile(folder.file(QStringLiteral("to-macros.macro")), data));

    WriteFileBytes(folder.storeFile("macro.data"), "macros");
    ASSERT_EQ(::link(QFile::encodeName(folder.storeFile("pro.data")).constData(),
                     QFile::encodeName(folder.file(QStringLiteral("hard.pro"))).constData()), 0);
    LinkBeside(folder.storeFile("macro.data"), folder.file(QStringLiteral("soft.macro")));
    LinkBeside(data, folder.file(QStringLiteral("linked")));  // another spelling of the data folder
    WriteFileBytes(folder.file(QStringLiteral("copy.pro")), "profiles");
    struct Case { QString path, dataFolder; bool store; };
    const Case cases[] = {
        {folder.storeFile("pro.data"), data, true},
        {folder.storeFile("macro.data"), data, true},
        {data + QStringLiteral("ms_1/../ms_1//./pro.data"), data, true},
        {folder.file(QStringLiteral("hard.pro")), data, true},
        {folder.file(QStringLiteral("soft.macro")), data, true},
        {folder.storeFile("pro.data"), folder.file(QStringLiteral("linked/")), true},
        {folder.file(QStringLiteral("copy.pro")), data, false},
        {folder.file(QStringLiteral("new.pro")), data, false},
        {folder.storeFile("pro.data.damaged"), data, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsStoreFile(c.path, c.dataFolder), c.store) << c.path.toStdString();
}

TEST(FileStamp, ChangesWithEveryReplacement) {
    TempDataFolder folder;
    const QString path = folder.file(QStringLiteral("f"));
    EXPECT_FALSE(StampOf(path).exists);
    WriteFileBytes(path, "one");
    const FileStamp first = StampOf(path);
    EXPECT_TRUE(first.exists);
    EXPECT_EQ(first, StampOf(path));
    // Same size, and possibly the same time: the new inode tells.
    const QString other = folder.file(QStringLiteral("g"));
    WriteFileBytes(other, "two");
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::rename(other, path));
    EXPECT_NE(StampOf(path), first);
}

}  // namespace
