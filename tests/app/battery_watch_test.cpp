// Low-battery warnings: at 20 % and at 10 %, once per fall, never while charging.
#include <gtest/gtest.h>

#include "app/shell/battery_watch.h"

TEST(BatteryAlerts, WarnOncePerThresholdAndFall) {
    // Readings in percent (-1 unknown, c = charging) and the threshold each one warns of.
    const std::pair<const char*, int> kReadings[] = {{"50", 0}, {"30", 0}, {"20", 20}, {"30", 0}, {"20", 0}, {"10", 10}, {"20", 0},
                                                     {"10", 0}, {"-1", 0}, {"0", 0},  {"c", 0},   {"10", 10}, {"40", 0}, {"10", 10}};
    BatteryAlerts alerts;
    for (const auto& [reading, warns] : kReadings) {
        const bool charging = QByteArray(reading) == "c";
        EXPECT_EQ(alerts.Update(charging ? -1 : QByteArray(reading).toInt(), charging), warns) << reading;
    }
}
