// Every row of the button function table, written down from the table of functions the mouse
// knows, independently of the table in the code: the menu item that selects a code, the language
// key shown for it and the three bytes the button report carries.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/profile/button_function_table.h"
#include "core/profile/profile_record.h"

namespace {

// Device bytes taken from the button record or the running apply rather than from the table.
constexpr int kMods = -1, kKey = -2, kMacroNo = -3;
constexpr std::uint8_t kModsInRecord = 0x0B, kKeyInRecord = 0x2C, kMacroNumberOfApply = 5;

struct FunctionRow {
    int code;
    const char* menuItem;    // "": no menu item selects the code
    const char* displayKey;  // "": empty text
    int bytes[3];
};

const FunctionRow kRows[] = {
    {0, "ms_1_button_off", "button_off_text", {1, 0, 0}},          {1, "ms_1_click", "left_click_text", {2, 0, 0}},
    {2, "ms_1_menu", "right_click_text", {3, 0, 0}},              {3, "ms_1_scroll", "wheel_click_text", {4, 0, 0}},
    {4, "ms_1_forward", "forward_text", {6, 0, 0}},               {5, "ms_1_backward", "backward_text", {5, 0, 0}},
    {6, "ms_1_dpi_cycle", "dpi_cycle_text", {13, 0, 0}},          {7, "ms_1_dpi_up", "dpi_up_text", {14, 0, 0}},
    {8, "ms_1_dpi_down", "dpi_down_text", {15, 0, 0}},            {9, "ms_1_double_click", "double_click_text", {7, 0, 0}},
    {10, "ms_1_fire_button", "fire_button_text", {8, 0, 0}},      {11, "ms_1_scroll_up", "scroll_up_text", {9, 0, 0}},
    {12, "ms_1_scroll_down", "scroll_down_text", {10, 0, 0}},     {13, "ms_1_titl_left", "titl_left_text", {11, 0, 0}},
    {14, "ms_1_titl_right", "titl_right_text", {12, 0, 0}},       {16, "ms_1_shortcut", "", {17, kMods, kKey}},
    {17, "ms_1_select_macro", "", {18, 0, kMacroNo}},             {19, "", "", {19, 0, 0}},
    {21, "", "", {43, 0, 0}},                                     {22, "ms_1_easy_aim", "easy_aim_text", {16, 0, 3}},
    {23, "ms_1_led_loop", "led_loop_text", {41, 0, 3}},           {32, "ms_1_cut", "cut_text", {17, 1, 27}},
    {33, "ms_1_copy", "copy_text", {17, 1, 6}},                   {34, "ms_1_paste", "paste_text", {17, 1, 25}},
    {35, "ms_1_open", "open_text", {17, 1, 18}},                  {36, "ms_1_save", "save_text", {17, 1, 22}},
    {37, "ms_1_find", "find_text", {17, 1, 9}},                   {38, "ms_1_redo", "redo_text", {17, 1, 28}},
    {39, "", "undo_text", {17, 1, 29}},                           {40, "ms_1_select_all", "select_all_text", {17, 1, 4}},
    {41, "ms_1_print", "print_text", {17, 1, 19}},                {42, "ms_1_close_window", "close_window_text", {17, 4, 61}},
    {43, "ms_1_swap_windows", "swap_windows_text", {17, 4, 43}},  {44, "ms_1_show_desktop", "show_desktop_text", {17, 8, 7}},
    {45, "ms_1_run_command", "run_command_text", {17, 8, 21}},    {46, "ms_1_lock_pc", "lock_pc_text", {17, 8, 15}},
    {47, "", "", {17, 1, 17}},                                    {48, "", "", {17, 1, 46}},
    {49, "", "", {17, 1, 45}},                                    {50, "ms_1_screen_capture", "screen_capture_text", {17, 10, 22}},
    {51, "", "task_view_text", {0, 0, 0}},                        {54, "", "profile_cycle_text", {52, 0, 0}},
    {55, "", "profile_up_text", {53, 0, 0}},                      {56, "", "profile_down_text", {54, 0, 0}},
    {64, "ms_1_media_player", "media_player_text", {21, 0, 0}},   {65, "ms_1_play_pause", "play_pause_text", {24, 0, 0}},
    {66, "ms_1_media_stop", "media_stop_text", {25, 0, 0}},       {67, "ms_1_pre_track", "previous_track_text", {22, 0, 0}},
    {68, "ms_1_next_track", "next_track_text", {23, 0, 0}},       {69, "ms_1_volume_up", "volume_up_text", {27, 0, 0}},
    {70, "ms_1_volume_down", "volume_down_text", {28, 0, 0}},     {71, "ms_1_mute", "mute_text", {26, 0, 0}},
    {80, "ms_1_browser_home", "browser_home_text", {37, 0, 0}},
    {81, "ms_1_browser_favorites", "browser_favorites_text", {17, 3, 18}},
    {82, "ms_1_browser_forward", "browser_forward_text", {32, 0, 0}},
    {83, "ms_1_browser_backward", "browser_backward_text", {33, 0, 0}},
    {84, "ms_1_browser_stop", "browser_stop_text", {34, 0, 0}},
    {85, "ms_1_browser_refresh", "browser_refresh_text", {36, 0, 0}},
    {86, "ms_1_browser_search", "browser_search_text", {38, 0, 0}},
    {87, "ms_1_email", "email_text", {30, 0, 0}},                 {88, "ms_1_calculator", "calculator_text", {29, 0, 0}},
    {89, "ms_1_my_computer", "my_computer_text", {35, 0, 0}},     {115, "", "", {20, 0, 0}},
};

// Every code 0..255: a row's menu item (found again in any letter case), display key and device
// bytes, taken against a button record whose key-combination fields differ from every fixed byte;
// codes without a row show nothing and send zeros.
TEST(FunctionTable, EveryCodeMapsMenuItemDisplayKeyAndDeviceBytes) {
    ButtonRecord button{};
    button.modifiers = kModsInRecord;
    button.key_code = kKeyInRecord;
    int rows = 0;
    for (int code = 0; code < 256; ++code) {
        SCOPED_TRACE(code);
        const auto row = std::find_if(std::begin(kRows), std::end(kRows), [code](const FunctionRow& r) { return r.code == code; });
        const bool listed = row != std::end(kRows);
        rows += listed;
        const FunctionRow expected = listed ? *row : FunctionRow{code, "", "", {0, 0, 0}};
        EXPECT_EQ(FunctionMenuItem(std::uint8_t(code)), QLatin1String(expected.menuItem));
        if (*expected.menuItem) {
            EXPECT_EQ(FunctionFromMenuItem(QLatin1String(expected.menuItem)), code);
            EXPECT_EQ(FunctionFromMenuItem(QString::fromLatin1(expected.menuItem).toUpper()), code);
        }
        EXPECT_EQ(FunctionDisplayKey(std::uint8_t(code)), QLatin1String(expected.displayKey));
        DeviceBytes bytes{};
        for (int i = 0; i < 3; ++i) {
            const int b = expected.bytes[i];
            bytes[std::size_t(i)] = b == kMods ? kModsInRecord : b == kKey ? kKeyInRecord : b == kMacroNo ? kMacroNumberOfApply : std::uint8_t(b);
        }
        EXPECT_EQ(FunctionDeviceBytes(std::uint8_t(code), button, kMacroNumberOfApply), bytes);
    }
    EXPECT_EQ(rows, 63);
    for (const char* name : {"", "ms_1_btn_macro", "ms_1_undo", "ms_1_email ", "ms_1_emai", "undo_text"})
        EXPECT_EQ(FunctionFromMenuItem(QLatin1String(name)), 1) << name;  // no menu item: left click
}

}  // namespace
