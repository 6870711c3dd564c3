// The fixed tables, written down row by row independently of the tables in the code: the button
// function table (the menu item that selects a code, the language key shown for it and the three
// bytes the button report carries), the key table and the two name tables of the keyboard; and how
// the US and French layouts place and name keys.
#include <gtest/gtest.h>

#include <QStringList>
#include <algorithm>
#include <set>
#include <span>

#include "core/keys/builtin_keyboard_layouts.h"
#include "core/keys/key_tables.h"
#include "core/keys/keyboard_layout.h"
#include "core/profile/button_function_table.h"
#include "core/profile/profile_record.h"
#include "core/text/language_text.h"

namespace {

// Device bytes taken from the button record or the running apply rather than from the table.
constexpr int kMods = -1, kKey = -2, kMacroNo = -3;
constexpr std::uint8_t kModsInRecord = 0x0B, kKeyInRecord = 0x2C, kMacroNumberOfApply = 5;

// menuItem after "ms_1_" ("": none selects the code); displayKey before "_text" ("": empty text,
// "=": the menu item's name); then the three bytes of the button report.
struct FunctionRow { int code; const char *menuItem, *displayKey; int bytes[3]; };

const FunctionRow kRows[] = {
    {0, "button_off", "=", {1, 0, 0}}, {1, "click", "left_click", {2, 0, 0}}, {2, "menu", "right_click", {3, 0, 0}},
    {3, "scroll", "wheel_click", {4, 0, 0}}, {4, "forward", "=", {6, 0, 0}}, {5, "backward", "=", {5, 0, 0}},
    {6, "dpi_cycle", "=", {13, 0, 0}}, {7, "dpi_up", "=", {14, 0, 0}}, {8, "dpi_down", "=", {15, 0, 0}},
    {9, "double_click", "=", {7, 0, 0}}, {10, "fire_button", "=", {8, 0, 0}}, {11, "scroll_up", "=", {9, 0, 0}},
    {12, "scroll_down", "=", {10, 0, 0}}, {13, "titl_left", "=", {11, 0, 0}}, {14, "titl_right", "=", {12, 0, 0}},
    {16, "shortcut", "", {17, kMods, kKey}}, {17, "select_macro", "", {18, 0, kMacroNo}}, {19, "", "", {19, 0, 0}},
    {21, "", "", {43, 0, 0}}, {22, "easy_aim", "=", {16, 0, 3}}, {23, "led_loop", "=", {41, 0, 3}},
    {32, "cut", "=", {17, 1, 27}}, {33, "copy", "=", {17, 1, 6}}, {34, "paste", "=", {17, 1, 25}},
    {35, "open", "=", {17, 1, 18}}, {36, "save", "=", {17, 1, 22}}, {37, "find", "=", {17, 1, 9}},
    {38, "redo", "=", {17, 1, 28}}, {39, "", "undo", {17, 1, 29}}, {40, "select_all", "=", {17, 1, 4}},
    {41, "print", "=", {17, 1, 19}}, {42, "close_window", "=", {17, 4, 61}}, {43, "swap_windows", "=", {17, 4, 43}},
    {44, "show_desktop", "=", {17, 8, 7}}, {45, "run_command", "=", {17, 8, 21}}, {46, "lock_pc", "=", {17, 8, 15}},
    {47, "", "", {17, 1, 17}}, {48, "", "", {17, 1, 46}}, {49, "", "", {17, 1, 45}},
    {50, "screen_capture", "=", {17, 10, 22}}, {51, "", "task_view", {0, 0, 0}}, {54, "", "profile_cycle", {52, 0, 0}},
    {55, "", "profile_up", {53, 0, 0}}, {56, "", "profile_down", {54, 0, 0}}, {64, "media_player", "=", {21, 0, 0}},
    {65, "play_pause", "=", {24, 0, 0}}, {66, "media_stop", "=", {25, 0, 0}},
    {67, "pre_track", "previous_track", {22, 0, 0}}, {68, "next_track", "=", {23, 0, 0}},
    {69, "volume_up", "=", {27, 0, 0}}, {70, "volume_down", "=", {28, 0, 0}}, {71, "mute", "=", {26, 0, 0}},
    {80, "browser_home", "=", {37, 0, 0}}, {81, "browser_favorites", "=", {17, 3, 18}},
    {82, "browser_forward", "=", {32, 0, 0}}, {83, "browser_backward", "=", {33, 0, 0}},
    {84, "browser_stop", "=", {34, 0, 0}}, {85, "browser_refresh", "=", {36, 0, 0}},
    {86, "browser_search", "=", {38, 0, 0}}, {87, "email", "=", {30, 0, 0}}, {88, "calculator", "=", {29, 0, 0}},
    {89, "my_computer", "=", {35, 0, 0}}, {115, "", "", {20, 0, 0}},
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
        const QString menuItem = *expected.menuItem ? "ms_1_" + QString(expected.menuItem) : QString();
        EXPECT_EQ(FunctionMenuItem(std::uint8_t(code)), menuItem);
        if (!menuItem.isEmpty()) {
            EXPECT_EQ(FunctionFromMenuItem(menuItem), code);
            EXPECT_EQ(FunctionFromMenuItem(menuItem.toUpper()), code);
        }
        const QString displayKey = QLatin1String(*expected.displayKey == '=' ? expected.menuItem : expected.displayKey);
        EXPECT_EQ(FunctionDisplayKey(std::uint8_t(code)), displayKey.isEmpty() ? QString() : displayKey + "_text");
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

struct KeyRow { std::uint32_t virtualKey, usage, scanCode; };

// In table order: A..Z, 1..0, Enter, Esc, Backspace, Tab, Space, - = [ ] \ ; ' ` , . / and OEM_8 (both
// 0x38), Caps Lock, F1..F12, then the rows without a scan code: Print Screen, Scroll Lock, Pause, Insert,
// Home, Page Up, Delete, End, Page Down, Right, Left, Down, Up, Num Lock, Num / * - +, Num Enter, Num
// 1..5, Num 7 before Num 6, Num 8, 9, 0, ., Apps, left and right Ctrl, Shift, Alt, Win, seven unnamed, and
// the ISO key beside left Shift (VK_OEM_102, usage 0x64, scan 0x56).
const KeyRow kKeyRows[] = {
    {0x41, 0x04, 0x1E}, {0x42, 0x05, 0x30}, {0x43, 0x06, 0x2E}, {0x44, 0x07, 0x20}, {0x45, 0x08, 0x12},
    {0x46, 0x09, 0x21}, {0x47, 0x0A, 0x22}, {0x48, 0x0B, 0x23}, {0x49, 0x0C, 0x17}, {0x4A, 0x0D, 0x24},
    {0x4B, 0x0E, 0x25}, {0x4C, 0x0F, 0x26}, {0x4D, 0x10, 0x32}, {0x4E, 0x11, 0x31}, {0x4F, 0x12, 0x18},
    {0x50, 0x13, 0x19}, {0x51, 0x14, 0x10}, {0x52, 0x15, 0x13}, {0x53, 0x16, 0x1F}, {0x54, 0x17, 0x14},
    {0x55, 0x18, 0x16}, {0x56, 0x19, 0x2F}, {0x57, 0x1A, 0x11}, {0x58, 0x1B, 0x2D}, {0x59, 0x1C, 0x15},
    {0x5A, 0x1D, 0x2C}, {0x31, 0x1E, 0x02}, {0x32, 0x1F, 0x03}, {0x33, 0x20, 0x04}, {0x34, 0x21, 0x05},
    {0x35, 0x22, 0x06}, {0x36, 0x23, 0x07}, {0x37, 0x24, 0x08}, {0x38, 0x25, 0x09}, {0x39, 0x26, 0x0A},
    {0x30, 0x27, 0x0B}, {0x0D, 0x28, 0x1C}, {0x1B, 0x29, 0x01}, {0x08, 0x2A, 0x0E}, {0x09, 0x2B, 0x0F},
    {0x20, 0x2C, 0x39}, {0xBD, 0x2D, 0x0C}, {0xBB, 0x2E, 0x0D}, {0xDB, 0x2F, 0x1A}, {0xDD, 0x30, 0x1B},
    {0xDC, 0x31, 0x2B}, {0xBA, 0x33, 0x27}, {0xDE, 0x34, 0x28}, {0xC0, 0x35, 0x29}, {0xBC, 0x36, 0x33},
    {0xBE, 0x37, 0x34}, {0xBF, 0x38, 0x35}, {0xDF, 0x38, 0x35}, {0x14, 0x39, 0x3A}, {0x70, 0x3A, 0x3B},
    {0x71, 0x3B, 0x3C}, {0x72, 0x3C, 0x3D}, {0x73, 0x3D, 0x3E}, {0x74, 0x3E, 0x3F}, {0x75, 0x3F, 0x40},
    {0x76, 0x40, 0x41}, {0x77, 0x41, 0x42}, {0x78, 0x42, 0x43}, {0x79, 0x43, 0x44}, {0x7A, 0x44, 0x57},
    {0x7B, 0x45, 0x58}, {0x2C, 0x46, 0}, {0x91, 0x47, 0}, {0x13, 0x48, 0}, {0x2D, 0x49, 0}, {0x24, 0x4A, 0},
    {0x21, 0x4B, 0}, {0x2E, 0x4C, 0}, {0x23, 0x4D, 0}, {0x22, 0x4E, 0}, {0x27, 0x4F, 0}, {0x25, 0x50, 0},
    {0x28, 0x51, 0}, {0x26, 0x52, 0}, {0x90, 0x53, 0}, {0x6F, 0x54, 0}, {0x6A, 0x55, 0}, {0x6D, 0x56, 0},
    {0x6B, 0x57, 0}, {0x6C, 0x58, 0}, {0x61, 0x59, 0}, {0x62, 0x5A, 0}, {0x63, 0x5B, 0}, {0x64, 0x5C, 0},
    {0x65, 0x5D, 0}, {0x67, 0x5F, 0}, {0x66, 0x5E, 0}, {0x68, 0x60, 0}, {0x69, 0x61, 0}, {0x60, 0x62, 0},
    {0x6E, 0x63, 0}, {0x5D, 0x65, 0}, {0xA2, 0xE0, 0}, {0xA0, 0xE1, 0}, {0xA4, 0xE2, 0}, {0x5B, 0xE3, 0},
    {0xA3, 0xE4, 0}, {0xA1, 0xE5, 0}, {0xA5, 0xE6, 0}, {0x5C, 0xE7, 0}, {0xF0, 0xF0, 0}, {0xF1, 0xF1, 0},
    {0xF2, 0xF2, 0}, {0xF3, 0xF3, 0}, {0xF4, 0xF4, 0}, {0xF7, 0xF7, 0}, {0xF8, 0xF8, 0}, {0xE2, 0x64, 0x56},
};

struct NameRow { std::uint32_t code; const char* languageKey; };

// Virtual keys shown by a language text; the first and last of Num 0..9 and F1..F12 are here.
const NameRow kVirtualKeyNames[] = {
    {0x08, "key_BackSpace"}, {0x60, "key_Num_0"}, {0x61, "key_Num_1"}, {0x62, "key_Num_2"}, {0x63, "key_Num_3"},
    {0x64, "key_Num_4"}, {0x65, "key_Num_5"}, {0x66, "key_Num_6"}, {0x67, "key_Num_7"}, {0x68, "key_Num_8"},
    {0x69, "key_Num_9"}, {0x09, "key_Tab"}, {0x6A, "key_Num_*"}, {0x0D, "key_Enter"}, {0x6B, "key_Num_+"},
    {0x10, "key_LShift"}, {0x6C, "key_Num_Enter"}, {0x11, "key_LCtrl"}, {0x6D, "key_Num_-"}, {0x12, "key_LAlt"},
    {0x6E, "key_Num_."}, {0x13, "key_Pause"}, {0x6F, "key_Num_/"}, {0x14, "key_Caplk"}, {0x70, "key_F1"},
    {0x71, "key_F2"}, {0x72, "key_F3"}, {0x73, "key_F4"}, {0x74, "key_F5"}, {0x75, "key_F6"}, {0x76, "key_F7"},
    {0x77, "key_F8"}, {0x78, "key_F9"}, {0x79, "key_F10"}, {0x7A, "key_F11"}, {0x7B, "key_F12"}, {0x1B, "key_Esc"},
    {0x90, "key_Num Lock"}, {0x20, "key_Space"}, {0x91, "key_Scroll Lock"}, {0x21, "key_Page Up"}, {0xA0, "key_LShift"},
    {0x22, "key_Page Down"}, {0xA1, "key_RShift"}, {0x23, "key_End"}, {0xA2, "key_LCtrl"}, {0x24, "key_Home"},
    {0xA3, "key_RCtrl"}, {0x25, "key_Left"}, {0xA4, "key_LAlt"}, {0x26, "key_Up"}, {0xA5, "key_RAlt"},
    {0x27, "key_Right"}, {0xF0, "key_Caplk"}, {0x28, "key_Down"}, {0x5B, "key_LWin"}, {0x2A, "key_Print Scr"},
    {0x5C, "key_RWin"}, {0x2C, "key_Print Scr"}, {0x5D, "key_APP"}, {0x2D, "key_Insert"}, {0x2E, "key_Delete"},
};

// Codes outside the layout ranges (4..57, 232..239) shown by a language text; 102 to 104 by the
// text of the empty key. The first and last of F1..F12 (58..69) and Num 1..9 (89..97) are here. The
// ISO key (100) is named by its layout, as LayoutsPlaceAndNameKeys shows.
const NameRow kUsageNames[] = {
    {58, "key_F1"}, {59, "key_F2"}, {60, "key_F3"}, {61, "key_F4"}, {62, "key_F5"}, {63, "key_F6"}, {64, "key_F7"},
    {65, "key_F8"}, {66, "key_F9"}, {67, "key_F10"}, {68, "key_F11"}, {69, "key_F12"}, {70, "key_Print Scr"},
    {71, "key_Scroll Lock"}, {72, "key_Pause"}, {73, "key_Insert"}, {74, "key_Home"}, {75, "key_Page Up"},
    {76, "key_Delete"}, {77, "key_End"}, {78, "key_Page Down"}, {79, "key_Right"}, {80, "key_Left"}, {81, "key_Down"},
    {82, "key_Up"}, {83, "key_Num Lock"}, {84, "key_Num_/"}, {85, "key_Num_*"}, {86, "key_Num_-"}, {87, "key_Num_+"},
    {88, "key_Num_Enter"}, {89, "key_Num_1"}, {90, "key_Num_2"}, {91, "key_Num_3"}, {92, "key_Num_4"},
    {93, "key_Num_5"}, {94, "key_Num_6"}, {95, "key_Num_7"}, {96, "key_Num_8"}, {97, "key_Num_9"}, {98, "key_Num_0"},
    {99, "key_Num_."}, {101, "key_APP"}, {102, ""}, {103, ""}, {104, ""}, {130, "Sleep"},
    {136, "Kana/Roma"}, {221, "`"}, {224, "key_LCtrl"}, {225, "key_LShift"}, {226, "key_LAlt"}, {227, "key_LWin"},
    {228, "key_RCtrl"}, {229, "key_RShift"}, {230, "key_RAlt"}, {231, "key_RWin"}, {241, "L_Button"}, {242, "R_Button"},
    {243, "M_Button"}, {244, "Backward_Button"}, {245, "Forward_Button"},
};

// Language texts that show which key was looked up, and every key asked for.
class KeyTables : public ::testing::Test {
protected:
    void SetUp() override {
        SetTextLookup([this](const QString& key) {
            asked << key;
            return QStringLiteral("<%1>").arg(key);
        });
    }
    void TearDown() override { SetTextLookup({}); }
    static QString Shown(const char* key) { return QStringLiteral("<%1>").arg(QString::fromUtf8(key)); }
    QStringList asked;
    const KeyboardLayout& us = *UsKeyboardLayout();
    const KeyboardLayout& azerty = *FrenchAzertyKeyboardLayout();
};

// A layout without any key: a key stored by position then finds the first row without a scan code.
class NoKeysLayout final : public KeyboardLayout {
    std::uint32_t VirtualKeyToScanCode(std::uint32_t) const override { return 0; }
    std::uint32_t ScanCodeToVirtualKey(std::uint32_t) const override { return 0; }
    QString KeyText(std::uint32_t) const override { return {}; }
};

TEST_F(KeyTables, EveryKeyRowInOrderAndFoundInEveryLayout) {
    ASSERT_EQ(KeyCodeTable.size(), std::size(kKeyRows));
    const NoKeysLayout none;
    for (std::size_t i = 0; i < std::size(kKeyRows); ++i) {
        const KeyRow& expected = kKeyRows[i];
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(std::tuple(KeyCodeTable[i].virtualKey, KeyCodeTable[i].usage, KeyCodeTable[i].scanCode),
                  std::tuple(expected.virtualKey, expected.usage, expected.scanCode));
        // Letters through F12 (usages 4 to 69) are stored by their position in the layout.
        const bool positional = expected.usage >= 4 && expected.usage <= 69;
        for (const KeyboardLayout* layout : {&us, &azerty}) {
            const UsageLookup lookup = VirtualKeyToUsage(expected.virtualKey, *layout);
            EXPECT_TRUE(lookup.found);
            EXPECT_TRUE(positional || lookup.code == expected.usage);
        }
        EXPECT_EQ(VirtualKeyToUsage(expected.virtualKey, none).code, positional ? 0x46 : expected.usage);
    }
}

// Every named virtual key and code shows the text of its key in both layouts; no other virtual
// key, and no other code outside the layout ranges, asks for a text (e.g. 0x5F, 0x7C, 70, 98).
TEST_F(KeyTables, NamedKeysShowTheirTextAndNoOtherKeyAsksForOne) {
    for (const bool usage : {false, true}) {
        const auto name = [usage](std::uint32_t code, const KeyboardLayout& layout) {
            return usage ? UsageName(std::uint8_t(code), layout) : VirtualKeyName(code, layout);
        };
        std::set<std::uint32_t> named;
        for (const NameRow& row : usage ? std::span<const NameRow>(kUsageNames) : std::span<const NameRow>(kVirtualKeyNames)) {
            named.insert(row.code);
            for (const KeyboardLayout* layout : {&us, &azerty})
                EXPECT_EQ(name(row.code, *layout), Shown(row.languageKey)) << row.code;
        }
        asked.clear();
        for (std::uint32_t code = 0; code < 256; ++code) {
            const bool layoutRange = usage && ((code >= 4 && code <= 57) || (code >= 232 && code <= 239) || code == 100);
            if (!layoutRange && !named.count(code)) {
                const QString shown = name(code, us);
                EXPECT_TRUE(!usage || shown.isEmpty()) << code;  // codes without a name show nothing
            }
        }
        EXPECT_TRUE(asked.isEmpty()) << asked.join(QLatin1Char(',')).toStdString();
    }
}

// Where the layouts put keys, and what they call them within the layout ranges.
TEST_F(KeyTables, LayoutsPlaceAndNameKeys) {
    struct Place { bool french; std::uint32_t virtualKey; bool found; std::uint8_t usage; };
    for (const Place& c : {Place{false, 0x41, true, 0x04}, {true, 0x41, true, 0x14},  // AZERTY "A" where US "Q" is
                           {true, 0x5A, true, 0x1A}, {true, 0x4D, true, 0x33},  // "Z" at US "W", "M" at US ";"
                           {true, 0x31, true, 0x1E}, {false, 0xAD, false, 0},  // digits keep their row; no row for mute
                           {false, 0xDF, true, 0x46},  // US has no OEM_8 key: scan 0 finds the first row without one
                           {true, 0xDF, true, 0x38}}) {  // AZERTY's "!" key, scan 0x35
        const UsageLookup lookup = VirtualKeyToUsage(c.virtualKey, c.french ? azerty : us);
        EXPECT_EQ(std::pair(lookup.found, lookup.code), std::pair(c.found, c.usage)) << c.virtualKey;
    }
    struct Name { bool french, usage; std::uint32_t code; QString shown; };
    for (const Name& c : {Name{false, true, 0x04, "A"}, {true, true, 0x14, "A"}, {true, true, 0x1F, QString(QChar(0xE9))},
                          {false, true, 0x28, "<key_Enter>"}, {false, true, 57, "<key_Caplk>"},  // the range's last code
                          {false, true, 0x32, ""}, {false, true, 0xE8, ""},                       // in range, without a row
                          {false, false, 0xBD, "-"}, {true, false, 0x41, "A"}, {true, false, 0xDD, "^"},  // a dead key
                          {false, false, 0, ""},  // only a..z are put in capitals
                          {false, true, 100, "\\"}, {true, true, 100, "<"}}) {  // the ISO key as each layout types it
        const KeyboardLayout& layout = c.french ? azerty : us;
        EXPECT_EQ(c.usage ? UsageName(std::uint8_t(c.code), layout) : VirtualKeyName(c.code, layout), c.shown) << c.code;
    }
    EXPECT_EQ(UsageName(100, NoKeysLayout()), Shown("key_\\"));  // a layout without it: the language text
    // Any key a layout has comes back as a distinct usage that names the same key.
    for (const KeyboardLayout* layout : {&us, &azerty}) {
        std::set<std::uint8_t> usages;
        for (std::uint32_t vk : {0x41u, 0x4Du, 0x51u, 0x57u, 0x5Au, 0x30u, 0x39u, 0xBAu, 0xBCu, 0xDBu, 0xDEu, 0xE2u}) {
            const UsageLookup lookup = VirtualKeyToUsage(vk, *layout);
            EXPECT_TRUE(usages.insert(lookup.code).second) << vk;
            EXPECT_EQ(UsageName(lookup.code, *layout), VirtualKeyName(vk, *layout)) << vk;
        }
    }
}

}  // namespace
