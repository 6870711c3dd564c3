#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <future>

#include "app/shell/single_instance.h"
#include "support/ui_test_support.h"

namespace {

TEST(SingleInstance, SecondClaimFailsAndActivatesTheFirst)
{
    QTemporaryDir dir;
    SingleInstance first(QStringLiteral("Karvo Test"), dir.path());
    ASSERT_TRUE(first.Claim());
    int activations = 0;
    first.SetActivationHandler([&] { ++activations; });

    SingleInstance second(QStringLiteral("Karvo Test"), dir.path());
    EXPECT_FALSE(second.Claim());
    // The second start waits for the first to answer, so it runs beside this event loop.
    auto reached = std::async(std::launch::async, [&] { return second.ActivateRunning(); });
    QElapsedTimer clock;
    clock.start();
    while (activations == 0 && clock.elapsed() < 5000)
        ProcessPending();
    EXPECT_TRUE(reached.get());
    EXPECT_EQ(activations, 1);
}

TEST(SingleInstance, CrashedFirstInstanceDoesNotBlockTheNext)
{
    QTemporaryDir dir;
    const QString base = dir.path() + QStringLiteral("/Karvo Test");
    // What a crashed instance leaves: a lock naming a process that is gone, and its socket file.
    QFile lock(base + QStringLiteral(".lock"));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write("999999999\nkarvo\n\n");
    lock.close();
    QFile socket(base + QStringLiteral(".socket"));
    ASSERT_TRUE(socket.open(QIODevice::WriteOnly));
    socket.close();

    SingleInstance next(QStringLiteral("Karvo Test"), dir.path());
    EXPECT_TRUE(next.Claim());
}

TEST(SingleInstance, NoRunningInstanceToActivate)
{
    QTemporaryDir dir;
    SingleInstance lone(QStringLiteral("Karvo Test"), dir.path());
    EXPECT_FALSE(lone.ActivateRunning());
}

}  // namespace
