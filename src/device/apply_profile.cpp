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
    context.session.Locked([&](ProfileSession::State& state) {
        *sent = state.Current();
        reports = ApplyReports(*sent, *state.appliedSnapshot, state.fullSend);
        state.fullSend = false;
    });

    // Results are not examined: a report no link took is lost until its section changes again.
    for (const Report& report : reports)
        context.sendReport(report);

    context.session.Locked([&](ProfileSession::State& state) { *state.appliedSnapshot = *sent; });
    context.session.RequestProfileSave();
    if (context.showApplyRing)
        context.showApplyRing(false);
    return true;
}
