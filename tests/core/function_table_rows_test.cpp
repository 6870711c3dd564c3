// Every row of the button function table, written down from the table of functions the mouse
// knows, independently of the table in the code: the menu item that selects a code, the language
// key shown for it and the three bytes the button report carries.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/profile/button_function_table.h"
#include "core/profile/profile_record.h"

namespace {

// Device bytes taken from the button record or the running apply rather than from the table.
constexpr int kRecordModifiers = -1;
constexpr int kRecordKeyCode = -2;
constexpr int kMacroNumber = -3;

struct FunctionRow {
    const char* name;
    int code;
    const char* menuItem;    // "": no menu item selects the code
    const char* displayKey;  // "": empty text
    int deviceBytes[3];
};

void PrintTo(const FunctionRow& row, std::ostream* os)
{
    *os << row.name;
}

constexpr FunctionRow kRows[] = {
    {"code_000_button_off", 0, "ms_1_button_off", "button_off_text", {1, 0, 0}},
    {"code_001_click", 1, "ms_1_click", "left_click_text", {2, 0, 0}},
    {"code_002_menu", 2, "ms_1_menu", "right_click_text", {3, 0, 0}},
    {"code_003_scroll", 3, "ms_1_scroll", "wheel_click_text", {4, 0, 0}},
    {"code_004_forward", 4, "ms_1_forward", "forward_text", {6, 0, 0}},
    {"code_005_backward", 5, "ms_1_backward", "backward_text", {5, 0, 0}},
    {"code_006_dpi_cycle", 6, "ms_1_dpi_cycle", "dpi_cycle_text", {13, 0, 0}},
    {"code_007_dpi_up", 7, "ms_1_dpi_up", "dpi_up_text", {14, 0, 0}},
    {"code_008_dpi_down", 8, "ms_1_dpi_down", "dpi_down_text", {15, 0, 0}},
    {"code_009_double_click", 9, "ms_1_double_click", "double_click_text", {7, 0, 0}},
    {"code_010_fire_button", 10, "ms_1_fire_button", "fire_button_text", {8, 0, 0}},
    {"code_011_scroll_up", 11, "ms_1_scroll_up", "scroll_up_text", {9, 0, 0}},
    {"code_012_scroll_down", 12, "ms_1_scroll_down", "scroll_down_text", {10, 0, 0}},
    {"code_013_titl_left", 13, "ms_1_titl_left", "titl_left_text", {11, 0, 0}},
    {"code_014_titl_right", 14, "ms_1_titl_right", "titl_right_text", {12, 0, 0}},
    {"code_016_shortcut", 16, "ms_1_shortcut", "", {17, kRecordModifiers, kRecordKeyCode}},
    {"code_017_select_macro", 17, "ms_1_select_macro", "", {18, 0, kMacroNumber}},
    {"code_019_no_item", 19, "", "", {19, 0, 0}},
    {"code_021_no_item", 21, "", "", {43, 0, 0}},
    {"code_022_easy_aim", 22, "ms_1_easy_aim", "easy_aim_text", {16, 0, 3}},
    {"code_023_led_loop", 23, "ms_1_led_loop", "led_loop_text", {41, 0, 3}},
    {"code_032_cut", 32, "ms_1_cut", "cut_text", {17, 1, 27}},
    {"code_033_copy", 33, "ms_1_copy", "copy_text", {17, 1, 6}},
    {"code_034_paste", 34, "ms_1_paste", "paste_text", {17, 1, 25}},
    {"code_035_open", 35, "ms_1_open", "open_text", {17, 1, 18}},
    {"code_036_save", 36, "ms_1_save", "save_text", {17, 1, 22}},
    {"code_037_find", 37, "ms_1_find", "find_text", {17, 1, 9}},
    {"code_038_redo", 38, "ms_1_redo", "redo_text", {17, 1, 28}},
    {"code_039_undo", 39, "", "undo_text", {17, 1, 29}},
    {"code_040_select_all", 40, "ms_1_select_all", "select_all_text", {17, 1, 4}},
    {"code_041_print", 41, "ms_1_print", "print_text", {17, 1, 19}},
    {"code_042_close_window", 42, "ms_1_close_window", "close_window_text", {17, 4, 61}},
    {"code_043_swap_windows", 43, "ms_1_swap_windows", "swap_windows_text", {17, 4, 43}},
    {"code_044_show_desktop", 44, "ms_1_show_desktop", "show_desktop_text", {17, 8, 7}},
    {"code_045_run_command", 45, "ms_1_run_command", "run_command_text", {17, 8, 21}},
    {"code_046_lock_pc", 46, "ms_1_lock_pc", "lock_pc_text", {17, 8, 15}},
    {"code_047_no_item", 47, "", "", {17, 1, 17}},
    {"code_048_no_item", 48, "", "", {17, 1, 46}},
    {"code_049_no_item", 49, "", "", {17, 1, 45}},
    {"code_050_screen_capture", 50, "ms_1_screen_capture", "screen_capture_text", {17, 10, 22}},
    {"code_051_task_view", 51, "", "task_view_text", {0, 0, 0}},
    {"code_054_profile_cycle", 54, "", "profile_cycle_text", {52, 0, 0}},
    {"code_055_profile_up", 55, "", "profile_up_text", {53, 0, 0}},
    {"code_056_profile_down", 56, "", "profile_down_text", {54, 0, 0}},
    {"code_064_media_player", 64, "ms_1_media_player", "media_player_text", {21, 0, 0}},
    {"code_065_play_pause", 65, "ms_1_play_pause", "play_pause_text", {24, 0, 0}},
    {"code_066_media_stop", 66, "ms_1_media_stop", "media_stop_text", {25, 0, 0}},
    {"code_067_pre_track", 67, "ms_1_pre_track", "previous_track_text", {22, 0, 0}},
    {"code_068_next_track", 68, "ms_1_next_track", "next_track_text", {23, 0, 0}},
    {"code_069_volume_up", 69, "ms_1_volume_up", "volume_up_text", {27, 0, 0}},
    {"code_070_volume_down", 70, "ms_1_volume_down", "volume_down_text", {28, 0, 0}},
    {"code_071_mute", 71, "ms_1_mute", "mute_text", {26, 0, 0}},
    {"code_080_browser_home", 80, "ms_1_browser_home", "browser_home_text", {37, 0, 0}},
    {"code_081_browser_favorites", 81, "ms_1_browser_favorites", "browser_favorites_text", {17, 3, 18}},
    {"code_082_browser_forward", 82, "ms_1_browser_forward", "browser_forward_text", {32, 0, 0}},
    {"code_083_browser_backward", 83, "ms_1_browser_backward", "browser_backward_text", {33, 0, 0}},
    {"code_084_browser_stop", 84, "ms_1_browser_stop", "browser_stop_text", {34, 0, 0}},
    {"code_085_browser_refresh", 85, "ms_1_browser_refresh", "browser_refresh_text", {36, 0, 0}},
    {"code_086_browser_search", 86, "ms_1_browser_search", "browser_search_text", {38, 0, 0}},
    {"code_087_email", 87, "ms_1_email", "email_text", {30, 0, 0}},
    {"code_088_calculator", 88, "ms_1_calculator", "calculator_text", {29, 0, 0}},
    {"code_089_my_computer", 89, "ms_1_my_computer", "my_computer_text", {35, 0, 0}},
    {"code_115_no_item", 115, "", "", {20, 0, 0}},
};

constexpr std::uint8_t kModifiersInRecord = 0x0B;
constexpr std::uint8_t kKeyCodeInRecord = 0x2C;
constexpr std::uint8_t kMacroNumberOfApply = 5;

// A button record whose key-combination fields differ from every fixed byte of the table.
ButtonRecord RecordWithKeyCombination()
{
    ButtonRecord button{};
    button.modifiers = kModifiersInRecord;
    button.key_code = kKeyCodeInRecord;
    return button;
}

DeviceBytes Expected(const FunctionRow& row)
{
    DeviceBytes bytes{};
    for (int i = 0; i < 3; ++i) {
        switch (row.deviceBytes[i]) {
        case kRecordModifiers: bytes[std::size_t(i)] = kModifiersInRecord; break;
        case kRecordKeyCode: bytes[std::size_t(i)] = kKeyCodeInRecord; break;
        case kMacroNumber: bytes[std::size_t(i)] = kMacroNumberOfApply; break;
        default: bytes[std::size_t(i)] = std::uint8_t(row.deviceBytes[i]);
        }
    }
    return bytes;
}

class FunctionTableRow : public ::testing::TestWithParam<FunctionRow> {};

TEST_P(FunctionTableRow, MenuItemSelectsTheCode)
{
    const FunctionRow& row = GetParam();
    EXPECT_EQ(FunctionMenuItem(std::uint8_t(row.code)), QLatin1String(row.menuItem));
    if (*row.menuItem) {
        EXPECT_EQ(FunctionFromMenuItem(QLatin1String(row.menuItem)), row.code);
        EXPECT_EQ(FunctionFromMenuItem(QString::fromLatin1(row.menuItem).toUpper()), row.code);
    }
}

TEST_P(FunctionTableRow, DisplayKey)
{
    const FunctionRow& row = GetParam();
    EXPECT_EQ(FunctionDisplayKey(std::uint8_t(row.code)), QLatin1String(row.displayKey));
}

TEST_P(FunctionTableRow, DeviceBytes)
{
    const FunctionRow& row = GetParam();
    EXPECT_EQ(FunctionDeviceBytes(std::uint8_t(row.code), RecordWithKeyCombination(), kMacroNumberOfApply),
              Expected(row));
}

INSTANTIATE_TEST_SUITE_P(Table, FunctionTableRow, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FunctionTable, HasSixtyThreeRows)
{
    std::set<int> codes;
    for (const FunctionRow& row : kRows)
        codes.insert(row.code);
    EXPECT_EQ(codes.size(), 63u);
}

TEST(FunctionTable, CodesWithoutARowShowNothingAndSendZeros)
{
    std::set<int> listed;
    for (const FunctionRow& row : kRows)
        listed.insert(row.code);
    for (int code = 0; code < 256; ++code) {
        if (listed.count(code))
            continue;
        EXPECT_TRUE(FunctionMenuItem(std::uint8_t(code)).isEmpty()) << code;
        EXPECT_TRUE(FunctionDisplayKey(std::uint8_t(code)).isEmpty()) << code;
        EXPECT_EQ(FunctionDeviceBytes(std::uint8_t(code), RecordWithKeyCombination(), kMacroNumberOfApply),
                  (DeviceBytes{0, 0, 0}))
            << code;
    }
}

TEST(FunctionTable, NamesThatAreNoMenuItemGiveLeftClick)
{
    for (const char* name : {"", "ms_1_btn_macro", "ms_1_undo", "ms_1_email ", "ms_1_emai", "undo_text"})
        EXPECT_EQ(FunctionFromMenuItem(QLatin1String(name)), 1) << name;
}

}  // namespace
