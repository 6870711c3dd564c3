#include "device/apply_profile.h"

#include "core/report/apply_reports.h"
#include "device/profile_session.h"

bool ApplyProfile(const ApplyContext& context)
{
    if (context.asleep())
        return false;
    if (context.showApplyRing)
        context.showApplyRing(true);

    auto sent = std::make_unique<ProfileRecord>();
    std::vector<Report> reports;
    std::uint64_t reloads = 0;
    context.session.Locked([&](ProfileSession::State& state) {
        *sent = state.Current();
        reports = ApplyReports(*sent, *state.appliedSnapshot, state.fullSend);
        state.fullSend = false;
        reloads = state.profileReloads;
    });

    // Results are not examined: a report no link took is lost until its section changes again.
    for (const Report& report : reports)
        context.sendReport(report);

    context.session.Locked([&](ProfileSession::State& state) {
        // pro.data changed on disk while the reports were on their way, or is found changed now:
        // the profiles were read again, the snapshot follows the file and the next apply sends
        // everything. What was sent is not written over the newer file.
        if (state.profileReloads != reloads)
            return;
        if (context.session.SaveProfilesLocked(state) != ProfileSession::SaveResult::Reloaded)
            *state.appliedSnapshot = *sent;
    });
    if (context.showApplyRing)
        context.showApplyRing(false);
    return true;
}
