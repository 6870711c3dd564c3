#pragma once

struct ProfileRecord;

// Which of the four report sections differ between the current profile and the applied snapshot.
// Fields in no section (name, movement mode, the reserved fields) never cause a report.
struct SectionChanges {
    bool dpi = false;
    bool polling = false;
    bool lighting = false;
    bool buttons = false;

    static SectionChanges All() { return {true, true, true, true}; }
    bool Any() const { return dpi || polling || lighting || buttons; }
    bool operator==(const SectionChanges&) const = default;
};

SectionChanges DetectChanges(const ProfileRecord& current, const ProfileRecord& snapshot);
