// The hidapi driver libraries where no mouse is attached: every call fails quietly, nothing is
// posted, and the monitor thread comes and goes with its open and close.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "device/driver_library.h"
#include "device/links_rig.h"

namespace {

// How many threads of this process carry the name.
int ThreadsNamed(const char* name)
{
    int count = 0;
    for (const QString& task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(QStringLiteral("/proc/self/task/%1/comm").arg(task));
        count += comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == name;
    }
    return count;
}

TEST(HidDriver, WithoutTheMouseCallsFailQuietlyAndTheMonitorStartsAndStops)
{
    const char* const links[][2] = {{"hiddriver_2.so", "hid-cable"}, {"hiddriver_1.so", "hid-receiver"}};
    for (const auto& [file, thread] : links) {
        SCOPED_TRACE(file);
        auto library = DriverLibrary::Load(QStringLiteral(KARVO_BIN_DIR "/") + QLatin1String(file));
        ASSERT_TRUE(library);
        const DriverFunctions& driver = library->Functions();
        PostLog posted;
        const KarvoPostTarget* const target = &posted.target;
        driver.Set_VIDPID(0x1D57, 0x7FFF);  // an ID no device answers to
        const uint8_t report[9] = {6, 9, 1, 2, 0, 0, 0, 0, 0};
        for (int round = 0; round < 3; ++round) {  // in order (braces); a second open changes nothing
            EXPECT_EQ((std::pair{driver.Open_DevMonitor(target, 1327, 1328), driver.Open_DevMonitor(target, 1327, 1328)}), std::pair(1, 1));
            EXPECT_EQ(ThreadsNamed(thread), 1);
            EXPECT_EQ((std::tuple{driver.Open_FeatureDevice(), driver.SetFeature(report, 9), driver.Close_FeatureDevice()}), std::tuple(0, 0, 1));
            EXPECT_EQ(driver.Close_DevMonitor(), 1);  // without a timeout: a close that did not wake it would hang here
            EXPECT_EQ(ThreadsNamed(thread), 0);
        }
        EXPECT_EQ(driver.Close_DevMonitor(), 1);  // closing a closed monitor is harmless
        EXPECT_TRUE(posted.posts.empty());
    }
}

}  // namespace
