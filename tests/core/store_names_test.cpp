#include <gtest/gtest.h>

#include "core/text/language_text.h"
#include "core/storage/macro_store.h"
#include "core/storage/profile_store.h"
#include "core/storage/store_names.h"

namespace {

ProfileList ProfilesNamed(std::initializer_list<const char*> names)
{
    ProfileList list;
    for (const char* name : names)
        list.push_back(CreateProfile(QString::fromUtf8(name)));
    return list;
}

TEST(StoreNames, ExistenceIgnoresLetterCase)
{
    const ProfileList list = ProfilesNamed({"Profile1", "Work"});
    EXPECT_TRUE(NameExists(list, QStringLiteral("profile1")));
    EXPECT_TRUE(NameExists(list, QStringLiteral("WORK")));
    EXPECT_FALSE(NameExists(list, QStringLiteral("Profile")));
}

TEST(StoreNames, SuffixesCountUpAcrossLetterCase)
{
    ProfileList list = ProfilesNamed({"Profile1"});
    EXPECT_EQ(MakeUniqueName(list, QStringLiteral("Game")), QStringLiteral("Game"));
    EXPECT_EQ(MakeUniqueName(list, QStringLiteral("PROFILE1")), QStringLiteral("PROFILE1_1"));
    list.push_back(CreateProfile(QStringLiteral("profile1_1")));
    EXPECT_EQ(MakeUniqueName(list, QStringLiteral("Profile1")), QStringLiteral("Profile1_2"));
}

TEST(StoreNames, GeneratedNamesAreShortenedToFitTheirField)
{
    const QString longBase(60, QLatin1Char('m'));
    MacroList macros;
    macros.push_back(CreateMacro(longBase));  // stored cut to 23 characters
    const QString name = MakeUniqueName(macros, longBase);
    EXPECT_EQ(name, QString(21, QLatin1Char('m')) + QStringLiteral("_1"));

    ProfileList profiles;
    profiles.push_back(CreateProfile(QString(99, QLatin1Char('p'))));
    const QString profileName = MakeUniqueName(profiles, QString(99, QLatin1Char('p')));
    EXPECT_EQ(profileName.size(), 99);
    EXPECT_TRUE(profileName.endsWith(QStringLiteral("_1")));
}

TEST(StoreNames, DefaultProfileNameSkipsTakenNames)
{
    ProfileList list = ProfilesNamed({"profile2"});
    EXPECT_EQ(ProfileName(AddDefaultProfile(list)), QStringLiteral("Profile2_1"));
}

TEST(StoreNames, DefaultNamesComeFromTheLanguageTexts)
{
    SetTextLookup([](const QString& key) {
        return key == QLatin1String("add_profile_text") ? QStringLiteral("Profil") : QString();
    });
    ProfileList list;
    EXPECT_EQ(ProfileName(AddDefaultProfile(list)), QStringLiteral("Profil1"));
    SetTextLookup({});
    EXPECT_EQ(LanguageText(QStringLiteral("add_macro_text")), QStringLiteral("Macro"));
}

}  // namespace
