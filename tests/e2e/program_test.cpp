// Starts the real utility headless, as a user's session would: one instance at a time, also after
// a crash, and a start that says only what the log rules ask for.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "support/wait.h"

namespace {

const struct {
    const char* rules;  // QT_LOGGING_RULES
    const char* layout;  // XKB_DEFAULT_LAYOUT, with no X server
    const char* says;  // "" = nothing of its own
} kStarts[] = {
    {"karvo.app.*=true", "fr", "keyboard layout from \"the XKB names of the environment\""},
    {"karvo.app.*=true", "no-such-layout", "the desktop's keyboard layout cannot be read"}, {"", "us", ""},
};

// Each start follows the kill of the one before, as a crash would: the next start is not blocked.
TEST(Program, OneInstanceRunsAndSaysOnlyWhatTheLogRulesAskFor) {
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("run")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (const auto& row : kStarts) {
        SCOPED_TRACE(row.layout);
        // A store of its own: the instance is claimed before the store is made, so its making says "ready".
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QLatin1String(row.layout)));
        const QString store = home.filePath(QLatin1String(row.layout) + QStringLiteral("/Karvo Gaming Mouse/ms_1/pro.data"));
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QLatin1String(row.rules));
        env.insert(QStringLiteral("XKB_DEFAULT_LAYOUT"), QLatin1String(row.layout));
        QProcess first;
        QByteArray output;
        first.setProcessEnvironment(env);
        first.setProcessChannelMode(QProcess::MergedChannels);
        first.start(QStringLiteral(KARVO_PATH), {});
        // Ready once it has loaded (or created) the profile store and said what it says.
        ASSERT_TRUE(WaitFor([&] { return (output += first.readAll()).contains(row.says) && QFileInfo(store).size() == 197860; }))
            << output.toStdString();
        EXPECT_EQ(RunTool(QStringLiteral(KARVO_PATH), {}, env).exitCode, 1);
        // Without a mouse the first instance lives on with its window hidden, and hears the second.
        if (*row.rules) {
            EXPECT_TRUE(WaitForOutput(first, output, "a second start asks this instance to come forward")) << output.toStdString();
        } else {  // the start-up's debug lines and the missing-hook notice stay in their log categories
            EXPECT_FALSE(WaitFor([&] {
                return (output += first.readAll()).contains("karvo.") || output.contains("ilen") || output.contains("Hook");
            }, 500)) << output.toStdString();
        }
        EXPECT_EQ(first.state(), QProcess::Running);
        first.kill();
        first.waitForFinished();
    }
}

}  // namespace
