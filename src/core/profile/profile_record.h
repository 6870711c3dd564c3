#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/macro/macro_record.h"

class QString;

// A profile is one flat 32976-byte record, the same bytes in memory, in pro.data and in a *.pro
// file. Every offset below is a file format: the static_asserts at the end pin them. Fields named
// "zero_NNNN" are gaps at byte offset NNNN that stay zero in records the utility creates.
static_assert(std::endian::native == std::endian::little,
              "records are stored as raw little-endian bytes");

// Colours are stored red in byte 0, green in byte 1, blue in byte 2 and 0 in byte 3.
namespace ProfileColor {
constexpr std::int32_t kRed = 0x000000FF;
constexpr std::int32_t kGreen = 0x0000FF00;
constexpr std::int32_t kBlue = 0x00FF0000;
constexpr std::int32_t kYellow = 0x0000FFFF;
constexpr std::int32_t kMagenta = 0x00FF00FF;
constexpr std::int32_t kCyan = 0x00FFFF00;
constexpr std::int32_t kWhite = 0x00FFFFFF;
constexpr std::int32_t kOrange = 0x000040FF;
constexpr std::int32_t kDeepOrange = 0x000080FF;
}  // namespace ProfileColor

constexpr int kProfileNameUnits = 100;   // 99 characters plus terminator
constexpr int kDpiStageCount = 8;
constexpr int kButtonRecordCount = 24;
constexpr int kDefaultButtonCount = 18;  // buttons 0..17 carry defaults and go to the mouse

struct ButtonRecord {
    std::uint8_t button_index;
    std::uint8_t function;
    std::uint8_t reserved_function_byte;
    std::uint8_t key_code;
    std::uint8_t zero_4[3];
    std::uint8_t modifiers;
    std::uint16_t reserved_word;
    std::uint8_t zero_10[2];
    std::int32_t macro_repeat_mode;
    char16_t macro_name[kMacroNameUnits];  // the bound macro's name, as in its record
    std::int32_t macro_loop_count;
    std::uint16_t macro_action_count;
    std::uint8_t zero_70[1002];
    std::int32_t macro_index;
    std::int32_t reserved_index;
    std::uint8_t zero_1080[4];
    std::uint8_t macro_option;
    std::uint8_t zero_1085[3];
    MacroActionSlot macro_actions[MacroActionLimit];
};

struct ProfileRecord {
    char16_t name[kProfileNameUnits];
    char16_t reserved_text_1[500];
    char16_t reserved_text_2[500];
    std::int32_t reserved_value_1;
    std::int32_t reserved_value_2;
    std::uint8_t reserved_byte_1;
    std::uint8_t zero_2209[3];
    std::int32_t reserved_value_3;
    std::uint8_t zero_2216[8];
    std::int32_t dpi_option_c;
    std::int32_t dpi_option_a;
    std::int32_t dpi_option_b;
    std::uint8_t zero_2236[8];
    std::int32_t dpi_value[kDpiStageCount];    // units of 40 DPI
    std::int32_t dpi_value_y[kDpiStageCount];
    std::int32_t stage_enabled[kDpiStageCount];  // 1 = in the mouse's DPI cycle
    std::int32_t brightness;
    std::int32_t breath_speed;
    std::int32_t sleep_timer;                  // half units
    std::int32_t current_stage;                // 0..7
    std::int32_t polling_rate;                 // 0 = 125 Hz .. 3 = 1000 Hz
    std::int32_t move_mode;
    std::int32_t light_effect;
    std::int32_t light_effect_ble;
    std::uint8_t reserved_byte_2;
    std::uint8_t zero_2373[3];
    std::int32_t light_option;
    std::int32_t light_color;
    std::int32_t stage_color[kDpiStageCount];
    std::int32_t reserved_colors[kDpiStageCount];
    ButtonRecord buttons[kButtonRecordCount];
};

static_assert(sizeof(ButtonRecord) == 1272);
static_assert(offsetof(ButtonRecord, button_index) == 0);
static_assert(offsetof(ButtonRecord, function) == 1);
static_assert(offsetof(ButtonRecord, reserved_function_byte) == 2);
static_assert(offsetof(ButtonRecord, key_code) == 3);
static_assert(offsetof(ButtonRecord, modifiers) == 7);
static_assert(offsetof(ButtonRecord, reserved_word) == 8);
static_assert(offsetof(ButtonRecord, macro_repeat_mode) == 12);
static_assert(offsetof(ButtonRecord, macro_name) == 16);
static_assert(offsetof(ButtonRecord, macro_loop_count) == 64);
static_assert(offsetof(ButtonRecord, macro_action_count) == 68);
static_assert(offsetof(ButtonRecord, macro_index) == 1072);
static_assert(offsetof(ButtonRecord, reserved_index) == 1076);
static_assert(offsetof(ButtonRecord, macro_option) == 1084);
static_assert(offsetof(ButtonRecord, macro_actions) == 1088);

static_assert(sizeof(ProfileRecord) == 32976);
static_assert(offsetof(ProfileRecord, name) == 0);
static_assert(offsetof(ProfileRecord, reserved_text_1) == 200);
static_assert(offsetof(ProfileRecord, reserved_text_2) == 1200);
static_assert(offsetof(ProfileRecord, reserved_value_1) == 2200);
static_assert(offsetof(ProfileRecord, reserved_value_2) == 2204);
static_assert(offsetof(ProfileRecord, reserved_byte_1) == 2208);
static_assert(offsetof(ProfileRecord, reserved_value_3) == 2212);
static_assert(offsetof(ProfileRecord, dpi_option_c) == 2224);
static_assert(offsetof(ProfileRecord, dpi_option_a) == 2228);
static_assert(offsetof(ProfileRecord, dpi_option_b) == 2232);
static_assert(offsetof(ProfileRecord, dpi_value) == 2244);
static_assert(offsetof(ProfileRecord, dpi_value_y) == 2276);
static_assert(offsetof(ProfileRecord, stage_enabled) == 2308);
static_assert(offsetof(ProfileRecord, brightness) == 2340);
static_assert(offsetof(ProfileRecord, breath_speed) == 2344);
static_assert(offsetof(ProfileRecord, sleep_timer) == 2348);
static_assert(offsetof(ProfileRecord, current_stage) == 2352);
static_assert(offsetof(ProfileRecord, polling_rate) == 2356);
static_assert(offsetof(ProfileRecord, move_mode) == 2360);
static_assert(offsetof(ProfileRecord, light_effect) == 2364);
static_assert(offsetof(ProfileRecord, light_effect_ble) == 2368);
static_assert(offsetof(ProfileRecord, reserved_byte_2) == 2372);
static_assert(offsetof(ProfileRecord, light_option) == 2376);
static_assert(offsetof(ProfileRecord, light_color) == 2380);
static_assert(offsetof(ProfileRecord, stage_color) == 2384);
static_assert(offsetof(ProfileRecord, reserved_colors) == 2416);
static_assert(offsetof(ProfileRecord, buttons) == 2448);

// Writes every default into an existing record. It leaves `name`, `move_mode` and the zero gaps
// alone, so resetting a profile keeps its name and movement mode.
void FillProfileDefaults(ProfileRecord& record);

// A zero-filled record with defaults and the given name (cut to 99 characters).
std::unique_ptr<ProfileRecord> CreateProfile(const QString& name);

QString ProfileName(const ProfileRecord& record);
void SetProfileName(ProfileRecord& record, const QString& name);
