#include "core/report/apply_reports.h"

#include "core/report/report_encoders.h"
#include "core/profile/profile_record.h"

std::vector<Report> ApplyReports(const ProfileRecord& current, const ProfileRecord& snapshot, bool fullSend)
{
    return ReportsForSections(current, fullSend ? SectionChanges::All() : DetectChanges(current, snapshot));
}

std::vector<Report> ReportsForSections(const ProfileRecord& current, const SectionChanges& sections)
{
    std::vector<Report> reports;
    if (sections.dpi)
        reports.push_back(EncodeDpiReport(current));
    if (sections.lighting)
        reports.push_back(EncodeLightingReport(current));
    if (sections.polling)
        reports.push_back(EncodePollingReport(current));
    if (sections.buttons) {
        const MacroNumbers numbers = AssignMacroNumbers(current);
        for (int k = 0; k < kMacroButtonCount; ++k) {
            if (numbers[k] != 0)
                reports.push_back(EncodeMacroReport(numbers[k], current.buttons[k]));
        }
        reports.push_back(EncodeButtonReport(current, numbers));
    }
    return reports;
}
