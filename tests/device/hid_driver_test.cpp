// The hidapi driver libraries where no mouse is attached: links stay closed, nothing is posted.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <vector>

#include "device/driver_library.h"

namespace {

void Record(void* context, uint32_t message, uintptr_t, intptr_t)
{
    static_cast<std::vector<uint32_t>*>(context)->push_back(message);
}

TEST(HidDriver, WithoutTheMouseEveryCallFailsQuietly)
{
    for (const char* name : {"hiddriver_2.so", "hiddriver_1.so"}) {
        auto library = DriverLibrary::Load(QStringLiteral(KARVO_BIN_DIR "/") + QLatin1String(name));
        ASSERT_TRUE(library) << name;
        const DriverFunctions& driver = library->Functions();
        std::vector<uint32_t> posted;
        const KarvoPostTarget target{&posted, Record};
        driver.Set_VIDPID(0x1D57, 0x7FFF);  // an ID no device answers to
        driver.Open_DevMonitor(&target, 1327, 1328);
        EXPECT_EQ(driver.Open_FeatureDevice(), 0);
        const uint8_t report[9] = {6, 9, 1, 2, 0, 0, 0, 0, 0};
        EXPECT_EQ(driver.SetFeature(report, 9), 0);
        EXPECT_EQ(driver.Close_FeatureDevice(), 1);
        EXPECT_EQ(driver.Close_DevMonitor(), 1);
        EXPECT_TRUE(posted.empty());
    }
}

// The names of this process's threads.
QStringList ThreadNames()
{
    QStringList names;
    for (const QString& task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(QStringLiteral("/proc/self/task/%1/comm").arg(task));
        if (comm.open(QIODevice::ReadOnly))
            names << QString::fromUtf8(comm.readAll()).trimmed();
    }
    return names;
}

TEST(HidDriver, MonitorsStartAndStopWithoutTheMouse)
{
    const struct {
        const char* library;
        const char* thread;
    } links[] = {{"hiddriver_2.so", "hid-cable"}, {"hiddriver_1.so", "hid-receiver"}};
    for (const auto& link : links) {
        auto library = DriverLibrary::Load(QStringLiteral(KARVO_BIN_DIR "/") + QLatin1String(link.library));
        ASSERT_TRUE(library) << link.library;
        const DriverFunctions& driver = library->Functions();
        std::vector<uint32_t> posted;
        const KarvoPostTarget target{&posted, Record};
        driver.Set_VIDPID(0x1D57, 0x7FFF);
        for (int round = 0; round < 3; ++round) {
            ASSERT_EQ(driver.Open_DevMonitor(&target, 1327, 1328), 1) << link.library;
            EXPECT_EQ(driver.Open_DevMonitor(&target, 1327, 1328), 1);  // a second open changes nothing
            EXPECT_EQ(ThreadNames().count(QLatin1String(link.thread)), 1) << link.library;
            // The monitor sleeps in poll() and is woken to stop; it does not finish a period first.
            // The bound only guards against a monitor that never stops.
            QElapsedTimer stopping;
            stopping.start();
            EXPECT_EQ(driver.Close_DevMonitor(), 1);
            EXPECT_LT(stopping.elapsed(), 2000);
            EXPECT_EQ(ThreadNames().count(QLatin1String(link.thread)), 0) << link.library;
        }
        EXPECT_EQ(driver.Close_DevMonitor(), 1);  // closing a closed monitor is harmless
        EXPECT_TRUE(posted.empty());
    }
}

}  // namespace
