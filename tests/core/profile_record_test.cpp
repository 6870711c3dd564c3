// The profile record's defaults, byte by byte from the documented layout, independent of the struct.
#include <gtest/gtest.h>

#include <cstring>

#include "core/profile/profile_record.h"
#include "support/test_files.h"

namespace {

QByteArray BytesOf(const ProfileRecord& record) {
    return QByteArray(reinterpret_cast<const char*>(&record), sizeof record);
}

QByteArray ExpectedDefaultImage(const QString& name) {
    QByteArray image(32976, '\0');
    PutUtf16(image, 0, name);
    // offset, value: reserved values, DPI options, brightness .. polling rate, light effects and colour
    for (auto [offset, value] : {std::pair{2200, 420}, {2204, 3}, {2212, 6}, {2228, 8}, {2232, 8}, {2340, 8}, {2344, 6},
                                 {2348, 1}, {2352, 1}, {2356, 2}, {2364, 7}, {2368, 3}, {2376, 1}, {2380, 0xFFFFFF}})
        PutI32(image, offset, value);
    PutU8(image, 2372, 1);
    const int dpi[8] = {20, 30, 40, 60, 80, 120, 0, 0};
    const int enabled[8] = {1, 1, 1, 1, 1, 1, 0, 0};
    const std::int32_t stageColor[8] = {0xFF, 0xFF00, 0xFF0000, 0xFFFF, 0xFF00FF, 0xFFFF00, 0x40FF, 0xFFFFFF};
    const std::int32_t reservedColor[8] = {0xFF, 0xFF00, 0xFF0000, 0xFF00FF, 0xFFFF, 0xFFFFFF, 0xFFFFFF, 0x80FF};
    for (int i = 0; i < 8; ++i) {
        PutI32(image, 2244 + 4 * i, dpi[i]);
        PutI32(image, 2276 + 4 * i, dpi[i]);
        PutI32(image, 2308 + 4 * i, enabled[i]);
        PutI32(image, 2384 + 4 * i, stageColor[i]);
        PutI32(image, 2416 + 4 * i, reservedColor[i]);
    }
    const int function[18] = {1, 2, 3, 6, 7, 8, 4, 5, 10, 44, 0, 0, 0, 0, 0, 0, 11, 12};
    for (int b = 0; b < 18; ++b) {
        const int base = 2448 + 1272 * b;
        PutU8(image, base + 0, std::uint8_t(b));
        PutU8(image, base + 1, std::uint8_t(function[b]));
        PutU16(image, base + 8, 562);
        PutI32(image, base + 1072, -1);
        PutI32(image, base + 1076, -1);
    }
    return image;
}

TEST(ProfileRecord, NewProfileIsByteExactDefaultImageWithNameCutTo99) {
    EXPECT_EQ(BytesOf(*CreateProfile(QStringLiteral("Profile1"))), ExpectedDefaultImage(QStringLiteral("Profile1")));
    const auto record = CreateProfile(QString(150, QLatin1Char('x')));
    EXPECT_EQ(ProfileName(*record), QString(99, QLatin1Char('x')));
    EXPECT_EQ(record->name[99], u'\0');
}

TEST(ProfileRecord, ResetRestoresDefaultsButKeepsNameMoveModeAndGaps) {
    auto record = CreateProfile(QStringLiteral("Mine"));
    record->move_mode = 1;
    record->dpi_value[0] = 99;
    record->light_color = 0x123456;
    record->reserved_byte_1 = 0x7F;
    record->buttons[0].function = 17;
    record->buttons[0].macro_actions[3].delay_ms = 500;
    record->buttons[20].function = 5;  // beyond the defaulted buttons: must be zeroed again
    record->buttons[20].button_index = 20;
    FillProfileDefaults(*record);
    QByteArray expected = ExpectedDefaultImage(QStringLiteral("Mine"));
    PutI32(expected, 2360, 1);
    EXPECT_EQ(BytesOf(*record), expected);

    ProfileRecord filled;
    std::memset(&filled, 0xAA, sizeof filled);
    FillProfileDefaults(filled);
    EXPECT_EQ(filled.zero_2209[0], 0xAA);
    EXPECT_EQ(filled.zero_2216[0], 0xAA);
    EXPECT_EQ(filled.zero_2373[2], 0xAA);
    EXPECT_EQ(filled.name[0], 0xAAAA);
    EXPECT_EQ(filled.move_mode, std::int32_t(0xAAAAAAAA));
    EXPECT_EQ(filled.reserved_text_1[0], 0);
    EXPECT_EQ(filled.reserved_text_1[1], 0xAAAA);  // only the first unit is cleared
    EXPECT_EQ(filled.buttons[23].button_index, 0);  // the whole button area is zeroed
}

}  // namespace
