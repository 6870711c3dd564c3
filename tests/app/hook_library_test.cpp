#include <gtest/gtest.h>

#include "app/shell/hook_library.h"
#include <QFile>
#include <QTemporaryDir>

namespace {

const QString kFakeHookFolder = QStringLiteral(FAKE_HOOK_DIR "/");

TEST(HookLibrary, MissingLibraryLeavesTheTableEmpty)
{
    HookLibrary hooks;
    EXPECT_FALSE(hooks.Load(QStringLiteral("/nonexistent/")));
    EXPECT_TRUE(hooks.Table().IsEmpty());
    const KarvoPostTarget target{nullptr, nullptr};
    EXPECT_FALSE(hooks.Table().InstallHook(&target));  // the caller falls back to its own window
    hooks.Free();
}

TEST(HookLibrary, ResolvesTheSevenEntriesAndRemovesHooksWhenFreed)
{
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("calls"));
    qputenv("KARVO_FAKE_HOOK_LOG", log.toUtf8());

    HookLibrary hooks;
    ASSERT_TRUE(hooks.Load(kFakeHookFolder));
    const HookTable& table = hooks.Table();
    EXPECT_TRUE(table.installmousehook && table.removemousehook && table.enablemousehook && table.installhook
                && table.removehook && table.enablehook && table.mousewheelenable);
    const KarvoPostTarget target{nullptr, nullptr};
    EXPECT_TRUE(table.InstallHook(&target));
    table.EnableHook(1);
    table.MouseWheelEnable(0);
    hooks.Free();
    EXPECT_TRUE(hooks.Table().IsEmpty());
    qunsetenv("KARVO_FAKE_HOOK_LOG");
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("installhook(target);enablehook(1);mousewheelenable(0);removemousehook;removehook;"));
}

}  // namespace
