#include "device/apply_profile.h"

#include "core/report/apply_reports.h"
#include "device/profile_session.h"

bool ApplyProfile(const ApplyContext& context)
{
    if (context.unreachable()) {
        // The edit is kept on disk now, and waits in the difference from the snapshot.
        context.session.RequestProfileSave();
        return false;
    }
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

    bool allTaken = true;
    for (const Report& report : reports)
        allTaken = context.sendReport(report) != 0 && allTaken;

    // pro.data changed on disk while the reports were on their way: the profiles were read again,
    // the snapshot follows the file and the next apply sends everything. What was sent is neither
    // taken as the snapshot nor saved over the newer file.
    const bool replaced = context.session.Locked([&](ProfileSession::State& state) {
        if (state.profileReloads != reloads)
            return true;
        *state.appliedSnapshot = *sent;
        if (!allTaken)
            state.fullSend = true;
        return false;
    });
    // The writer looks at pro.data again before it writes: one changed after this point is read
    // again instead of written over.
    if (!replaced)
        context.session.RequestProfileSave();
    if (context.showApplyRing)
        context.showApplyRing(false);
    return true;
}
