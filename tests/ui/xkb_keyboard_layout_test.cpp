// The desktop layout adapter over keymaps compiled by xkbcommon from the system's keymap data.
#include <gtest/gtest.h>

#include <QString>
#include <cstdlib>
#include <optional>
#include <string>

#include "core/keys/key_tables.h"
#include "karvo_key_positions.h"
#include "support/xvfb_server.h"
#include "ui/xkb_keyboard_layout.h"

namespace {

// Evdev codes of physical keys, independent of the adapter's table.
constexpr std::uint32_t kEvdevKeyQ = 16;  // US "Q" place: AZERTY "A", left of "Z"
constexpr std::uint32_t kEvdevKeyW = 17;  // US "W" place: AZERTY "Z"
constexpr std::uint32_t kEvdevKeyA = 30;  // US "A" place: AZERTY "Q"
constexpr std::uint32_t kEvdevKeySemicolon = 39;  // US ";" place: AZERTY "M"
constexpr std::uint32_t kEvdevKey1 = 2;
constexpr std::uint32_t kEvdevKeyLeftBrace = 26;  // US "[" place: AZERTY dead circumflex

// Sets or clears an environment variable for one test and puts it back afterwards.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnvironment()
    {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

std::shared_ptr<const KeyboardLayout> French()
{
    XkbLayoutNames names;
    names.rules = QStringLiteral("evdev");
    names.model = QStringLiteral("pc105");
    names.layout = QStringLiteral("fr");
    return XkbKeyboardLayoutFromNames(names);
}

std::shared_ptr<const KeyboardLayout> Us()
{
    XkbLayoutNames names;
    names.rules = QStringLiteral("evdev");
    names.model = QStringLiteral("pc105");
    names.layout = QStringLiteral("us");
    return XkbKeyboardLayoutFromNames(names);
}

// What a key press records and shows: the input hook reports the key's place, the key tables
// turn it into a usage and the usage back into a name.
struct Recorded {
    std::uint8_t usage;
    QString name;
};

Recorded Record(std::uint32_t evdevCode, const KeyboardLayout& layout)
{
    const UsageLookup lookup = VirtualKeyToUsage(KarvoVirtualKeyFromEvdev(evdevCode), layout);
    return {lookup.code, UsageName(lookup.code, layout)};
}

TEST(XkbKeyboardLayout, TheAzertyKeyLeftOfZRecordsTheUsageOfItsPlaceAndShowsItsAzertyName)
{
    const auto french = French();
    ASSERT_NE(french, nullptr) << "the French keymap did not compile; is xkb-data installed?";
    const Recorded left = Record(kEvdevKeyQ, *french);
    EXPECT_EQ(left.usage, 0x14);
    EXPECT_EQ(left.name, QStringLiteral("A"));
    // The key right of it is Z itself.
    const Recorded z = Record(kEvdevKeyW, *french);
    EXPECT_EQ(z.usage, 0x1A);
    EXPECT_EQ(z.name, QStringLiteral("Z"));
}

TEST(XkbKeyboardLayout, AzertyKeysKeepTheirPlacesAndShowTheirOwnCharacters)
{
    const auto french = French();
    ASSERT_NE(french, nullptr);
    EXPECT_EQ(Record(kEvdevKeyA, *french).usage, 0x04);
    EXPECT_EQ(Record(kEvdevKeyA, *french).name, QStringLiteral("Q"));
    EXPECT_EQ(Record(kEvdevKeySemicolon, *french).usage, 0x33);
    EXPECT_EQ(Record(kEvdevKeySemicolon, *french).name, QStringLiteral("M"));
    EXPECT_EQ(Record(kEvdevKey1, *french).usage, 0x1E);
    EXPECT_EQ(Record(kEvdevKey1, *french).name, QStringLiteral("&"));
    // A dead key shows the accent it puts on the next letter.
    EXPECT_EQ(Record(kEvdevKeyLeftBrace, *french).usage, 0x2F);
    EXPECT_EQ(Record(kEvdevKeyLeftBrace, *french).name, QStringLiteral("^"));
    // Usage 0x10 is the US "M" place, which types "," on AZERTY.
    EXPECT_EQ(UsageName(0x10, *french), QStringLiteral(","));
    EXPECT_EQ(UsageName(0x1F, *french), QString(QChar(0x00E9)));
}

TEST(XkbKeyboardLayout, UsKeysShowWhatTheyType)
{
    const auto us = Us();
    ASSERT_NE(us, nullptr);
    EXPECT_EQ(Record(kEvdevKeyQ, *us).usage, 0x14);
    EXPECT_EQ(Record(kEvdevKeyQ, *us).name, QStringLiteral("Q"));
    EXPECT_EQ(Record(kEvdevKeySemicolon, *us).name, QStringLiteral(";"));
    EXPECT_EQ(us->VirtualKeyToScanCode(0x41), 0x1Eu);
    EXPECT_EQ(us->ScanCodeToVirtualKey(0x10), 0x51u);
    EXPECT_EQ(us->ScanCodeToVirtualKey(0), 0u);
    EXPECT_EQ(us->KeyText(0x14), QString());  // Caps Lock types nothing
    EXPECT_EQ(us->VirtualKeyToScanCode(0xDF), 0u);  // no key of a US keyboard has it
}

TEST(XkbKeyboardLayout, AnUnknownLayoutIsRefused)
{
    XkbLayoutNames names;
    names.rules = QStringLiteral("evdev");
    names.layout = QStringLiteral("no-such-layout");
    EXPECT_EQ(XkbKeyboardLayoutFromNames(names), nullptr);
}

TEST(XkbKeyboardLayout, WithoutAnXServerTheEnvironmentNamesTheLayout)
{
    const ScopedEnvironment noDisplay("DISPLAY", nullptr);
    const ScopedEnvironment layout("XKB_DEFAULT_LAYOUT", "fr");
    QString source;
    const auto desktop = DesktopKeyboardLayout(&source);
    ASSERT_NE(desktop, nullptr);
    EXPECT_EQ(source, QStringLiteral("the XKB names of the environment"));
    EXPECT_EQ(Record(kEvdevKeyQ, *desktop).name, QStringLiteral("A"));
}

// Xvfb starts with a US keymap; the environment names French, so only a layout read from the
// server shows "Q" on the key left of W.
TEST(XkbKeyboardLayout, WithAnXServerItsKeymapIsReadRatherThanTheEnvironment)
{
    XvfbServer server;
    ASSERT_TRUE(server.Start()) << "Xvfb did not start";
    const ScopedEnvironment display("DISPLAY", server.Display().c_str());
    const ScopedEnvironment layout("XKB_DEFAULT_LAYOUT", "fr");

    QString source;
    const auto desktop = DesktopKeyboardLayout(&source);
    ASSERT_NE(desktop, nullptr);
    EXPECT_EQ(source, QStringLiteral("the X server's keymap"));
    const Recorded key = Record(kEvdevKeyQ, *desktop);
    EXPECT_EQ(key.usage, 0x14);
    EXPECT_EQ(key.name, QStringLiteral("Q"));
}

TEST(XkbKeyboardLayout, AnXServerThatCannotBeReachedFallsBackToTheEnvironment)
{
    const ScopedEnvironment display("DISPLAY", ":65000");
    const ScopedEnvironment layout("XKB_DEFAULT_LAYOUT", "fr");
    QString source;
    const auto desktop = DesktopKeyboardLayout(&source);
    ASSERT_NE(desktop, nullptr);
    EXPECT_EQ(source, QStringLiteral("the XKB names of the environment"));
    EXPECT_EQ(Record(kEvdevKeyQ, *desktop).name, QStringLiteral("A"));
}

}  // namespace
