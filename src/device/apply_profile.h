#pragma once

#include <functional>

#include "core/report/report.h"

class ProfileSession;

// Brings the mouse in line with the current profile: sends the sections that differ from the
// applied snapshot (all of them after a switch), asks for pro.data to be saved and takes the snapshot. Runs on
// the device worker. Works on a copy of the current profile taken under the session's lock, and
// that copy becomes the snapshot, so an edit made while reports are on their way differs from
// the snapshot and goes out with the next apply.
//
// The snapshot is what the mouse holds as far as we know. While the mouse cannot be reached
// (asleep, or no link carries reports) nothing is sent and the snapshot stays, so the difference
// goes out once the mouse is back; the profile is saved all the same. A report that no link took
// leaves us not knowing what the mouse holds: the next apply sends everything.
struct ApplyContext {
    ProfileSession& session;
    std::function<bool()> unreachable;
    std::function<int(const Report&)> sendReport;
    std::function<void(bool shown)> showApplyRing;  // may be empty
};

// False when nothing was sent because the mouse cannot be reached.
bool ApplyProfile(const ApplyContext& context);
