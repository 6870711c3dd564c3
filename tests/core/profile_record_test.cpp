#include <gtest/gtest.h>

#include <cstring>

#include "core/profile/profile_record.h"
#include "support/test_files.h"

namespace {

QByteArray BytesOf(const ProfileRecord& record)
{
    return QByteArray(reinterpret_cast<const char*>(&record), sizeof record);
}

// The default record built byte by byte from the documented layout, independent of the struct.
QByteArray ExpectedDefaultImage(const QString& name)
{
    QByteArray image(32976, '\0');
    PutUtf16(image, 0, name);
    PutI32(image, 2200, 420);
    PutI32(image, 2204, 3);
    PutI32(image, 2212, 6);
    PutI32(image, 2228, 8);
    PutI32(image, 2232, 8);
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
    PutI32(image, 2340, 8);
    PutI32(image, 2344, 6);
    PutI32(image, 2348, 1);
    PutI32(image, 2352, 1);
    PutI32(image, 2356, 2);
    PutI32(image, 2364, 7);
    PutI32(image, 2368, 3);
    PutU8(image, 2372, 1);
    PutI32(image, 2376, 1);
    PutI32(image, 2380, 0xFFFFFF);
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

TEST(ProfileRecord, NewProfileIsByteExactDefaultImage)
{
    const auto record = CreateProfile(QStringLiteral("Profile1"));
    EXPECT_EQ(BytesOf(*record), ExpectedDefaultImage(QStringLiteral("Profile1")));
}

TEST(ProfileRecord, NameIsCutTo99CharactersWithTerminator)
{
    const auto record = CreateProfile(QString(150, QLatin1Char('x')));
    EXPECT_EQ(ProfileName(*record), QString(99, QLatin1Char('x')));
    EXPECT_EQ(record->name[99], u'\0');
}

TEST(ProfileRecord, ResetRestoresDefaultsButKeepsNameMoveModeAndGaps)
{
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
}

TEST(ProfileRecord, DefaultsLeaveGapsUntouched)
{
    ProfileRecord record;
    std::memset(&record, 0xAA, sizeof record);
    FillProfileDefaults(record);
    EXPECT_EQ(record.zero_2209[0], 0xAA);
    EXPECT_EQ(record.zero_2216[0], 0xAA);
    EXPECT_EQ(record.zero_2373[2], 0xAA);
    EXPECT_EQ(record.name[0], 0xAAAA);
    EXPECT_EQ(record.move_mode, std::int32_t(0xAAAAAAAA));
    EXPECT_EQ(record.reserved_text_1[0], 0);
    EXPECT_EQ(record.reserved_text_1[1], 0xAAAA);  // only the first unit is cleared
    EXPECT_EQ(record.buttons[23].button_index, 0);  // the whole button area is zeroed
}

}  // namespace
