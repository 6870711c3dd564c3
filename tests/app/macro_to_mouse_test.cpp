// From the keyboard to the mouse: a macro recorded in the editor the page opens, bound to a button
// through the button's menu, arrives on the emulated mouse with the pauses it was recorded with.
#include <QJsonArray>
#include <QJsonObject>
#include <QMenu>

#include "app/macro_editor_fixture.h"
#include "app/page_window_fixture.h"
#include "app/sim_window_fixture.h"
#include "ui/menu_wnd.h"

namespace {

using namespace macro_test;

// The entry a short pause (up to 1270 ms) gives on the wire: the pause in tens of milliseconds,
// rounded half up, with the press flag 0x01 or the release flag 0x81 in the same byte.
QJsonArray ShortEntry(const Action& a)
{
    return QJsonArray{((a.delay + 5) / 10) | (a.kind == 1 ? 0x01 : 0x81), a.code};
}

using MacroToMouseTest = SimWindowTest;

TEST_F(MacroToMouseTest, RecordedKeysOnButtonFourPlayWithTheirPausesOnTheMouse)
{
    macro_test::ResetHook();
    const HookTable hooks = macro_test::LoggingHookTable();
    macro_test::HandClock recordingClock;
    window.Page().SetHookTable(&hooks), window.Page().SetRecordingClock(&recordingClock);
    const int before = Reports();
    ModalScript script;
    script.Then([&](WindowImplBase& editor) {
        ASSERT_TRUE(ClickControl(editor, QStringLiteral("ms_1_macro_add_btn")));
        ASSERT_TRUE(ClickControl(editor, QStringLiteral("ms_1_record_delay_btn")));
        auto* record = editor.PaintManager().FindControl<QCheckBox>(QStringLiteral("ms_1_macro_record_btn"));
        record->click();
        // A pressed, released 120 ms later; B pressed after a long pause, released 90 ms later. The
        // wait before the first key is not kept.
        const std::tuple<WPARAM, LPARAM, std::uint64_t> keys[] = {{0x41, 0, 2500}, {0x41, 1, 120}, {0x42, 0, 1450}, {0x42, 1, 90}};
        for (const auto& [key, upDown, afterMs] : keys)
            recordingClock.now += afterMs, editor.PostMessage(KARVO_UM_HOOK_INPUT, key, upDown), ProcessPending();
        record->click();
        ASSERT_TRUE(ClickControl(editor, QStringLiteral("btn_exit")));
    });
    script.Then([](WindowImplBase& dialog) {
        dialog.PaintManager().FindControl<QListWidget>(QStringLiteral("list_macro"))->setCurrentRow(0);
        SetControlText(dialog.PaintManager().FindControl(QStringLiteral("edit_loop_time")), QStringLiteral("1"));
        ClickControl(dialog, QStringLiteral("btn_ok"));
    });
    ASSERT_TRUE(ClickControl(window, QStringLiteral("ms_1_btn_macro")));
    ASSERT_EQ(script.shown, (QStringList{"MS_1_Macro"}));

    // Each pause belongs to the action before it; the last keeps 10 ms.
    const macro_test::Actions recorded = {{0x04, 1, 120}, {0x04, 2, 1450}, {0x05, 1, 90}, {0x05, 2, 10}};
    const QString name = Text("add_macro_text") + QStringLiteral("1");  // the first macro's name
    const auto macros = window.Page().Session().Locked([](ProfileSession::State& s) { return *s.macros.at(0); });
    EXPECT_EQ(std::tuple(MacroName(macros), ActionsOf(macros)), std::tuple(name, recorded));
    EXPECT_EQ(Reports(), before);  // nothing is bound yet: nothing to send

    window.PaintManager().FindControl<QAbstractButton>(QStringLiteral("ms_1_btn_key_4"))->click();
    CMenuWnd* menu = window.Page().Buttons().Menu();
    ASSERT_TRUE(menu && menu->Menu()->isVisible() && menu->Choose(QStringLiteral("ms_1_select_macro")));
    ProcessPending();
    EXPECT_EQ(std::pair(script.shown, script.Done()), std::pair(QStringList{"MS_1_Macro", "MS_1_SelectMacro"}, true));
    EXPECT_EQ(ControlText(window.PaintManager().FindControl(QStringLiteral("ms_1_btn_key_4"))), Text("assign_macro_text") + name);
    const ButtonRecord button = window.Page().Session().Locked([](ProfileSession::State& s) { return s.Current().buttons[3]; });
    EXPECT_EQ(std::tuple(int(button.function), int(button.macro_loop_count), int(button.macro_repeat_mode)), std::tuple(17, 1, 0));
    EXPECT_EQ(ActionsOf(button.macro_actions, button.macro_action_count), recorded);

    // The button report and the macro's report.
    ASSERT_TRUE(WaitForReports(before + 2));
    const QJsonObject state = State();
    EXPECT_EQ(state["buttons"].toArray()[3].toArray(), (QJsonArray{18, 0, 1}));
    const QJsonObject macro = state["macros"].toObject()["1"].toObject();
    EXPECT_EQ(std::tuple(macro["repeatMode"].toInt(), macro["loops"].toInt(), macro["entryCount"].toInt()), std::tuple(0, 1, 5));
    // The 1450 ms pause is over 1270 ms: its action's entry carries 1450 mod 200 = 50 ms, and an
    // entry (7, 3) follows with the 200 ms units.
    const QJsonArray expected{ShortEntry(recorded[0]), ShortEntry({0x04, 2, 50}), QJsonArray{7, 3},
                              ShortEntry(recorded[2]), ShortEntry(recorded[3])};
    EXPECT_EQ(macro["entries"].toArray(), expected);
    EXPECT_EQ(expected[0].toArray(), (QJsonArray{0x0D, 0x04}));  // the arithmetic, spelt out once

    // The device worker writes the macro store as the mouse got it.
    FinishStoreWrites();
    MacroList stored;
    LoadMacroStore(stored, window.Page().Session().DataFolder());
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(std::tuple(MacroName(*stored[0]), ActionsOf(*stored[0])), std::tuple(name, recorded));
}

}  // namespace
