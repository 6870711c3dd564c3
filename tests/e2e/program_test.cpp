// Starts the real utility headless, as a user's session would.

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace {

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("run")));
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("karvo.app.*=true"));
    }

    void TearDown() override
    {
        if (first.state() != QProcess::NotRunning) {
            first.kill();
            first.waitForFinished();
        }
    }

    void StartFirst()
    {
        first.setProcessEnvironment(env);
        first.setProcessChannelMode(QProcess::MergedChannels);
        first.start(QStringLiteral(KARVO_PATH), {});
        ASSERT_TRUE(first.waitForStarted());
        // Ready once it holds the instance and has loaded (or created) the profile store.
        for (int i = 0; i < 200 && !(output.contains("the running instance listens") && QFileInfo::exists(storePath())); ++i) {
            first.waitForReadyRead(50);
            output += first.readAll();
        }
        ASSERT_TRUE(output.contains("the running instance listens")) << output.toStdString();
        ASSERT_TRUE(QFileInfo::exists(storePath()));
    }

    int RunSecond()
    {
        QProcess second;
        second.setProcessEnvironment(env);
        second.start(QStringLiteral(KARVO_PATH), {});
        EXPECT_TRUE(second.waitForFinished(15000));
        return second.exitCode();
    }

    QString storePath() const { return home.filePath(QStringLiteral("data/Karvo Gaming Mouse/ms_1/pro.data")); }

    QTemporaryDir home;
    QProcessEnvironment env;
    QProcess first;
    QByteArray output;
};

TEST_F(ProgramTest, SecondStartExitsOneAndTheFirstKeepsRunning)
{
    StartFirst();
    EXPECT_EQ(QFileInfo(storePath()).size(), 197860);
    EXPECT_EQ(RunSecond(), 1);
    // Without a mouse the first instance lives on with its window hidden, and hears the second.
    EXPECT_FALSE(first.waitForFinished(1000));
    EXPECT_EQ(first.state(), QProcess::Running);
    first.waitForReadyRead(1000);
    output += first.readAll();
    EXPECT_TRUE(output.contains("a second start asks this instance to come forward")) << output.toStdString();
}

TEST_F(ProgramTest, CrashedInstanceDoesNotBlockTheNextStart)
{
    StartFirst();
    first.kill();
    first.waitForFinished();
    output.clear();
    StartFirst();
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(RunSecond(), 1);
}

// A normal start says nothing of its own: the start-up's debug lines and the missing-hook notice
// stay in the log categories until QT_LOGGING_RULES asks for them.
TEST_F(ProgramTest, NormalStartPrintsNothing)
{
    env.remove(QStringLiteral("QT_LOGGING_RULES"));
    first.setProcessEnvironment(env);
    first.setProcessChannelMode(QProcess::MergedChannels);
    first.start(QStringLiteral(KARVO_PATH), {});
    ASSERT_TRUE(first.waitForStarted());
    for (int i = 0; i < 200 && !QFileInfo::exists(storePath()); ++i)
        first.waitForReadyRead(50);
    first.waitForReadyRead(500);
    output += first.readAll();
    ASSERT_TRUE(QFileInfo::exists(storePath()));
    EXPECT_FALSE(output.contains("karvo.")) << output.toStdString();
    EXPECT_FALSE(output.contains("ilen")) << output.toStdString();
    EXPECT_FALSE(output.contains("Hook")) << output.toStdString();
}

}  // namespace

namespace {

TEST_F(ProgramTest, KeysAreNamedByTheDesktopsLayout)
{
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("XKB_DEFAULT_LAYOUT"), QStringLiteral("fr"));
    StartFirst();
    EXPECT_TRUE(output.contains("keyboard layout from \"the XKB names of the environment\"")) << output.toStdString();
}

TEST_F(ProgramTest, AnUnreadableLayoutIsReportedAndTheProgramRunsOn)
{
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("XKB_DEFAULT_LAYOUT"), QStringLiteral("no-such-layout"));
    StartFirst();
    EXPECT_TRUE(output.contains("the desktop's keyboard layout cannot be read")) << output.toStdString();
    EXPECT_EQ(first.state(), QProcess::Running);
}

}  // namespace
