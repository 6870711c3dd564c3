// The key tables written down row by row from the key table and the two name tables of the
// keyboard, independently of the tables in the code.
#include <gtest/gtest.h>

#include <QStringList>
#include <set>
#include <string>

#include "core/keys/builtin_keyboard_layouts.h"
#include "core/keys/key_tables.h"
#include "core/text/language_text.h"

namespace {

struct KeyRow {
    const char* name;
    int row;  // from 1
    std::uint32_t virtualKey;
    std::uint32_t usage;
    std::uint32_t scanCode;
};

struct NameRow {
    const char* name;
    std::uint32_t code;
    const char* languageKey;
};

void PrintTo(const KeyRow& row, std::ostream* os)
{
    *os << row.name;
}

void PrintTo(const NameRow& row, std::ostream* os)
{
    *os << row.name;
}

constexpr KeyRow kKeyRows[] = {
    {"row_001_A", 1, 0x41, 0x04, 0x1E},
    {"row_002_B", 2, 0x42, 0x05, 0x30},
    {"row_003_C", 3, 0x43, 0x06, 0x2E},
    {"row_004_D", 4, 0x44, 0x07, 0x20},
    {"row_005_E", 5, 0x45, 0x08, 0x12},
    {"row_006_F", 6, 0x46, 0x09, 0x21},
    {"row_007_G", 7, 0x47, 0x0A, 0x22},
    {"row_008_H", 8, 0x48, 0x0B, 0x23},
    {"row_009_I", 9, 0x49, 0x0C, 0x17},
    {"row_010_J", 10, 0x4A, 0x0D, 0x24},
    {"row_011_K", 11, 0x4B, 0x0E, 0x25},
    {"row_012_L", 12, 0x4C, 0x0F, 0x26},
    {"row_013_M", 13, 0x4D, 0x10, 0x32},
    {"row_014_N", 14, 0x4E, 0x11, 0x31},
    {"row_015_O", 15, 0x4F, 0x12, 0x18},
    {"row_016_P", 16, 0x50, 0x13, 0x19},
    {"row_017_Q", 17, 0x51, 0x14, 0x10},
    {"row_018_R", 18, 0x52, 0x15, 0x13},
    {"row_019_S", 19, 0x53, 0x16, 0x1F},
    {"row_020_T", 20, 0x54, 0x17, 0x14},
    {"row_021_U", 21, 0x55, 0x18, 0x16},
    {"row_022_V", 22, 0x56, 0x19, 0x2F},
    {"row_023_W", 23, 0x57, 0x1A, 0x11},
    {"row_024_X", 24, 0x58, 0x1B, 0x2D},
    {"row_025_Y", 25, 0x59, 0x1C, 0x15},
    {"row_026_Z", 26, 0x5A, 0x1D, 0x2C},
    {"row_027_1", 27, 0x31, 0x1E, 0x02},
    {"row_028_2", 28, 0x32, 0x1F, 0x03},
    {"row_029_3", 29, 0x33, 0x20, 0x04},
    {"row_030_4", 30, 0x34, 0x21, 0x05},
    {"row_031_5", 31, 0x35, 0x22, 0x06},
    {"row_032_6", 32, 0x36, 0x23, 0x07},
    {"row_033_7", 33, 0x37, 0x24, 0x08},
    {"row_034_8", 34, 0x38, 0x25, 0x09},
    {"row_035_9", 35, 0x39, 0x26, 0x0A},
    {"row_036_0", 36, 0x30, 0x27, 0x0B},
    {"row_037_Enter", 37, 0x0D, 0x28, 0x1C},
    {"row_038_Esc", 38, 0x1B, 0x29, 0x01},
    {"row_039_Backspace", 39, 0x08, 0x2A, 0x0E},
    {"row_040_Tab", 40, 0x09, 0x2B, 0x0F},
    {"row_041_Space", 41, 0x20, 0x2C, 0x39},
    {"row_042_VK_OEM_MINUS", 42, 0xBD, 0x2D, 0x0C},
    {"row_043_VK_OEM_PLUS", 43, 0xBB, 0x2E, 0x0D},
    {"row_044_VK_OEM_4", 44, 0xDB, 0x2F, 0x1A},
    {"row_045_VK_OEM_6", 45, 0xDD, 0x30, 0x1B},
    {"row_046_VK_OEM_5", 46, 0xDC, 0x31, 0x2B},
    {"row_047_VK_OEM_1", 47, 0xBA, 0x33, 0x27},
    {"row_048_VK_OEM_7", 48, 0xDE, 0x34, 0x28},
    {"row_049_VK_OEM_3", 49, 0xC0, 0x35, 0x29},
    {"row_050_VK_OEM_COMMA", 50, 0xBC, 0x36, 0x33},
    {"row_051_VK_OEM_PERIOD", 51, 0xBE, 0x37, 0x34},
    {"row_052_VK_OEM_2", 52, 0xBF, 0x38, 0x35},
    {"row_053_VK_OEM_8", 53, 0xDF, 0x38, 0x35},
    {"row_054_Caps_Lock", 54, 0x14, 0x39, 0x3A},
    {"row_055_F1", 55, 0x70, 0x3A, 0x3B},
    {"row_056_F2", 56, 0x71, 0x3B, 0x3C},
    {"row_057_F3", 57, 0x72, 0x3C, 0x3D},
    {"row_058_F4", 58, 0x73, 0x3D, 0x3E},
    {"row_059_F5", 59, 0x74, 0x3E, 0x3F},
    {"row_060_F6", 60, 0x75, 0x3F, 0x40},
    {"row_061_F7", 61, 0x76, 0x40, 0x41},
    {"row_062_F8", 62, 0x77, 0x41, 0x42},
    {"row_063_F9", 63, 0x78, 0x42, 0x43},
    {"row_064_F10", 64, 0x79, 0x43, 0x44},
    {"row_065_F11", 65, 0x7A, 0x44, 0x57},
    {"row_066_F12", 66, 0x7B, 0x45, 0x58},
    {"row_067_Print_Screen", 67, 0x2C, 0x46, 0},
    {"row_068_Scroll_Lock", 68, 0x91, 0x47, 0},
    {"row_069_Pause", 69, 0x13, 0x48, 0},
    {"row_070_Insert", 70, 0x2D, 0x49, 0},
    {"row_071_Home", 71, 0x24, 0x4A, 0},
    {"row_072_Page_Up", 72, 0x21, 0x4B, 0},
    {"row_073_Delete", 73, 0x2E, 0x4C, 0},
    {"row_074_End", 74, 0x23, 0x4D, 0},
    {"row_075_Page_Down", 75, 0x22, 0x4E, 0},
    {"row_076_Right", 76, 0x27, 0x4F, 0},
    {"row_077_Left", 77, 0x25, 0x50, 0},
    {"row_078_Down", 78, 0x28, 0x51, 0},
    {"row_079_Up", 79, 0x26, 0x52, 0},
    {"row_080_Num_Lock", 80, 0x90, 0x53, 0},
    {"row_081_Num", 81, 0x6F, 0x54, 0},
    {"row_082_Num", 82, 0x6A, 0x55, 0},
    {"row_083_Num", 83, 0x6D, 0x56, 0},
    {"row_084_Num", 84, 0x6B, 0x57, 0},
    {"row_085_Num_Enter_VK_SEPARATOR", 85, 0x6C, 0x58, 0},
    {"row_086_Num_1", 86, 0x61, 0x59, 0},
    {"row_087_Num_2", 87, 0x62, 0x5A, 0},
    {"row_088_Num_3", 88, 0x63, 0x5B, 0},
    {"row_089_Num_4", 89, 0x64, 0x5C, 0},
    {"row_090_Num_5", 90, 0x65, 0x5D, 0},
    {"row_091_Num_7", 91, 0x67, 0x5F, 0},
    {"row_092_Num_6", 92, 0x66, 0x5E, 0},
    {"row_093_Num_8", 93, 0x68, 0x60, 0},
    {"row_094_Num_9", 94, 0x69, 0x61, 0},
    {"row_095_Num_0", 95, 0x60, 0x62, 0},
    {"row_096_Num_VK_DECIMAL", 96, 0x6E, 0x63, 0},
    {"row_097_Apps", 97, 0x5D, 0x65, 0},
    {"row_098_Left_Ctrl", 98, 0xA2, 0xE0, 0},
    {"row_099_Left_Shift", 99, 0xA0, 0xE1, 0},
    {"row_100_Left_Alt", 100, 0xA4, 0xE2, 0},
    {"row_101_Left_Win", 101, 0x5B, 0xE3, 0},
    {"row_102_Right_Ctrl", 102, 0xA3, 0xE4, 0},
    {"row_103_Right_Shift", 103, 0xA1, 0xE5, 0},
    {"row_104_Right_Alt", 104, 0xA5, 0xE6, 0},
    {"row_105_Right_Win", 105, 0x5C, 0xE7, 0},
    {"row_106_unnamed", 106, 0xF0, 0xF0, 0},
    {"row_107_unnamed", 107, 0xF1, 0xF1, 0},
    {"row_108_unnamed", 108, 0xF2, 0xF2, 0},
    {"row_109_unnamed", 109, 0xF3, 0xF3, 0},
    {"row_110_unnamed", 110, 0xF4, 0xF4, 0},
    {"row_111_unnamed", 111, 0xF7, 0xF7, 0},
    {"row_112_unnamed", 112, 0xF8, 0xF8, 0},
};

// Virtual keys shown by a language text.
constexpr NameRow kVirtualKeyNames[] = {
    {"vk_08_key_BackSpace", 0x08, "key_BackSpace"},
    {"vk_60_key_Num_0", 0x60, "key_Num_0"},
    {"vk_61_key_Num_1", 0x61, "key_Num_1"},
    {"vk_62_key_Num_2", 0x62, "key_Num_2"},
    {"vk_63_key_Num_3", 0x63, "key_Num_3"},
    {"vk_64_key_Num_4", 0x64, "key_Num_4"},
    {"vk_65_key_Num_5", 0x65, "key_Num_5"},
    {"vk_66_key_Num_6", 0x66, "key_Num_6"},
    {"vk_67_key_Num_7", 0x67, "key_Num_7"},
    {"vk_68_key_Num_8", 0x68, "key_Num_8"},
    {"vk_69_key_Num_9", 0x69, "key_Num_9"},
    {"vk_09_key_Tab", 0x09, "key_Tab"},
    {"vk_6A_key_Num", 0x6A, "key_Num_*"},
    {"vk_0D_key_Enter", 0x0D, "key_Enter"},
    {"vk_6B_key_Num", 0x6B, "key_Num_+"},
    {"vk_10_key_LShift", 0x10, "key_LShift"},
    {"vk_6C_key_Num_Enter", 0x6C, "key_Num_Enter"},
    {"vk_11_key_LCtrl", 0x11, "key_LCtrl"},
    {"vk_6D_key_Num", 0x6D, "key_Num_-"},
    {"vk_12_key_LAlt", 0x12, "key_LAlt"},
    {"vk_6E_key_Num", 0x6E, "key_Num_."},
    {"vk_13_key_Pause", 0x13, "key_Pause"},
    {"vk_6F_key_Num", 0x6F, "key_Num_/"},
    {"vk_14_key_Caplk", 0x14, "key_Caplk"},
    {"vk_70_key_F1", 0x70, "key_F1"},
    {"vk_71_key_F2", 0x71, "key_F2"},
    {"vk_72_key_F3", 0x72, "key_F3"},
    {"vk_73_key_F4", 0x73, "key_F4"},
    {"vk_74_key_F5", 0x74, "key_F5"},
    {"vk_75_key_F6", 0x75, "key_F6"},
    {"vk_76_key_F7", 0x76, "key_F7"},
    {"vk_77_key_F8", 0x77, "key_F8"},
    {"vk_78_key_F9", 0x78, "key_F9"},
    {"vk_79_key_F10", 0x79, "key_F10"},
    {"vk_7A_key_F11", 0x7A, "key_F11"},
    {"vk_7B_key_F12", 0x7B, "key_F12"},
    {"vk_1B_key_Esc", 0x1B, "key_Esc"},
    {"vk_90_key_Num_Lock", 0x90, "key_Num Lock"},
    {"vk_20_key_Space", 0x20, "key_Space"},
    {"vk_91_key_Scroll_Lock", 0x91, "key_Scroll Lock"},
    {"vk_21_key_Page_Up", 0x21, "key_Page Up"},
    {"vk_A0_key_LShift", 0xA0, "key_LShift"},
    {"vk_22_key_Page_Down", 0x22, "key_Page Down"},
    {"vk_A1_key_RShift", 0xA1, "key_RShift"},
    {"vk_23_key_End", 0x23, "key_End"},
    {"vk_A2_key_LCtrl", 0xA2, "key_LCtrl"},
    {"vk_24_key_Home", 0x24, "key_Home"},
    {"vk_A3_key_RCtrl", 0xA3, "key_RCtrl"},
    {"vk_25_key_Left", 0x25, "key_Left"},
    {"vk_A4_key_LAlt", 0xA4, "key_LAlt"},
    {"vk_26_key_Up", 0x26, "key_Up"},
    {"vk_A5_key_RAlt", 0xA5, "key_RAlt"},
    {"vk_27_key_Right", 0x27, "key_Right"},
    {"vk_F0_key_Caplk", 0xF0, "key_Caplk"},
    {"vk_28_key_Down", 0x28, "key_Down"},
    {"vk_5B_key_LWin", 0x5B, "key_LWin"},
    {"vk_2A_key_Print_Scr", 0x2A, "key_Print Scr"},
    {"vk_5C_key_RWin", 0x5C, "key_RWin"},
    {"vk_2C_key_Print_Scr", 0x2C, "key_Print Scr"},
    {"vk_5D_key_APP", 0x5D, "key_APP"},
    {"vk_2D_key_Insert", 0x2D, "key_Insert"},
    {"vk_2E_key_Delete", 0x2E, "key_Delete"},
};

// Codes outside the layout ranges that are shown by a language text; 102 to 104 by the empty key.
constexpr NameRow kUsageNames[] = {
    {"code_058_key_F1", 58, "key_F1"},
    {"code_059_key_F2", 59, "key_F2"},
    {"code_060_key_F3", 60, "key_F3"},
    {"code_061_key_F4", 61, "key_F4"},
    {"code_062_key_F5", 62, "key_F5"},
    {"code_063_key_F6", 63, "key_F6"},
    {"code_064_key_F7", 64, "key_F7"},
    {"code_065_key_F8", 65, "key_F8"},
    {"code_066_key_F9", 66, "key_F9"},
    {"code_067_key_F10", 67, "key_F10"},
    {"code_068_key_F11", 68, "key_F11"},
    {"code_069_key_F12", 69, "key_F12"},
    {"code_070_key_Print_Scr", 70, "key_Print Scr"},
    {"code_071_key_Scroll_Lock", 71, "key_Scroll Lock"},
    {"code_072_key_Pause", 72, "key_Pause"},
    {"code_073_key_Insert", 73, "key_Insert"},
    {"code_074_key_Home", 74, "key_Home"},
    {"code_075_key_Page_Up", 75, "key_Page Up"},
    {"code_076_key_Delete", 76, "key_Delete"},
    {"code_077_key_End", 77, "key_End"},
    {"code_078_key_Page_Down", 78, "key_Page Down"},
    {"code_079_key_Right", 79, "key_Right"},
    {"code_080_key_Left", 80, "key_Left"},
    {"code_081_key_Down", 81, "key_Down"},
    {"code_082_key_Up", 82, "key_Up"},
    {"code_083_key_Num_Lock", 83, "key_Num Lock"},
    {"code_084_key_Num", 84, "key_Num_/"},
    {"code_085_key_Num", 85, "key_Num_*"},
    {"code_086_key_Num", 86, "key_Num_-"},
    {"code_087_key_Num", 87, "key_Num_+"},
    {"code_088_key_Num_Enter", 88, "key_Num_Enter"},
    {"code_089_key_Num_1", 89, "key_Num_1"},
    {"code_090_key_Num_2", 90, "key_Num_2"},
    {"code_091_key_Num_3", 91, "key_Num_3"},
    {"code_092_key_Num_4", 92, "key_Num_4"},
    {"code_093_key_Num_5", 93, "key_Num_5"},
    {"code_094_key_Num_6", 94, "key_Num_6"},
    {"code_095_key_Num_7", 95, "key_Num_7"},
    {"code_096_key_Num_8", 96, "key_Num_8"},
    {"code_097_key_Num_9", 97, "key_Num_9"},
    {"code_098_key_Num_0", 98, "key_Num_0"},
    {"code_099_key_Num", 99, "key_Num_."},
    {"code_100_key_backslash", 100, "key_\\"},
    {"code_101_key_APP", 101, "key_APP"},
    {"code_102_empty_key", 102, ""},
    {"code_103_empty_key", 103, ""},
    {"code_104_empty_key", 104, ""},
    {"code_130_Sleep", 130, "Sleep"},
    {"code_136_Kana_Roma", 136, "Kana/Roma"},
    {"code_221_backquote", 221, "`"},
    {"code_224_key_LCtrl", 224, "key_LCtrl"},
    {"code_225_key_LShift", 225, "key_LShift"},
    {"code_226_key_LAlt", 226, "key_LAlt"},
    {"code_227_key_LWin", 227, "key_LWin"},
    {"code_228_key_RCtrl", 228, "key_RCtrl"},
    {"code_229_key_RShift", 229, "key_RShift"},
    {"code_230_key_RAlt", 230, "key_RAlt"},
    {"code_231_key_RWin", 231, "key_RWin"},
    {"code_241_L_Button", 241, "L_Button"},
    {"code_242_R_Button", 242, "R_Button"},
    {"code_243_M_Button", 243, "M_Button"},
    {"code_244_Backward_Button", 244, "Backward_Button"},
    {"code_245_Forward_Button", 245, "Forward_Button"},
};

// Language texts that show which key was looked up, and every key asked for.
class NameLookup {
public:
    NameLookup()
    {
        SetTextLookup([this](const QString& key) {
            asked << key;
            return QStringLiteral("<%1>").arg(key);
        });
    }
    ~NameLookup() { SetTextLookup({}); }
    NameLookup(const NameLookup&) = delete;
    NameLookup& operator=(const NameLookup&) = delete;

    QStringList asked;
};

QString Shown(const char* languageKey)
{
    return QStringLiteral("<%1>").arg(QString::fromUtf8(languageKey));
}

class KeyTableRow : public ::testing::TestWithParam<KeyRow> {};

TEST_P(KeyTableRow, VirtualKeyUsageAndScanCode)
{
    const KeyRow& expected = GetParam();
    const KeyCodeRow& row = KeyCodeTable[std::size_t(expected.row - 1)];
    EXPECT_EQ(row.virtualKey, expected.virtualKey);
    EXPECT_EQ(row.usage, expected.usage);
    EXPECT_EQ(row.scanCode, expected.scanCode);
}

TEST_P(KeyTableRow, VirtualKeyIsFoundAndKeysOutsideTheLayoutRangeKeepTheirUsage)
{
    // Letters through F12 (usages 4 to 69) are stored by their position in the layout.
    const KeyRow& expected = GetParam();
    const bool positional = expected.usage >= 4 && expected.usage <= 69;
    for (const KeyboardLayout* layout : {UsKeyboardLayout().get(), FrenchAzertyKeyboardLayout().get()}) {
        const UsageLookup lookup = VirtualKeyToUsage(expected.virtualKey, *layout);
        EXPECT_TRUE(lookup.found);
        if (!positional) {
            EXPECT_EQ(lookup.code, expected.usage);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Table, KeyTableRow, ::testing::ValuesIn(kKeyRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(KeyTable, HasExactly112Rows)
{
    EXPECT_EQ(std::size(kKeyRows), 112u);
    EXPECT_EQ(KeyCodeTable.size(), 112u);
}

class VirtualKeyNameRow : public ::testing::TestWithParam<NameRow> {};

TEST_P(VirtualKeyNameRow, ShowsTheTextOfItsKey)
{
    NameLookup lookup;
    for (const KeyboardLayout* layout : {UsKeyboardLayout().get(), FrenchAzertyKeyboardLayout().get()})
        EXPECT_EQ(VirtualKeyName(GetParam().code, *layout), Shown(GetParam().languageKey));
}

INSTANTIATE_TEST_SUITE_P(Table, VirtualKeyNameRow, ::testing::ValuesIn(kVirtualKeyNames),
                         [](const auto& info) { return std::string(info.param.name); });

class UsageNameRow : public ::testing::TestWithParam<NameRow> {};

TEST_P(UsageNameRow, ShowsTheTextOfItsKey)
{
    NameLookup lookup;
    for (const KeyboardLayout* layout : {UsKeyboardLayout().get(), FrenchAzertyKeyboardLayout().get()})
        EXPECT_EQ(UsageName(std::uint8_t(GetParam().code), *layout), Shown(GetParam().languageKey));
    EXPECT_TRUE(lookup.asked.contains(QString::fromUtf8(GetParam().languageKey)));
}

INSTANTIATE_TEST_SUITE_P(Table, UsageNameRow, ::testing::ValuesIn(kUsageNames),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(UsageNameTable, EmptyKeyTextComesFromTheLanguageFile)
{
    SetTextLookup([](const QString& key) { return key.isEmpty() ? QStringLiteral("(none)") : QString(); });
    for (std::uint8_t code : {102, 103, 104})
        EXPECT_EQ(UsageName(code, *UsKeyboardLayout()), QStringLiteral("(none)")) << int(code);
    SetTextLookup({});
}

TEST(UsageNameTable, EveryOtherCodeIsEmptyWithoutALookup)
{
    std::set<std::uint32_t> named;
    for (const NameRow& row : kUsageNames)
        named.insert(row.code);
    NameLookup lookup;
    for (std::uint32_t code = 0; code < 256; ++code) {
        const bool layoutRange = (code >= 4 && code <= 57) || (code >= 232 && code <= 239);
        if (layoutRange || named.count(code))
            continue;
        EXPECT_EQ(UsageName(std::uint8_t(code), *UsKeyboardLayout()), QString()) << code;
    }
    EXPECT_TRUE(lookup.asked.isEmpty()) << lookup.asked.join(QLatin1Char(',')).toStdString();
}

}  // namespace
