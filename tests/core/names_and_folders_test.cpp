// Unique names in the profile and macro lists, and where the program and data folders are.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>

#include "core/storage/app_folders.h"
#include "core/storage/macro_store.h"
#include "core/storage/profile_store.h"
#include "core/storage/store_names.h"
#include "core/text/language_text.h"
#include "support/test_files.h"

namespace {

ProfileList ProfilesNamed(std::initializer_list<const char*> names) {
    ProfileList list;
    for (const char* name : names)
        list.push_back(CreateProfile(QString::fromUtf8(name)));
    return list;
}

TEST(StoreNames, ExistenceAndSuffixesIgnoreLetterCase) {
    ProfileList list = ProfilesNamed({"Profile1", "Work"});
    EXPECT_TRUE(NameExists(list, QStringLiteral("profile1")));
    EXPECT_TRUE(NameExists(list, QStringLiteral("WORK")));
    EXPECT_FALSE(NameExists(list, QStringLiteral("Profile")));
    EXPECT_EQ(MakeUniqueName(list, QStringLiteral("Game")), QStringLiteral("Game"));
    EXPECT_EQ(MakeUniqueName(list, QStringLiteral("PROFILE1")), QStringLiteral("PROFILE1_1"));
    list.push_back(CreateProfile(QStringLiteral("profile1_1")));
    EXPECT_EQ(MakeUniqueName(list, QStringLiteral("Profile1")), QStringLiteral("Profile1_2"));
}

TEST(StoreNames, GeneratedNamesAreShortenedToFitTheirField) {
    const QString longBase(60, QLatin1Char('m'));
    MacroList macros;
    macros.push_back(CreateMacro(longBase));  // stored cut to 23 characters
    EXPECT_EQ(MakeUniqueName(macros, longBase), QString(21, QLatin1Char('m')) + QStringLiteral("_1"));
    ProfileList profiles = ProfilesNamed({});
    profiles.push_back(CreateProfile(QString(99, QLatin1Char('p'))));
    EXPECT_EQ(MakeUniqueName(profiles, QString(99, QLatin1Char('p'))), QString(97, QLatin1Char('p')) + "_1");
}

TEST(StoreNames, DefaultNamesComeFromTheLanguageTextsAndSkipTakenNames) {
    ProfileList list = ProfilesNamed({"profile2"});
    EXPECT_EQ(ProfileName(AddDefaultProfile(list)), QStringLiteral("Profile2_1"));
    SetTextLookup([](const QString& key) {
        return key == QLatin1String("add_profile_text") ? QStringLiteral("Profil") : QString();
    });
    ProfileList empty;
    EXPECT_EQ(ProfileName(AddDefaultProfile(empty)), QStringLiteral("Profil1"));
    SetTextLookup({});
    EXPECT_EQ(LanguageText(QStringLiteral("add_macro_text")), QStringLiteral("Macro"));
}

class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : m_name(name), m_old(qgetenv(name)), m_had(qEnvironmentVariableIsSet(name)) {
        qputenv(name, value);
    }
    ~ScopedEnv() { m_had ? qputenv(m_name, m_old) : qunsetenv(m_name); }

private:
    const char* m_name;
    QByteArray m_old;
    bool m_had;
};

TEST(AppFolders, ProgramFolderAndDataFolderInsideUserData) {
    EXPECT_EQ(GetAppFolder(), QCoreApplication::applicationDirPath() + QLatin1Char('/'));
    TempDataFolder home;
    ScopedEnv xdg("XDG_DATA_HOME", (home.path() + QStringLiteral("share")).toUtf8());
    const QString expected = home.path() + QStringLiteral("share/Karvo Gaming Mouse/");
    EXPECT_EQ(GetDataFolder(), expected);  // made on first use
    EXPECT_TRUE(QFileInfo(expected).isDir());
    EXPECT_EQ(GetDataFolder(), expected);  // found, nothing more to make
}

TEST(AppFolders, FileInPlaceOfDataFolderCountsAsMissingAndPathIsReturned) {
    TempDataFolder home;
    ScopedEnv xdg("XDG_DATA_HOME", home.path().toUtf8());
    WriteFileBytes(home.path() + QStringLiteral("Karvo Gaming Mouse"), "not a folder");
    EXPECT_EQ(GetDataFolder(), home.path() + QStringLiteral("Karvo Gaming Mouse/"));
    EXPECT_TRUE(QFileInfo(home.path() + QStringLiteral("Karvo Gaming Mouse")).isFile());
}

}  // namespace
