#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "core/storage/app_folders.h"
#include "support/test_files.h"

namespace {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value) : m_name(name), m_old(qgetenv(name)), m_had(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    QByteArray m_old;
    bool m_had;
};

TEST(AppFolders, AppFolderIsTheProgramFolderWithSeparator)
{
    EXPECT_EQ(GetAppFolder(), QCoreApplication::applicationDirPath() + QLatin1Char('/'));
}

TEST(AppFolders, DataFolderIsCreatedInsideUserDataOnFirstUse)
{
    TempDataFolder home;
    const QString userData = home.path() + QStringLiteral("share");
    ScopedEnv xdg("XDG_DATA_HOME", userData.toUtf8());

    const QString expected = userData + QStringLiteral("/Karvo Gaming Mouse/");
    EXPECT_EQ(GetDataFolder(), expected);
    EXPECT_TRUE(QFileInfo(expected).isDir());
    EXPECT_EQ(GetDataFolder(), expected);  // found, nothing more to create
}

TEST(AppFolders, FileInPlaceOfDataFolderCountsAsMissingAndPathIsReturned)
{
    TempDataFolder home;
    ScopedEnv xdg("XDG_DATA_HOME", home.path().toUtf8());
    WriteFileBytes(home.path() + QStringLiteral("Karvo Gaming Mouse"), "not a folder");
    EXPECT_EQ(GetDataFolder(), home.path() + QStringLiteral("Karvo Gaming Mouse/"));
    EXPECT_TRUE(QFileInfo(home.path() + QStringLiteral("Karvo Gaming Mouse")).isFile());
}

}  // namespace
