#pragma once

#include <vector>

#include "core/report/change_detection.h"
#include "core/report/report.h"

struct ProfileRecord;

// The reports one apply sends, in send order: DPI, lighting, polling, then for the buttons one
// macro report per macro button among buttons 0..11 (in button order) followed by the button
// report. With fullSend every section goes; otherwise only the sections that differ from the
// applied snapshot.
std::vector<Report> ApplyReports(const ProfileRecord& current, const ProfileRecord& snapshot, bool fullSend);
std::vector<Report> ReportsForSections(const ProfileRecord& current, const SectionChanges& sections);
