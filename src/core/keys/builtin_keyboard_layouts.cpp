#include "core/keys/builtin_keyboard_layouts.h"

#include <algorithm>
#include <vector>

namespace {

struct LayoutKey {
    std::uint32_t virtualKey;
    std::uint32_t scanCode;
    char16_t text;  // 0: the key types nothing
};

class TableKeyboardLayout final : public KeyboardLayout {
public:
    explicit TableKeyboardLayout(std::vector<LayoutKey> keys) : m_keys(std::move(keys)) {}

    std::uint32_t VirtualKeyToScanCode(std::uint32_t virtualKey) const override
    {
        const LayoutKey* key = Find([virtualKey](const LayoutKey& k) { return k.virtualKey == virtualKey; });
        return key ? key->scanCode : 0;
    }

    std::uint32_t ScanCodeToVirtualKey(std::uint32_t scanCode) const override
    {
        if (scanCode == 0)
            return 0;
        const LayoutKey* key = Find([scanCode](const LayoutKey& k) { return k.scanCode == scanCode; });
        return key ? key->virtualKey : 0;
    }

    QString KeyText(std::uint32_t virtualKey) const override
    {
        const LayoutKey* key = Find([virtualKey](const LayoutKey& k) { return k.virtualKey == virtualKey; });
        return key && key->text ? QString(QChar(key->text)) : QString();
    }

private:
    template <typename Predicate>
    const LayoutKey* Find(Predicate predicate) const
    {
        const auto it = std::find_if(m_keys.begin(), m_keys.end(), predicate);
        return it == m_keys.end() ? nullptr : &*it;
    }

    std::vector<LayoutKey> m_keys;
};

// Keys that sit and type the same in both layouts.
std::vector<LayoutKey> CommonKeys()
{
    std::vector<LayoutKey> keys = {
        {0x0D, 0x1C, u'\r'}, {0x1B, 0x01, u'\x1b'}, {0x08, 0x0E, u'\b'}, {0x09, 0x0F, u'\t'},
        {0x20, 0x39, u' '},  {0x14, 0x3A, 0},
    };
    const std::uint32_t functionScans[12] = {0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40,
                                             0x41, 0x42, 0x43, 0x44, 0x57, 0x58};
    for (std::uint32_t i = 0; i < 12; ++i)
        keys.push_back({0x70 + i, functionScans[i], 0});
    return keys;
}

// Letters by scan code, in the order of the US rows QWERTYUIOP, ASDFGHJKL, ZXCVBNM.
constexpr std::uint32_t kLetterRowScans[] = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19,
                                             0x1E, 0x1F, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26,
                                             0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32};
constexpr char kUsLetters[] = "qwertyuiopasdfghjklzxcvbnm";
static_assert(sizeof kUsLetters - 1 == std::size(kLetterRowScans));
constexpr std::uint32_t kDigitRowScans[] = {0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B};

// letters holds the lower-case letter at each position of kLetterRowScans, ' ' where the layout
// has no letter.
template <std::size_t N>
void AddLetters(std::vector<LayoutKey>& keys, const char (&letters)[N])
{
    static_assert(N - 1 == std::size(kLetterRowScans));
    for (std::size_t i = 0; i < std::size(kLetterRowScans); ++i) {
        const char letter = letters[i];
        if (letter != ' ')
            keys.push_back({std::uint32_t(letter - 'a' + 'A'), kLetterRowScans[i], char16_t(letter)});
    }
}

}  // namespace

std::shared_ptr<const KeyboardLayout> UsKeyboardLayout()
{
    static const auto layout = [] {
        std::vector<LayoutKey> keys = CommonKeys();
        AddLetters(keys, kUsLetters);
        const char16_t digits[] = u"1234567890";
        for (std::uint32_t i = 0; i < 10; ++i)
            keys.push_back({digits[i], kDigitRowScans[i], digits[i]});
        keys.insert(keys.end(), {{0xBD, 0x0C, u'-'}, {0xBB, 0x0D, u'='}, {0xDB, 0x1A, u'['},
                                 {0xDD, 0x1B, u']'}, {0xDC, 0x2B, u'\\'}, {0xBA, 0x27, u';'},
                                 {0xDE, 0x28, u'\''}, {0xC0, 0x29, u'`'}, {0xBC, 0x33, u','},
                                 {0xBE, 0x34, u'.'}, {0xBF, 0x35, u'/'}, {0xE2, 0x56, u'\\'}});
        return std::make_shared<const TableKeyboardLayout>(std::move(keys));
    }();
    return layout;
}

std::shared_ptr<const KeyboardLayout> FrenchAzertyKeyboardLayout()
{
    static const auto layout = [] {
        std::vector<LayoutKey> keys = CommonKeys();
        // A and Q, Z and W swap places; M moves to the US semicolon position.
        AddLetters(keys, "azertyuiopqsdfghjklwxcvbn ");
        keys.push_back({'M', 0x27, u'm'});
        const char16_t digitVirtualKeys[] = u"1234567890";
        const char16_t digitRowTexts[] = u"&\u00e9\"'(-\u00e8_\u00e7\u00e0";
        for (std::uint32_t i = 0; i < 10; ++i)
            keys.push_back({digitVirtualKeys[i], kDigitRowScans[i], digitRowTexts[i]});
        keys.insert(keys.end(), {{0xDB, 0x0C, u')'}, {0xBB, 0x0D, u'='}, {0xDD, 0x1A, u'^'},
                                 {0xBA, 0x1B, u'$'}, {0xDC, 0x2B, u'*'}, {0xC0, 0x28, u'\u00f9'},
                                 {0xDE, 0x29, u'\u00b2'}, {0xBC, 0x32, u','}, {0xBE, 0x33, u';'},
                                 {0xBF, 0x34, u':'}, {0xDF, 0x35, u'!'}, {0xE2, 0x56, u'<'}});
        return std::make_shared<const TableKeyboardLayout>(std::move(keys));
    }();
    return layout;
}
