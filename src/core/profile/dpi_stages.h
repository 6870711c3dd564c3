#pragma once

#include <cstdint>

struct ProfileRecord;

// Which DPI stages are in the mouse's cycle. A stage is on when its `stage_enabled` is exactly 1
// (what the DPI report's enable mask carries); the mouse's DPI button steps through those only.
bool StageIsOn(const ProfileRecord& profile, int stage);
int StagesOn(const ProfileRecord& profile);

// Turns stage 0..7 on or off; false, and nothing changed, when that would leave no stage on.
// A stage turned on without a DPI of its own (below minimumDpiValue, in units of 40 DPI) takes
// the stage before it (stage 1 the stage after it), at least minimumDpiValue. A current stage
// turned off hands over to the nearest stage on before it, else after it.
bool SetStageOn(ProfileRecord& profile, int stage, bool on, std::int32_t minimumDpiValue);
