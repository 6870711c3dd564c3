// Change detection field by field: a change to any byte of a section's field marks that section
// and no other; a change anywhere outside the sections marks nothing.
#include <gtest/gtest.h>

#include <QString>

#include "core/profile/profile_record.h"
#include "core/report/change_detection.h"

namespace {

enum Section { kDpi, kPolling, kLighting, kButtons };

struct SectionField {
    const char* name;
    std::size_t offset, size;
    Section section;
};

// Offsets and sizes in the 32976-byte profile record.
constexpr SectionField kFields[] = {
    {"dpi_option_c", 2224, 4, kDpi},       {"dpi_option_a", 2228, 4, kDpi},         {"dpi_option_b", 2232, 4, kDpi},
    {"dpi_value", 2244, 32, kDpi},         {"dpi_value_y", 2276, 32, kDpi},         {"stage_enabled", 2308, 32, kDpi},
    {"brightness", 2340, 4, kLighting},    {"breath_speed", 2344, 4, kLighting},    {"sleep_timer", 2348, 4, kLighting},
    {"current_stage", 2352, 4, kDpi},      {"polling_rate", 2356, 4, kPolling},     {"light_effect", 2364, 4, kLighting},
    {"light_effect_ble", 2368, 4, kLighting}, {"light_option", 2376, 4, kLighting}, {"light_color", 2380, 4, kLighting},
    {"stage_color", 2384, 32, kDpi},       {"buttons", 2448, 30528, kButtons},
};
constexpr std::size_t kRecordSize = 32976;
static_assert(sizeof(ProfileRecord) == kRecordSize);

std::string Describe(const SectionChanges& c) {
    const std::string text = std::string(c.dpi ? "dpi " : "") + (c.polling ? "polling " : "")
                             + (c.lighting ? "lighting " : "") + (c.buttons ? "buttons " : "");
    return text.empty() ? "none" : text;
}

// The change detection of the current profile with one byte changed; the byte is restored after.
SectionChanges AfterChangingByte(ProfileRecord& current, const ProfileRecord& snapshot, std::size_t offset) {
    auto* bytes = reinterpret_cast<unsigned char*>(&current);
    bytes[offset] ^= 0x5A;
    const SectionChanges changes = DetectChanges(current, snapshot);
    bytes[offset] ^= 0x5A;
    return changes;
}

TEST(ChangeDetection, EveryByteOfAFieldMarksItsSectionOnly) {
    const auto snapshot = CreateProfile(QStringLiteral("P"));
    const auto current = CreateProfile(QStringLiteral("P"));
    for (const SectionField& field : kFields) {
        const SectionChanges expected{field.section == kDpi, field.section == kPolling, field.section == kLighting,
                                      field.section == kButtons};
        for (std::size_t i = 0; i < field.size; ++i) {
            const SectionChanges found = AfterChangingByte(*current, *snapshot, field.offset + i);
            ASSERT_EQ(found, expected) << "byte " << i << " of " << field.name << " marks " << Describe(found);
        }
    }
}

TEST(ChangeDetection, BytesOutsideEverySectionMarkNothing) {
    const auto snapshot = CreateProfile(QStringLiteral("P"));
    const auto current = CreateProfile(QStringLiteral("P"));
    EXPECT_EQ(DetectChanges(*current, *snapshot), SectionChanges{});
    int outside = 0;
    for (std::size_t offset = 0; offset < kRecordSize; ++offset) {
        bool inField = false;
        for (const SectionField& field : kFields)
            inField = inField || (offset >= field.offset && offset < field.offset + field.size);
        if (inField)
            continue;
        ++outside;
        const SectionChanges found = AfterChangingByte(*current, *snapshot, offset);
        EXPECT_EQ(found, SectionChanges{}) << "byte " << offset << " marks " << Describe(found);
    }
    // name, both reserved texts and the fields up to dpi_option_c, the gap after dpi_option_b,
    // move_mode, reserved_byte_2 with its padding, reserved_colors.
    EXPECT_EQ(outside, 2224 + 8 + 4 + 4 + 32);
}

}  // namespace
