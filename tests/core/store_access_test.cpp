// Stores that are there but out of reach, telling a store file from any other, and file stamps.
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

void LinkBeside(const QString& target, const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    ASSERT_TRUE(QFile::link(target, path));
}

struct UnreadableCase {
    const char* name;
    std::function<void(const QString& path)> make;  // puts something unreadable at the store's path
};
const UnreadableCase kUnreadable[] = {
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
    for (const UnreadableCase& c : kUnreadable) {
        if (::geteuid() == 0 && c.name == std::string("no_permission"))
            continue;
        for (const bool profileStore : {true, false}) {
            SCOPED_TRACE(testing::Message() << c.name << (profileStore ? " pro.data" : " macro.data"));
            TempDataFolder folder;
            c.make(folder.storeFile(profileStore ? "pro.data" : "macro.data"));
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
            EXPECT_EQ(std::tuple(profiles.size(), header->current_profile_index, macros.size()),
                      std::tuple(profileStore ? 1u : 0u, 0u, 0u));
            EXPECT_EQ(entries(), before);
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
    EXPECT_TRUE(first.exists);
    EXPECT_EQ(first, StampOf(path));
    // Same size, and possibly the same time: the new inode tells.
    WriteFileBytes(folder.file("g"), "two");
    ASSERT_TRUE(QFile::remove(path) && QFile::rename(folder.file("g"), path));
    EXPECT_NE(StampOf(path), first);
}

}  // namespace
