// Encodes the reports of an arbitrary profile record and describes it as karvoctl's show does.
// The input is laid over a default profile, so short inputs still make whole records. Every
// report has its command's length and says so in byte 1.

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

#include "core/macro/macro_record.h"
#include "core/profile/profile_record.h"
#include "core/report/apply_reports.h"
#include "core/report/report_encoders.h"
#include "fuzz_support.h"
#include "profile_dump.h"

namespace {

void CheckReport(const Report& report)
{
    static const std::map<std::uint8_t, std::size_t> lengths = {
        {ReportCommand::kDpi, ReportLength::kDpi},         {ReportCommand::kLighting, ReportLength::kLighting},
        {ReportCommand::kPolling, ReportLength::kPolling}, {ReportCommand::kButtons, ReportLength::kButtons},
        {ReportCommand::kMacro, ReportLength::kMacro},
    };
    Check(!report.empty(), "a report has bytes");
    const auto length = lengths.find(report[0]);
    Check(length != lengths.end(), "a report carries a known command");
    Check(report.size() == length->second, "a report has its command's length");
    Check(report[1] == std::uint8_t(report.size()), "byte 1 holds the length");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    QuietQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::unique_ptr<ProfileRecord> defaults = CreateProfile(QStringLiteral("Profile1"));
    auto profile = std::make_unique<ProfileRecord>(*defaults);
    std::memcpy(profile.get(), data, std::min(size, sizeof(ProfileRecord)));

    const std::vector<Report> reports = ApplyReports(*profile, *defaults, true);
    Check(reports.size() >= 4, "a full send has every section");
    for (const Report& report : reports)
        CheckReport(report);
    for (const Report& report : ApplyReports(*profile, *defaults, false))
        CheckReport(report);
    for (const Report& report : ApplyReports(*defaults, *profile, false))
        CheckReport(report);

    for (const ButtonRecord& button : profile->buttons) {
        CheckReport(EncodeMacroReport(0xFF, button));
        const int steps = MacroStepCount(button.macro_actions, button.macro_action_count);
        Check(steps >= 0 && steps <= 2 * MacroActionLimit, "a step count stays within two per slot");
    }
    for (std::int32_t dpi : profile->dpi_value)
        DpiSensorValue(dpi);

    Check(!DescribeProfile(*profile).isEmpty(), "every profile can be described");
    return 0;
}
