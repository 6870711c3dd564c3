// The desktop layout adapter over keymaps compiled by xkbcommon from the system's keymap data, and
// where the desktop's layout is read from.
#include <gtest/gtest.h>

#include "core/keys/key_tables.h"
#include "karvo_key_positions.h"
#include "support/wait.h"
#include "support/xvfb_server.h"
#include "ui/xkb_keyboard_layout.h"
#include "ui/xkb_layout_watcher.h"

namespace {

std::shared_ptr<const KeyboardLayout> Layout(const char* name) {
    return XkbKeyboardLayoutFromNames({QStringLiteral("evdev"), QStringLiteral("pc105"), QLatin1String(name), {}, {}});
}

// What a key press records and shows: the input hook reports the key's place (an evdev code,
// independent of the adapter's table), the key tables turn it into a usage and the usage back into a name.
const struct { const char* layout; std::uint32_t evdev; std::uint8_t usage; const char* name; } kKeys[] = {
    {"fr", 16, 0x14, "A"},  // US "Q" place: AZERTY "A", left of "Z"
    {"fr", 17, 0x1A, "Z"},  {"fr", 30, 0x04, "Q"}, {"fr", 39, 0x33, "M"}, {"fr", 2, 0x1E, "&"},
    {"fr", 26, 0x2F, "^"},  // a dead key shows the accent it puts on the next letter
    {"us", 16, 0x14, "Q"},  {"us", 39, 0x33, ";"},
    {"de", 86, 0x64, "<"},  {"fr", 86, 0x64, "<"}, {"gb", 86, 0x64, "\\"},  // the ISO key beside left Shift
};

TEST(XkbKeyboardLayout, KeysRecordTheUsageOfTheirPlaceAndShowWhatTheyType) {
    for (const auto& key : kKeys) {
        SCOPED_TRACE(std::string(key.layout) + " " + std::to_string(key.evdev));
        const auto layout = Layout(key.layout);
        ASSERT_NE(layout, nullptr) << "the keymap did not compile; is xkb-data installed?";
        const UsageLookup lookup = VirtualKeyToUsage(KarvoVirtualKeyFromEvdev(key.evdev), *layout);
        EXPECT_EQ(std::pair(lookup.code, UsageName(lookup.code, *layout)), std::pair(key.usage, QString::fromUtf8(key.name)));
    }
    const auto french = Layout("fr");
    // the US "M" place, and the "2" place
    EXPECT_EQ(std::pair(UsageName(0x10, *french), UsageName(0x1F, *french)), std::pair(QString(","), QString(QChar(0xE9))));
    const auto us = Layout("us");
    EXPECT_EQ(std::tuple(us->VirtualKeyToScanCode(0x41), us->ScanCodeToVirtualKey(0x10), us->ScanCodeToVirtualKey(0)),
              std::tuple(0x1Eu, 0x51u, 0u));
    EXPECT_EQ(us->KeyText(0x14), QString());  // Caps Lock types nothing
    EXPECT_EQ(us->VirtualKeyToScanCode(0xDF), 0u);  // no key of a US keyboard has it
    EXPECT_EQ(Layout("no-such-layout"), nullptr);
}

// Xvfb starts with a US keymap while the environment names French, so only a layout read from the
// server shows "Q" on the key left of W; without a reachable server the environment names it.
TEST(XkbKeyboardLayout, TheXServersKeymapComesBeforeTheEnvironmentsNames) {
    XvfbServer server;
    ASSERT_TRUE(server.Start()) << "Xvfb did not start";
    setenv("XKB_DEFAULT_LAYOUT", "fr", 1);
    for (auto [display, source, name] : {std::tuple{server.Display().c_str(), "the X server's keymap", "Q"},
                                         {"", "the XKB names of the environment", "A"},
                                         {":65000", "the XKB names of the environment", "A"}}) {
        SCOPED_TRACE(display);
        *display ? setenv("DISPLAY", display, 1) : unsetenv("DISPLAY");
        QString from;
        const auto desktop = DesktopKeyboardLayout(&from);
        ASSERT_NE(desktop, nullptr);
        EXPECT_EQ(from, QLatin1String(source));
        EXPECT_EQ(UsageName(VirtualKeyToUsage(KarvoVirtualKeyFromEvdev(16), *desktop).code, *desktop), QLatin1String(name));
    }
    unsetenv("DISPLAY");
    unsetenv("XKB_DEFAULT_LAYOUT");
}

// Started under a US keymap, the names follow setxkbmap while the program runs, there and back.
TEST(XkbKeyboardLayout, TheLayoutFollowsTheXServersKeymapChanges) {
    XvfbServer server;
    ASSERT_TRUE(server.Start()) << "Xvfb did not start";
    setenv("DISPLAY", server.Display().c_str(), 1);
    std::shared_ptr<const KeyboardLayout> latest = DesktopKeyboardLayout();
    XkbLayoutWatcher watcher([&latest](std::shared_ptr<const KeyboardLayout> layout) { latest = std::move(layout); });
    unsetenv("DISPLAY");
    ASSERT_TRUE(watcher.IsWatching());
    const auto leftOfW = [&latest] { return UsageName(VirtualKeyToUsage(0x51, *latest).code, *latest); };
    EXPECT_EQ(leftOfW(), QLatin1String("Q"));
    for (auto [layout, name] : {std::pair{"fr", "A"}, {"us", "Q"}}) {
        ASSERT_EQ(RunTool(QStringLiteral("setxkbmap"), {QStringLiteral("-display"), QString::fromStdString(server.Display()),
                                                       QLatin1String(layout)}).exitCode, 0);
        EXPECT_TRUE(WaitFor([&] { return leftOfW() == QLatin1String(name); })) << layout;
    }
}

}  // namespace
