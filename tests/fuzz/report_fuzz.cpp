// Encodes the reports of an arbitrary profile record (laid over a default profile, so short inputs
// still make whole records) and describes it as karvoctl's show does. Every report carries a known
// command, has that command's length and says so in byte 1.
#include <algorithm>
#include <cstring>
#include <map>

#include "core/macro/macro_record.h"
#include "core/profile/profile_record.h"
#include "core/report/apply_reports.h"
#include "core/report/report_encoders.h"
#include "fuzz_support.h"
#include "profile_dump.h"

static void CheckReports(const std::vector<Report>& reports) {
    static const std::map<std::uint8_t, std::size_t> lengths = {
        {ReportCommand::kDpi, ReportLength::kDpi},         {ReportCommand::kLighting, ReportLength::kLighting},
        {ReportCommand::kPolling, ReportLength::kPolling}, {ReportCommand::kButtons, ReportLength::kButtons},
        {ReportCommand::kMacro, ReportLength::kMacro}};
    for (const Report& report : reports)
        Check(!report.empty() && lengths.count(report[0]) && report.size() == lengths.at(report[0])
                  && report[1] == std::uint8_t(report.size()), "a known command, with its length in byte 1");
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::unique_ptr<ProfileRecord> defaults = CreateProfile(QStringLiteral("Profile1"));
    auto profile = std::make_unique<ProfileRecord>(*defaults);
    std::memcpy(profile.get(), data, std::min(size, sizeof(ProfileRecord)));
    const std::vector<Report> full = ApplyReports(*profile, *defaults, true);
    Check(full.size() >= 4, "a full send has every section");
    for (const auto& reports : {full, ApplyReports(*profile, *defaults, false), ApplyReports(*defaults, *profile, false)})
        CheckReports(reports);
    for (const ButtonRecord& button : profile->buttons) {
        CheckReports({EncodeMacroReport(0xFF, button)});
        const int steps = MacroStepCount(button.macro_actions, button.macro_action_count);
        Check(steps >= 0 && steps <= 2 * MacroActionLimit, "a step count stays within two per slot");
    }
    Check(!DescribeProfile(*profile).isEmpty(), "every profile can be described");
    return 0;
}
