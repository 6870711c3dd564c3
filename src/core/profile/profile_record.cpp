#include "core/profile/profile_record.h"

#include <algorithm>
#include <cstring>

#include "core/text/name_field.h"

namespace {

constexpr std::int32_t kDefaultDpiValue[kDpiStageCount] = {20, 30, 40, 60, 80, 120, 0, 0};
constexpr std::int32_t kDefaultStageEnabled[kDpiStageCount] = {1, 1, 1, 1, 1, 1, 0, 0};
constexpr std::int32_t kDefaultStageColor[kDpiStageCount] = {
    ProfileColor::kRed,     ProfileColor::kGreen, ProfileColor::kBlue,   ProfileColor::kYellow,
    ProfileColor::kMagenta, ProfileColor::kCyan,  ProfileColor::kOrange, ProfileColor::kWhite};
constexpr std::int32_t kDefaultReservedColors[kDpiStageCount] = {
    ProfileColor::kRed,    ProfileColor::kGreen, ProfileColor::kBlue,  ProfileColor::kMagenta,
    ProfileColor::kYellow, ProfileColor::kWhite, ProfileColor::kWhite, ProfileColor::kDeepOrange};

// Function codes of buttons 0..17: left, right, wheel click, DPI cycle, DPI up, DPI down, forward,
// backward, fire, show desktop, six buttons off, scroll up, scroll down.
constexpr std::uint8_t kDefaultFunction[kDefaultButtonCount] = {1, 2, 3, 6, 7, 8, 4, 5, 10,
                                                                44, 0, 0, 0, 0, 0, 0, 11, 12};
constexpr std::uint16_t kDefaultReservedWord = 562;

}  // namespace

void FillProfileDefaults(ProfileRecord& record)
{
    record.reserved_text_1[0] = u'\0';
    record.reserved_text_2[0] = u'\0';
    record.reserved_value_1 = 420;
    record.reserved_value_2 = 3;
    record.reserved_byte_1 = 0;
    record.reserved_value_3 = 6;
    record.dpi_option_c = 0;
    record.dpi_option_a = 8;
    record.dpi_option_b = 8;
    std::copy(std::begin(kDefaultDpiValue), std::end(kDefaultDpiValue), record.dpi_value);
    std::copy(std::begin(kDefaultDpiValue), std::end(kDefaultDpiValue), record.dpi_value_y);
    std::copy(std::begin(kDefaultStageEnabled), std::end(kDefaultStageEnabled), record.stage_enabled);
    record.brightness = 8;
    record.breath_speed = 6;
    record.sleep_timer = 1;
    record.current_stage = 1;
    record.polling_rate = 2;
    record.light_effect = 7;
    record.light_effect_ble = 3;
    record.reserved_byte_2 = 1;
    record.light_option = 1;
    record.light_color = ProfileColor::kWhite;
    std::copy(std::begin(kDefaultStageColor), std::end(kDefaultStageColor), record.stage_color);
    std::copy(std::begin(kDefaultReservedColors), std::end(kDefaultReservedColors),
              record.reserved_colors);

    std::memset(record.buttons, 0, sizeof record.buttons);
    for (int i = 0; i < kDefaultButtonCount; ++i) {
        ButtonRecord& button = record.buttons[i];
        button.button_index = static_cast<std::uint8_t>(i);
        button.function = kDefaultFunction[i];
        button.reserved_function_byte = 0;
        button.reserved_word = kDefaultReservedWord;
        button.macro_index = -1;
        button.reserved_index = -1;
    }
}

std::unique_ptr<ProfileRecord> CreateProfile(const QString& name)
{
    auto record = std::make_unique<ProfileRecord>();  // value-initialised: all zero
    FillProfileDefaults(*record);
    SetProfileName(*record, name);
    return record;
}

QString ProfileName(const ProfileRecord& record)
{
    return ReadNameField(record.name);
}

void SetProfileName(ProfileRecord& record, const QString& name)
{
    WriteNameField(record.name, name);
}
