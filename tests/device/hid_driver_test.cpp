// The hidapi driver libraries where no mouse is attached: links stay closed, nothing is posted.
#include <gtest/gtest.h>

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

}  // namespace
