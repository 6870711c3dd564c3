#include <gtest/gtest.h>

#include "core/profile/button_function_table.h"
#include "core/profile/profile_record.h"

namespace {

struct DeviceBytesRow {
    const char* name;
    std::uint8_t code;
    DeviceBytes expected;
};

void PrintTo(const DeviceBytesRow& row, std::ostream* os)
{
    *os << row.name;
}

class FunctionDeviceBytesTest : public ::testing::TestWithParam<DeviceBytesRow> {};

TEST_P(FunctionDeviceBytesTest, MatchesTable)
{
    ButtonRecord button{};
    button.modifiers = 3;
    button.key_code = 4;
    EXPECT_EQ(FunctionDeviceBytes(GetParam().code, button, 7), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FunctionDeviceBytesTest,
    ::testing::Values(DeviceBytesRow{"off", 0, {1, 0, 0}}, DeviceBytesRow{"left_click", 1, {2, 0, 0}},
                      DeviceBytesRow{"forward_swapped", 4, {6, 0, 0}},
                      DeviceBytesRow{"backward_swapped", 5, {5, 0, 0}},
                      DeviceBytesRow{"key_combination_from_record", 16, {17, 3, 4}},
                      DeviceBytesRow{"macro_number", 17, {18, 0, 7}},
                      DeviceBytesRow{"no_row_18", 18, {0, 0, 0}}, DeviceBytesRow{"easy_aim", 22, {16, 0, 3}},
                      DeviceBytesRow{"copy", 33, {17, 1, 6}}, DeviceBytesRow{"undo", 39, {17, 1, 29}},
                      DeviceBytesRow{"alt_f4", 42, {17, 4, 61}}, DeviceBytesRow{"win_shift_s", 50, {17, 10, 22}},
                      DeviceBytesRow{"task_view_sends_zero", 51, {0, 0, 0}},
                      DeviceBytesRow{"favorites", 81, {17, 3, 18}}, DeviceBytesRow{"code_115", 115, {20, 0, 0}},
                      DeviceBytesRow{"code_255", 255, {0, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ButtonFunctionTable, MenuItemsResolveWithoutRegardToCase)
{
    EXPECT_EQ(FunctionFromMenuItem(QStringLiteral("ms_1_copy")), 33);
    EXPECT_EQ(FunctionFromMenuItem(QStringLiteral("MS_1_COPY")), 33);
    EXPECT_EQ(FunctionFromMenuItem(QStringLiteral("ms_1_select_macro")), 17);
    EXPECT_EQ(FunctionFromMenuItem(QString()), 1);
    EXPECT_EQ(FunctionFromMenuItem(QStringLiteral("ms_1_btn_macro")), 1);
}

TEST(ButtonFunctionTable, DisplayKeys)
{
    EXPECT_EQ(FunctionDisplayKey(39), QStringLiteral("undo_text"));
    EXPECT_EQ(FunctionDisplayKey(67), QStringLiteral("previous_track_text"));
    EXPECT_TRUE(FunctionDisplayKey(16).isEmpty());
    EXPECT_TRUE(FunctionDisplayKey(17).isEmpty());
    EXPECT_TRUE(FunctionDisplayKey(19).isEmpty());
    EXPECT_TRUE(FunctionDisplayKey(200).isEmpty());
}

TEST(ButtonFunctionTable, EveryMenuItemMapsBackToItsCode)
{
    for (int code = 0; code < 256; ++code) {
        const QString item = FunctionMenuItem(std::uint8_t(code));
        if (!item.isEmpty()) {
            EXPECT_EQ(FunctionFromMenuItem(item), code) << item.toStdString();
        }
    }
    EXPECT_TRUE(FunctionMenuItem(39).isEmpty());
}

}  // namespace
