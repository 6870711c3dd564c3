#include <gtest/gtest.h>

#include <set>

#include "core/text/language_text.h"
#include "core/keys/key_tables.h"
#include "core/keys/builtin_keyboard_layouts.h"

namespace {

// Language texts that show which key was looked up.
class KeyTablesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetTextLookup([](const QString& key) { return QStringLiteral("<%1>").arg(key); });
    }
    void TearDown() override { SetTextLookup({}); }

    const KeyboardLayout& us = *UsKeyboardLayout();
    const KeyboardLayout& azerty = *FrenchAzertyKeyboardLayout();
};

TEST_F(KeyTablesTest, TableKeepsItsQuirks)
{
    EXPECT_EQ(KeyCodeTable.size(), 112u);
    EXPECT_EQ(KeyCodeTable[0].virtualKey, 0x41u);
    EXPECT_EQ(KeyCodeTable[111].virtualKey, 0xF8u);
    int rowsFor38 = 0;
    for (const KeyCodeRow& row : KeyCodeTable) {
        EXPECT_NE(row.usage, 0x32u);
        rowsFor38 += row.usage == 0x38;
    }
    EXPECT_EQ(rowsFor38, 2);
    EXPECT_EQ(KeyCodeTable[90].usage, 0x5Fu);  // Num 7 before Num 6
    EXPECT_EQ(KeyCodeTable[91].usage, 0x5Eu);
    for (int row = 66; row < 112; ++row)
        EXPECT_EQ(KeyCodeTable[row].scanCode, 0u) << row;
}

TEST_F(KeyTablesTest, VirtualKeysMapByPhysicalPosition)
{
    EXPECT_EQ(VirtualKeyToUsage(0x41, us).code, 0x04);
    EXPECT_TRUE(VirtualKeyToUsage(0x41, azerty).found);
    EXPECT_EQ(VirtualKeyToUsage(0x41, azerty).code, 0x14);  // AZERTY "A" sits where US "Q" does
    EXPECT_EQ(VirtualKeyToUsage(0x5A, azerty).code, 0x1A);  // "Z" at the US "W" position
    EXPECT_EQ(VirtualKeyToUsage(0x4D, azerty).code, 0x33);  // "M" at the US semicolon position
    EXPECT_EQ(VirtualKeyToUsage(0x31, azerty).code, 0x1E);  // digits keep their row
}

TEST_F(KeyTablesTest, EveryPositionalKeyRoundTripsThroughBothLayouts)
{
    // Any key a layout has must come back as a distinct usage that names the same key.
    for (const KeyboardLayout* layout : {&us, &azerty}) {
        std::set<std::uint8_t> usages;
        for (std::uint32_t vk : {0x41u, 0x4Du, 0x51u, 0x57u, 0x5Au, 0x30u, 0x39u, 0xBAu, 0xBCu, 0xDBu, 0xDEu}) {
            const UsageLookup lookup = VirtualKeyToUsage(vk, *layout);
            EXPECT_TRUE(usages.insert(lookup.code).second) << std::hex << vk;
            EXPECT_EQ(UsageName(lookup.code, *layout), VirtualKeyName(vk, *layout)) << std::hex << vk;
        }
    }
}

TEST_F(KeyTablesTest, NonPositionalKeysIgnoreTheLayout)
{
    EXPECT_EQ(VirtualKeyToUsage(0xA2, azerty).code, 0xE0);
    const UsageLookup mute = VirtualKeyToUsage(0xAD, us);
    EXPECT_FALSE(mute.found);
    EXPECT_EQ(mute.code, 0);
    EXPECT_EQ(VirtualKeyToUsage(0xF1, us).code, 241);
    EXPECT_EQ(UsageName(241, us), QStringLiteral("<L_Button>"));
}

TEST_F(KeyTablesTest, KeyWithoutScanCodeFallsToFirstRowWithoutOne)
{
    EXPECT_EQ(VirtualKeyToUsage(0xDF, us).code, 0x46);      // US has no OEM_8 key
    EXPECT_EQ(VirtualKeyToUsage(0xDF, azerty).code, 0x38);  // AZERTY's "!" key, scan 0x35
}

TEST_F(KeyTablesTest, UsageNames)
{
    EXPECT_EQ(UsageName(0x3A, us), QStringLiteral("<key_F1>"));
    EXPECT_EQ(UsageName(0x45, us), QStringLiteral("<key_F12>"));
    EXPECT_EQ(UsageName(0x04, us), QStringLiteral("A"));
    EXPECT_EQ(UsageName(0x14, azerty), QStringLiteral("A"));
    EXPECT_EQ(UsageName(0x1F, azerty), QString(QChar(0xE9)));  // only a..z are put in capitals
    EXPECT_EQ(UsageName(0x28, us), QStringLiteral("<key_Enter>"));
    EXPECT_EQ(UsageName(0x59, us), QStringLiteral("<key_Num_1>"));
    EXPECT_EQ(UsageName(0x61, us), QStringLiteral("<key_Num_9>"));
    EXPECT_EQ(UsageName(0x62, us), QStringLiteral("<key_Num_0>"));
    EXPECT_EQ(UsageName(100, us), QStringLiteral("<key_\\>"));
    EXPECT_EQ(UsageName(221, us), QStringLiteral("<`>"));
    for (int code : {0x32, 0xE8, 0xF7, 246, 0, 200})
        EXPECT_EQ(UsageName(std::uint8_t(code), us), QString()) << code;
}

TEST_F(KeyTablesTest, VirtualKeyNames)
{
    EXPECT_EQ(VirtualKeyName(0x6E, us), QStringLiteral("<key_Num_.>"));
    EXPECT_EQ(VirtualKeyName(0x2A, us), QStringLiteral("<key_Print Scr>"));
    EXPECT_EQ(VirtualKeyName(0x2C, us), QStringLiteral("<key_Print Scr>"));
    EXPECT_EQ(VirtualKeyName(0x69, us), QStringLiteral("<key_Num_9>"));
    EXPECT_EQ(VirtualKeyName(0x7B, us), QStringLiteral("<key_F12>"));
    EXPECT_EQ(VirtualKeyName(0x90, us), QStringLiteral("<key_Num Lock>"));
    EXPECT_EQ(VirtualKeyName(0xBD, us), QStringLiteral("-"));
    EXPECT_EQ(VirtualKeyName(0x41, azerty), QStringLiteral("A"));
    EXPECT_EQ(VirtualKeyName(0xDD, azerty), QStringLiteral("^"));  // a dead key shows its character
    EXPECT_EQ(VirtualKeyName(0, us), QString());
}

}  // namespace
