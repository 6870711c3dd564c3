#include "core/keys/key_tables.h"

#include <QLoggingCategory>
#include <algorithm>
#include <optional>

#include "core/text/language_text.h"
#include "core/keys/keyboard_layout.h"

Q_LOGGING_CATEGORY(lcKeys, "karvo.keys")

// Row order matters: every search takes the first match. Usage 0x32 has no row, 0x38 has two,
// Num 7 comes before Num 6, and the rows from Print Screen on carry no scan code, but for the ISO
// key added last.
const std::array<KeyCodeRow, kKeyCodeRowCount> KeyCodeTable = {{
    {0x41, 0x04, 0x1E}, {0x42, 0x05, 0x30}, {0x43, 0x06, 0x2E}, {0x44, 0x07, 0x20},
    {0x45, 0x08, 0x12}, {0x46, 0x09, 0x21}, {0x47, 0x0A, 0x22}, {0x48, 0x0B, 0x23},
    {0x49, 0x0C, 0x17}, {0x4A, 0x0D, 0x24}, {0x4B, 0x0E, 0x25}, {0x4C, 0x0F, 0x26},
    {0x4D, 0x10, 0x32}, {0x4E, 0x11, 0x31}, {0x4F, 0x12, 0x18}, {0x50, 0x13, 0x19},
    {0x51, 0x14, 0x10}, {0x52, 0x15, 0x13}, {0x53, 0x16, 0x1F}, {0x54, 0x17, 0x14},
    {0x55, 0x18, 0x16}, {0x56, 0x19, 0x2F}, {0x57, 0x1A, 0x11}, {0x58, 0x1B, 0x2D},
    {0x59, 0x1C, 0x15}, {0x5A, 0x1D, 0x2C}, {0x31, 0x1E, 0x02}, {0x32, 0x1F, 0x03},
    {0x33, 0x20, 0x04}, {0x34, 0x21, 0x05}, {0x35, 0x22, 0x06}, {0x36, 0x23, 0x07},
    {0x37, 0x24, 0x08}, {0x38, 0x25, 0x09}, {0x39, 0x26, 0x0A}, {0x30, 0x27, 0x0B},
    {0x0D, 0x28, 0x1C}, {0x1B, 0x29, 0x01}, {0x08, 0x2A, 0x0E}, {0x09, 0x2B, 0x0F},
    {0x20, 0x2C, 0x39}, {0xBD, 0x2D, 0x0C}, {0xBB, 0x2E, 0x0D}, {0xDB, 0x2F, 0x1A},
    {0xDD, 0x30, 0x1B}, {0xDC, 0x31, 0x2B}, {0xBA, 0x33, 0x27}, {0xDE, 0x34, 0x28},
    {0xC0, 0x35, 0x29}, {0xBC, 0x36, 0x33}, {0xBE, 0x37, 0x34}, {0xBF, 0x38, 0x35},
    {0xDF, 0x38, 0x35}, {0x14, 0x39, 0x3A}, {0x70, 0x3A, 0x3B}, {0x71, 0x3B, 0x3C},
    {0x72, 0x3C, 0x3D}, {0x73, 0x3D, 0x3E}, {0x74, 0x3E, 0x3F}, {0x75, 0x3F, 0x40},
    {0x76, 0x40, 0x41}, {0x77, 0x41, 0x42}, {0x78, 0x42, 0x43}, {0x79, 0x43, 0x44},
    {0x7A, 0x44, 0x57}, {0x7B, 0x45, 0x58}, {0x2C, 0x46, 0},    {0x91, 0x47, 0},
    {0x13, 0x48, 0},    {0x2D, 0x49, 0},    {0x24, 0x4A, 0},    {0x21, 0x4B, 0},
    {0x2E, 0x4C, 0},    {0x23, 0x4D, 0},    {0x22, 0x4E, 0},    {0x27, 0x4F, 0},
    {0x25, 0x50, 0},    {0x28, 0x51, 0},    {0x26, 0x52, 0},    {0x90, 0x53, 0},
    {0x6F, 0x54, 0},    {0x6A, 0x55, 0},    {0x6D, 0x56, 0},    {0x6B, 0x57, 0},
    {0x6C, 0x58, 0},    {0x61, 0x59, 0},    {0x62, 0x5A, 0},    {0x63, 0x5B, 0},
    {0x64, 0x5C, 0},    {0x65, 0x5D, 0},    {0x67, 0x5F, 0},    {0x66, 0x5E, 0},
    {0x68, 0x60, 0},    {0x69, 0x61, 0},    {0x60, 0x62, 0},    {0x6E, 0x63, 0},
    {0x5D, 0x65, 0},    {0xA2, 0xE0, 0},    {0xA0, 0xE1, 0},    {0xA4, 0xE2, 0},
    {0x5B, 0xE3, 0},    {0xA3, 0xE4, 0},    {0xA1, 0xE5, 0},    {0xA5, 0xE6, 0},
    {0x5C, 0xE7, 0},    {0xF0, 0xF0, 0},    {0xF1, 0xF1, 0},    {0xF2, 0xF2, 0},
    {0xF3, 0xF3, 0},    {0xF4, 0xF4, 0},    {0xF7, 0xF7, 0},    {0xF8, 0xF8, 0},
    // The key beside left Shift on ISO keyboards ("<>" in Germany and France): the keyboard's
    // "non-US backslash and bar" usage, which the mouse replays like any other key.
    {0xE2, 0x64, 0x56},
}};

namespace {

// Usages of the keys whose meaning depends on the layout: letters through F12.
bool IsPositionalUsage(std::uint32_t usage)
{
    return usage >= 0x04 && usage <= 0x45;
}

template <typename Predicate>
const KeyCodeRow* FirstRow(Predicate predicate)
{
    const auto it = std::find_if(KeyCodeTable.begin(), KeyCodeTable.end(), predicate);
    return it == KeyCodeTable.end() ? nullptr : &*it;
}

struct NamedCode {
    std::uint32_t code;
    const char* key;
};

// Virtual keys named by a language text rather than by what the layout types.
constexpr NamedCode kVirtualKeyNames[] = {
    {0x08, "key_BackSpace"}, {0x09, "key_Tab"},        {0x0D, "key_Enter"},      {0x10, "key_LShift"},
    {0x11, "key_LCtrl"},     {0x12, "key_LAlt"},       {0x13, "key_Pause"},      {0x14, "key_Caplk"},
    {0x1B, "key_Esc"},       {0x20, "key_Space"},      {0x21, "key_Page Up"},    {0x22, "key_Page Down"},
    {0x23, "key_End"},       {0x24, "key_Home"},       {0x25, "key_Left"},       {0x26, "key_Up"},
    {0x27, "key_Right"},     {0x28, "key_Down"},       {0x2A, "key_Print Scr"},  {0x2C, "key_Print Scr"},
    {0x2D, "key_Insert"},    {0x2E, "key_Delete"},     {0x5B, "key_LWin"},       {0x5C, "key_RWin"},
    {0x5D, "key_APP"},       {0x6A, "key_Num_*"},      {0x6B, "key_Num_+"},      {0x6C, "key_Num_Enter"},
    {0x6D, "key_Num_-"},     {0x6E, "key_Num_."},      {0x6F, "key_Num_/"},      {0x90, "key_Num Lock"},
    {0x91, "key_Scroll Lock"}, {0xA0, "key_LShift"},   {0xA1, "key_RShift"},     {0xA2, "key_LCtrl"},
    {0xA3, "key_RCtrl"},     {0xA4, "key_LAlt"},       {0xA5, "key_RAlt"},       {0xF0, "key_Caplk"},
};

// Codes outside the layout ranges that have a name.
constexpr NamedCode kUsageNames[] = {
    {70, "key_Print Scr"}, {71, "key_Scroll Lock"}, {72, "key_Pause"},     {73, "key_Insert"},
    {74, "key_Home"},      {75, "key_Page Up"},     {76, "key_Delete"},    {77, "key_End"},
    {78, "key_Page Down"}, {79, "key_Right"},       {80, "key_Left"},      {81, "key_Down"},
    {82, "key_Up"},        {83, "key_Num Lock"},    {84, "key_Num_/"},     {85, "key_Num_*"},
    {86, "key_Num_-"},     {87, "key_Num_+"},       {88, "key_Num_Enter"}, {98, "key_Num_0"},
    {99, "key_Num_."},     {100, "key_\\"},       {101, "key_APP"},      {102, ""},
    {103, ""},             {104, ""},               {130, "Sleep"},        {136, "Kana/Roma"},
    {221, "`"},            {224, "key_LCtrl"},      {225, "key_LShift"},   {226, "key_LAlt"},
    {227, "key_LWin"},     {228, "key_RCtrl"},      {229, "key_RShift"},   {230, "key_RAlt"},
    {231, "key_RWin"},     {241, "L_Button"},       {242, "R_Button"},     {243, "M_Button"},
    {244, "Backward_Button"}, {245, "Forward_Button"},
};

// The language key naming a code, or nothing when the code has none.
template <std::size_t N>
std::optional<QString> NamedKey(const NamedCode (&names)[N], std::uint32_t code)
{
    for (const NamedCode& named : names) {
        if (named.code == code)
            return QString::fromUtf8(named.key);
    }
    return std::nullopt;
}

std::optional<QString> VirtualKeyLanguageKey(std::uint32_t virtualKey)
{
    if (virtualKey >= 0x60 && virtualKey <= 0x69)
        return QStringLiteral("key_Num_%1").arg(virtualKey - 0x60);
    if (virtualKey >= 0x70 && virtualKey <= 0x7B)
        return QStringLiteral("key_F%1").arg(virtualKey - 0x70 + 1);
    return NamedKey(kVirtualKeyNames, virtualKey);
}

std::optional<QString> UsageLanguageKey(std::uint32_t code)
{
    if (code >= 58 && code <= 69)
        return QStringLiteral("key_F%1").arg(code - 58 + 1);
    if (code >= 89 && code <= 97)
        return QStringLiteral("key_Num_%1").arg(code - 89 + 1);
    return NamedKey(kUsageNames, code);
}

bool InLayoutNameRange(std::uint32_t code)
{
    return (code >= 4 && code <= 57) || (code >= 232 && code <= 239);
}

// The ISO key is named by what the layout types there ("<" in Germany and France, "\" in
// Britain); only a layout without the key leaves it to its language text.
constexpr std::uint8_t kIsoKeyUsage = 0x64;
constexpr std::uint32_t kIsoVirtualKey = 0xE2;

}  // namespace

UsageLookup VirtualKeyToUsage(std::uint32_t virtualKey)
{
    return VirtualKeyToUsage(virtualKey, *CurrentKeyboardLayout());
}

UsageLookup VirtualKeyToUsage(std::uint32_t virtualKey, const KeyboardLayout& layout)
{
    const KeyCodeRow* row = FirstRow([virtualKey](const KeyCodeRow& r) { return r.virtualKey == virtualKey; });
    if (!row)
        return {false, 0};
    std::uint32_t usage = row->usage;
    if (IsPositionalUsage(usage)) {
        // A layout without the key gives scan code 0, which finds the first row without one.
        const std::uint32_t scan = layout.VirtualKeyToScanCode(virtualKey);
        if (const KeyCodeRow* atPosition = FirstRow([scan](const KeyCodeRow& r) { return r.scanCode == scan; }))
            usage = atPosition->usage;
    }
    return {true, std::uint8_t(usage)};
}

QString UsageName(std::uint8_t code)
{
    return UsageName(code, *CurrentKeyboardLayout());
}

QString UsageName(std::uint8_t code, const KeyboardLayout& layout)
{
    QString name;
    if (InLayoutNameRange(code)) {
        std::uint32_t virtualKey = 0;
        if (const KeyCodeRow* row = FirstRow([code](const KeyCodeRow& r) { return r.usage == code; }))
            virtualKey = IsPositionalUsage(code) ? layout.ScanCodeToVirtualKey(row->scanCode) : row->virtualKey;
        name = VirtualKeyName(virtualKey, layout);
    } else {
        if (code == kIsoKeyUsage)
            name = VirtualKeyName(kIsoVirtualKey, layout);
        if (const std::optional<QString> key = UsageLanguageKey(code); name.isEmpty() && key)
            name = LanguageText(*key);
    }
    qCDebug(lcKeys) << "m_key =" << name;
    return name;
}

QString VirtualKeyName(std::uint32_t virtualKey)
{
    return VirtualKeyName(virtualKey, *CurrentKeyboardLayout());
}

QString VirtualKeyName(std::uint32_t virtualKey, const KeyboardLayout& layout)
{
    if (const std::optional<QString> key = VirtualKeyLanguageKey(virtualKey))
        return LanguageText(*key);
    QString text = layout.KeyText(virtualKey);
    for (QChar& c : text) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = c.toUpper();
    }
    return text;
}
