// Change detection field by field: a change to any byte of a section's field marks that section
// and no other; a change anywhere outside the sections marks nothing.
#include <gtest/gtest.h>

#include <QString>
#include <cstring>
#include <string>

#include "core/profile/profile_record.h"
#include "core/report/change_detection.h"

namespace {

enum class Section { Dpi, Polling, Lighting, Buttons };

struct SectionField {
    const char* name;
    std::size_t offset;
    std::size_t size;
    Section section;
};

void PrintTo(const SectionField& field, std::ostream* os)
{
    *os << field.name;
}

// Offsets and sizes in the 32976-byte profile record.
constexpr SectionField kFields[] = {
    {"dpi_option_c", 2224, 4, Section::Dpi},
    {"dpi_option_a", 2228, 4, Section::Dpi},
    {"dpi_option_b", 2232, 4, Section::Dpi},
    {"dpi_value", 2244, 32, Section::Dpi},
    {"dpi_value_y", 2276, 32, Section::Dpi},
    {"stage_enabled", 2308, 32, Section::Dpi},
    {"brightness", 2340, 4, Section::Lighting},
    {"breath_speed", 2344, 4, Section::Lighting},
    {"sleep_timer", 2348, 4, Section::Lighting},
    {"current_stage", 2352, 4, Section::Dpi},
    {"polling_rate", 2356, 4, Section::Polling},
    {"light_effect", 2364, 4, Section::Lighting},
    {"light_effect_ble", 2368, 4, Section::Lighting},
    {"light_option", 2376, 4, Section::Lighting},
    {"light_color", 2380, 4, Section::Lighting},
    {"stage_color", 2384, 32, Section::Dpi},
    {"buttons", 2448, 30528, Section::Buttons},
};

constexpr std::size_t kRecordSize = 32976;

SectionChanges Only(Section section)
{
    SectionChanges changes;
    changes.dpi = section == Section::Dpi;
    changes.polling = section == Section::Polling;
    changes.lighting = section == Section::Lighting;
    changes.buttons = section == Section::Buttons;
    return changes;
}

std::string Describe(const SectionChanges& changes)
{
    std::string text;
    text += changes.dpi ? "dpi " : "";
    text += changes.polling ? "polling " : "";
    text += changes.lighting ? "lighting " : "";
    text += changes.buttons ? "buttons " : "";
    return text.empty() ? "none" : text;
}

// The change detection of the current profile with one byte changed; the byte is restored after.
SectionChanges AfterChangingByte(ProfileRecord& current, const ProfileRecord& snapshot, std::size_t offset)
{
    auto* bytes = reinterpret_cast<unsigned char*>(&current);
    bytes[offset] ^= 0x5A;
    const SectionChanges changes = DetectChanges(current, snapshot);
    bytes[offset] ^= 0x5A;
    return changes;
}

class ChangeDetectionField : public ::testing::TestWithParam<SectionField> {};

TEST_P(ChangeDetectionField, EveryByteMarksItsSectionOnly)
{
    static_assert(sizeof(ProfileRecord) == kRecordSize);
    const auto snapshot = CreateProfile(QStringLiteral("P"));
    const auto current = CreateProfile(QStringLiteral("P"));
    const SectionField& field = GetParam();
    const SectionChanges expected = Only(field.section);
    for (std::size_t i = 0; i < field.size; ++i) {
        const SectionChanges found = AfterChangingByte(*current, *snapshot, field.offset + i);
        ASSERT_EQ(found, expected) << "byte " << i << " of " << field.name << " marks " << Describe(found);
    }
}

INSTANTIATE_TEST_SUITE_P(Fields, ChangeDetectionField, ::testing::ValuesIn(kFields),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ChangeDetection, BytesOutsideEverySectionMarkNothing)
{
    const auto snapshot = CreateProfile(QStringLiteral("P"));
    const auto current = CreateProfile(QStringLiteral("P"));
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

TEST(ChangeDetection, SameRecordMarksNothing)
{
    const auto snapshot = CreateProfile(QStringLiteral("P"));
    EXPECT_EQ(DetectChanges(*snapshot, *snapshot), SectionChanges{});
}

}  // namespace
