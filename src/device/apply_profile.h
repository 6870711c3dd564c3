#pragma once

#include <functional>

#include "core/report/report.h"

class ProfileSession;

// Brings the mouse in line with the current profile: sends the sections that differ from the
// applied snapshot (all of them after a switch), asks for pro.data to be saved and takes the snapshot. Runs on
// the device worker. Works on a copy of the current profile taken under the session's lock, and
// that copy becomes the snapshot, so an edit made while reports are on their way differs from
// the snapshot and goes out with the next apply.
struct ApplyContext {
    ProfileSession& session;
    std::function<bool()> asleep;
    std::function<int(const Report&)> sendReport;
    std::function<void(bool shown)> showApplyRing;  // may be empty
};

// False when nothing was done because the mouse is asleep.
bool ApplyProfile(const ApplyContext& context);
