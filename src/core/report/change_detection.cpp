#include "core/report/change_detection.h"

#include <algorithm>
#include <cstring>

#include "core/profile/profile_record.h"

namespace {

template <typename T, std::size_t N>
bool ArrayDiffers(const T (&a)[N], const T (&b)[N])
{
    return !std::equal(std::begin(a), std::end(a), std::begin(b));
}

bool DpiDiffers(const ProfileRecord& a, const ProfileRecord& b)
{
    return a.current_stage != b.current_stage || a.dpi_option_c != b.dpi_option_c
           || a.dpi_option_a != b.dpi_option_a || a.dpi_option_b != b.dpi_option_b
           || ArrayDiffers(a.dpi_value, b.dpi_value) || ArrayDiffers(a.dpi_value_y, b.dpi_value_y)
           || ArrayDiffers(a.stage_enabled, b.stage_enabled) || ArrayDiffers(a.stage_color, b.stage_color);
}

bool LightingDiffers(const ProfileRecord& a, const ProfileRecord& b)
{
    return a.light_effect != b.light_effect || a.light_effect_ble != b.light_effect_ble
           || a.breath_speed != b.breath_speed || a.brightness != b.brightness
           || a.light_option != b.light_option || a.light_color != b.light_color
           || a.sleep_timer != b.sleep_timer;
}

}  // namespace

SectionChanges DetectChanges(const ProfileRecord& current, const ProfileRecord& snapshot)
{
    SectionChanges changes;
    changes.dpi = DpiDiffers(current, snapshot);
    changes.polling = current.polling_rate != snapshot.polling_rate;
    changes.lighting = LightingDiffers(current, snapshot);
    changes.buttons = std::memcmp(current.buttons, snapshot.buttons, sizeof current.buttons) != 0;
    return changes;
}
