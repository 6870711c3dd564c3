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

QStringList StoreFolderEntries(const TempDataFolder& folder)
{
    return QDir(folder.path() + QStringLiteral("ms_1"))
        .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

struct UnreadableCase {
    const char* name;
    // Puts something unreadable at the store's path.
    std::function<void(const QString& path)> make;
    bool needsNonRoot = false;
};

void PrintTo(const UnreadableCase& c, std::ostream* os)
{
    *os << c.name;
}

const std::vector<UnreadableCase>& UnreadableCases()
{
    static const std::vector<UnreadableCase> cases = {
        {"folder_in_its_place", [](const QString& path) { ASSERT_TRUE(QDir().mkpath(path)); }},
        {"symlink_loop",
         [](const QString& path) {
             QDir().mkpath(QFileInfo(path).absolutePath());
             ASSERT_TRUE(QFile::link(path + QStringLiteral(".loop"), path));
             ASSERT_TRUE(QFile::link(path, path + QStringLiteral(".loop")));
         }},
        {"link_to_nothing",
         [](const QString& path) {
             QDir().mkpath(QFileInfo(path).absolutePath());
             ASSERT_TRUE(QFile::link(path + QStringLiteral(".elsewhere"), path));
         }},
        // Reading /proc/self/mem from its start fails with an I/O error.
        {"io_error",
         [](const QString& path) {
             QDir().mkpath(QFileInfo(path).absolutePath());
             ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/mem"), path));
         }},
        {"no_permission",
         [](const QString& path) {
             WriteFileBytes(path, QByteArray(10, 'x'));
             ASSERT_TRUE(QFile::setPermissions(path, {}));
         },
         true},
    };
    return cases;
}

class UnreadableStore : public ::testing::TestWithParam<UnreadableCase> {
protected:
    void SetUp() override
    {
        if (GetParam().needsNonRoot && ::geteuid() == 0)
            GTEST_SKIP() << "permissions do not hold for root";
    }
};

TEST_P(UnreadableStore, ProfileStoreIsLeftAloneAndReported)
{
    TempDataFolder folder;
    const QString path = folder.storeFile("pro.data");
    GetParam().make(path);
    const QStringList before = StoreFolderEntries(folder);

    ProfileList profiles;
    auto header = std::make_unique<StoreHeader>();
    const StoreLoadResult result = LoadProfileStore(profiles, *header, folder.path());
    EXPECT_EQ(result.outcome, StoreLoadResult::Outcome::Unreadable);
    EXPECT_FALSE(result.problem.isEmpty());
    EXPECT_FALSE(result.saved);
    EXPECT_TRUE(result.keptAsidePath.isEmpty());
    ASSERT_EQ(profiles.size(), 1u);  // something to work with, in memory only
    EXPECT_EQ(header->current_profile_index, 0u);
    EXPECT_EQ(StoreFolderEntries(folder), before);
}

TEST_P(UnreadableStore, MacroStoreIsLeftAloneAndReported)
{
    TempDataFolder folder;
    const QString path = folder.storeFile("macro.data");
    GetParam().make(path);
    const QStringList before = StoreFolderEntries(folder);

    MacroList macros;
    const StoreLoadResult result = LoadMacroStore(macros, folder.path());
    EXPECT_EQ(result.outcome, StoreLoadResult::Outcome::Unreadable);
    EXPECT_FALSE(result.problem.isEmpty());
    EXPECT_TRUE(macros.empty());
    EXPECT_EQ(StoreFolderEntries(folder), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, UnreadableStore, ::testing::ValuesIn(UnreadableCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReadStoreBytes, MissingFileAndMissingFolderAreMissing)
{
    TempDataFolder folder;
    QByteArray bytes;
    QString reason;
    EXPECT_EQ(ReadStoreBytes(folder.storeFile("pro.data"), &bytes, &reason), StoreFileState::Missing);
    WriteFileBytes(folder.file(QStringLiteral("ms_1")), "a file where the folder belongs");
    EXPECT_EQ(ReadStoreBytes(folder.storeFile("pro.data"), &bytes, &reason), StoreFileState::Missing);
}

TEST(IsStoreFile, ComparesFilesNotSpellings)
{
    TempDataFolder folder;
    WriteFileBytes(folder.storeFile("pro.data"), "profiles");
    WriteFileBytes(folder.storeFile("macro.data"), "macros");
    const QString data = folder.path();

    EXPECT_TRUE(IsStoreFile(folder.storeFile("pro.data"), data));
    EXPECT_TRUE(IsStoreFile(folder.storeFile("macro.data"), data));
    EXPECT_TRUE(IsStoreFile(data + QStringLiteral("ms_1/../ms_1//./pro.data"), data));

    const QString hardLink = folder.file(QStringLiteral("hard.pro"));
    ASSERT_EQ(::link(QFile::encodeName(folder.storeFile("pro.data")).constData(),
                     QFile::encodeName(hardLink).constData()),
              0);
    EXPECT_TRUE(IsStoreFile(hardLink, data));

    const QString softLink = folder.file(QStringLiteral("soft.macro"));
    ASSERT_TRUE(QFile::link(folder.storeFile("macro.data"), softLink));
    EXPECT_TRUE(IsStoreFile(softLink, data));

    // Another spelling of the data folder itself.
    const QString linkedData = folder.file(QStringLiteral("linked"));
    ASSERT_TRUE(QFile::link(data, linkedData));
    EXPECT_TRUE(IsStoreFile(folder.storeFile("pro.data"), linkedData + QLatin1Char('/')));

    WriteFileBytes(folder.file(QStringLiteral("copy.pro")), "profiles");
    EXPECT_FALSE(IsStoreFile(folder.file(QStringLiteral("copy.pro")), data));
    EXPECT_FALSE(IsStoreFile(folder.file(QStringLiteral("new.pro")), data));
    EXPECT_FALSE(IsStoreFile(folder.storeFile("pro.data.damaged"), data));
}

TEST(IsStoreFile, StoreNotYetCreatedIsStillAStore)
{
    TempDataFolder folder;
    WriteFileBytes(folder.storeFile("pro.data"), "profiles");
    EXPECT_TRUE(IsStoreFile(folder.storeFile("macro.data"), folder.path()));
    const QString dangling = folder.file(QStringLiteral("to-macros.macro"));
    ASSERT_TRUE(QFile::link(folder.storeFile("macro.data"), dangling));
    EXPECT_TRUE(IsStoreFile(dangling, folder.path()));
}

TEST(FileStamp, ChangesWithEveryReplacement)
{
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
