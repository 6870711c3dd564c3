#include "core/profile/dpi_stages.h"

#include <algorithm>

#include "core/profile/profile_record.h"

bool StageIsOn(const ProfileRecord& profile, int stage)
{
    return stage >= 0 && stage < kDpiStageCount && profile.stage_enabled[stage] == 1;
}

int StagesOn(const ProfileRecord& profile)
{
    int count = 0;
    for (int stage = 0; stage < kDpiStageCount; ++stage)
        count += StageIsOn(profile, stage) ? 1 : 0;
    return count;
}

bool SetStageOn(ProfileRecord& profile, int stage, bool on, std::int32_t minimumDpiValue)
{
    if (stage < 0 || stage >= kDpiStageCount)
        return false;
    if (StageIsOn(profile, stage) == on)
        return true;
    if (!on && StagesOn(profile) <= 1)
        return false;
    profile.stage_enabled[stage] = on ? 1 : 0;
    if (on) {
        std::int32_t& dpi = profile.dpi_value[stage];
        if (dpi < minimumDpiValue)
            dpi = std::max(profile.dpi_value[stage > 0 ? stage - 1 : 1], minimumDpiValue);
        return true;
    }
    if (profile.current_stage != stage)
        return true;
    for (int distance = 1; distance < kDpiStageCount; ++distance) {
        for (int candidate : {stage - distance, stage + distance}) {
            if (StageIsOn(profile, candidate)) {
                profile.current_stage = candidate;
                return true;
            }
        }
    }
    return true;
}
