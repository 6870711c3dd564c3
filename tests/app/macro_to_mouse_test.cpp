// From the keyboard to the mouse: a macro recorded in the editor the page opens, bound to a button
// through the button's menu, arrives on the emulated mouse with the pauses it was recorded with.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QJsonArray>
#include <QJsonObject>
#include <QListWidget>
#include <QMenu>
#include <cstdint>
#include <initializer_list>
#include <memory>

#include "app/macro/macro_editor.h"
#include "app/macro/macro_recorder.h"
#include "app/shell/hook_library.h"
#include "app/shell/main_wnd.h"
#include "app/shell/window_messages.h"
#include "core/macro/macro_record.h"
#include "core/storage/macro_store.h"
#include "page_window_fixture.h"
#include "sim_window_fixture.h"
#include "support/ui_test_support.h"
#include "ui/controls.h"
#include "ui/menu_wnd.h"
#include "ui/resource_manager.h"

namespace {

// Virtual keys as the input hook posts them.
constexpr WPARAM kVkA = 0x41;
constexpr WPARAM kVkB = 0x42;
constexpr LPARAM kDown = 0;
constexpr LPARAM kUp = 1;
// Key codes the recording gives them.
constexpr int kCodeA = 0x04;
constexpr int kCodeB = 0x05;

// Time for the recording, moved by the test.
class HandClock final : public RecordingClock {
public:
    std::uint64_t NowMs() const override { return now; }
    std::uint64_t now = 5'000'000;
};

// An input-hook library that sees the whole desktop and does nothing: the test posts the input.
HookTable SilentHookTable()
{
    HookTable table;
    table.installmousehook = [] {};
    table.removemousehook = [] {};
    table.enablemousehook = [](std::uint32_t) {};
    table.installhook = [](const KarvoPostTarget*) -> std::int32_t { return 1; };
    table.removehook = [] {};
    table.enablehook = [](std::uint32_t) {};
    table.mousewheelenable = [](std::uint32_t) {};
    return table;
}

// One action of a macro as the test expects it.
struct Step {
    int code;
    int kind;  // 1 press, 2 release
    int delay;
};

// The entry a short pause (up to 1270 ms) gives on the wire: the pause in tens of milliseconds,
// rounded half up, with the press flag 0x01 or the release flag 0x81 in the same byte.
QJsonArray ShortEntry(const Step& step)
{
    const int flag = step.kind == 1 ? 0x01 : 0x81;
    return QJsonArray{((step.delay + 5) / 10) | flag, step.code};
}

class MacroToMouseTest : public SimWindowTest {
protected:
    void SetUp() override
    {
        SimWindowTest::SetUp();
        if (HasFatalFailure())
            return;
        window.Page().SetHookTable(&hooks);
        window.Page().SetRecordingClock(&recordingClock);
    }

    // Input as the hook library posts it, after the given pause.
    void Input(WindowImplBase& editor, WPARAM key, LPARAM upDown, std::uint64_t afterMs)
    {
        recordingClock.now += afterMs;
        editor.PostMessage(Msg::UM_HOOK_INPUT, key, upDown);
        ProcessPending();
    }

    void ChooseOnSlot(int n, const char* item)
    {
        auto* slot = window.PaintManager().FindControl<QAbstractButton>(QStringLiteral("ms_1_btn_key_%1").arg(n));
        ASSERT_TRUE(slot);
        slot->click();
        CMenuWnd* menu = window.Page().Buttons().Menu();
        ASSERT_TRUE(menu);
        ASSERT_TRUE(menu->Menu()->isVisible());
        ASSERT_TRUE(menu->Choose(QLatin1String(item))) << item;
        ProcessPending();
    }

    std::vector<MacroRecord> Macros()
    {
        return window.Page().Session().Locked([](ProfileSession::State& state) {
            std::vector<MacroRecord> copies;
            for (const auto& macro : state.macros)
                copies.push_back(*macro);
            return copies;
        });
    }

    static void ExpectActions(const MacroActionSlot* actions, int count, std::initializer_list<Step> steps,
                              const char* where)
    {
        ASSERT_EQ(count, int(steps.size())) << where;
        int i = 0;
        for (const Step& step : steps) {
            EXPECT_EQ(actions[i].key_code, step.code) << where << " action " << i;
            EXPECT_EQ(actions[i].kind, step.kind) << where << " action " << i;
            EXPECT_EQ(actions[i].delay_ms, step.delay) << where << " action " << i;
            ++i;
        }
    }

    HookTable hooks = SilentHookTable();
    HandClock recordingClock;
};

TEST_F(MacroToMouseTest, RecordedKeysOnButtonFourPlayWithTheirPausesOnTheMouse)
{
    const int before = Reports();
    QString recordedName;
    ModalScript script;
    script.Then([&](WindowImplBase& editor) {
        ASSERT_TRUE(ClickControl(editor, QStringLiteral("ms_1_macro_add_btn")));
        ASSERT_TRUE(ClickControl(editor, QStringLiteral("ms_1_record_delay_btn")));
        auto* record = editor.PaintManager().FindControl<QCheckBox>(QStringLiteral("ms_1_macro_record_btn"));
        ASSERT_TRUE(record);
        record->click();
        ASSERT_TRUE(static_cast<CMS_1_Macro&>(editor).Recorder().IsRecording());
        // A pressed, released 120 ms later; B pressed after a long pause, released 90 ms later.
        Input(editor, kVkA, kDown, 2500);  // the wait before the first key is not kept
        Input(editor, kVkA, kUp, 120);
        Input(editor, kVkB, kDown, 1450);
        Input(editor, kVkB, kUp, 90);
        record->click();
        ASSERT_FALSE(static_cast<CMS_1_Macro&>(editor).Recorder().IsRecording());
        EXPECT_EQ(editor.PaintManager().FindControl<QListWidget>(QStringLiteral("ms_1_macro_action_list"))->count(), 4);
        ASSERT_TRUE(ClickControl(editor, QStringLiteral("btn_exit")));
    });
    script.Then([](WindowImplBase& dialog) {
        dialog.PaintManager().FindControl<QListWidget>(QStringLiteral("list_macro"))->setCurrentRow(0);
        SetControlText(dialog.PaintManager().FindControl(QStringLiteral("edit_loop_time")), QStringLiteral("1"));
        ClickControl(dialog, QStringLiteral("btn_ok"));
    });

    ASSERT_TRUE(ClickControl(window, QStringLiteral("ms_1_btn_macro")));
    ASSERT_EQ(script.shown, (QStringList{"MS_1_Macro"}));

    // The recorded macro: each pause belongs to the action before it; the last keeps 10 ms.
    const std::initializer_list<Step> recorded = {
        {kCodeA, 1, 120}, {kCodeA, 2, 1450}, {kCodeB, 1, 90}, {kCodeB, 2, 10}};
    const std::vector<MacroRecord> macros = Macros();
    ASSERT_EQ(macros.size(), 1u);
    ExpectActions(macros[0].actions, macros[0].action_count, recorded, "in the list");
    recordedName = MacroName(macros[0]);
    EXPECT_FALSE(recordedName.isEmpty());

    const int afterEditor = Reports();
    EXPECT_EQ(afterEditor, before);  // nothing is bound yet: nothing to send
    ChooseOnSlot(4, "ms_1_select_macro");
    EXPECT_EQ(script.shown, (QStringList{"MS_1_Macro", "MS_1_SelectMacro"}));
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(ControlText(window.PaintManager().FindControl(QStringLiteral("ms_1_btn_key_4"))),
              CResourceManager::Instance().GetText(QStringLiteral("assign_macro_text")) + recordedName);

    const ButtonRecord button = window.Page().Session().Locked([](ProfileSession::State& s) { return s.Current().buttons[3]; });
    EXPECT_EQ(button.function, 17);
    EXPECT_EQ(button.macro_loop_count, 1);
    EXPECT_EQ(button.macro_repeat_mode, 0);
    ExpectActions(button.macro_actions, button.macro_action_count, recorded, "on the button");

    // The macro's report and the button report.
    ASSERT_TRUE(WaitForReports(afterEditor + 2));
    const QJsonObject state = State();
    EXPECT_EQ(state["buttons"].toArray()[3].toArray(), (QJsonArray{18, 0, 1}));
    const QJsonObject macro = state["macros"].toObject()["1"].toObject();
    EXPECT_EQ(macro["repeatMode"].toInt(), 0);
    EXPECT_EQ(macro["loops"].toInt(), 1);
    // The 1450 ms pause is over 1270 ms: its action's entry carries 1450 mod 200 = 50 ms, and an
    // entry (7, 3) follows with the 200 ms units.
    const QJsonArray expected{ShortEntry({kCodeA, 1, 120}), ShortEntry({kCodeA, 2, 50}), QJsonArray{7, 3},
                              ShortEntry({kCodeB, 1, 90}), ShortEntry({kCodeB, 2, 10})};
    EXPECT_EQ(macro["entryCount"].toInt(), 5);
    EXPECT_EQ(macro["entries"].toArray(), expected);
    EXPECT_EQ(expected[0].toArray(), (QJsonArray{0x0D, 0x04}));  // the arithmetic, spelt out once

    // The macro store on disk holds the recording as the mouse got it.
    FinishStoreWrites();
    MacroList stored;
    LoadMacroStore(stored, window.Page().Session().DataFolder());
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(MacroName(*stored[0]), recordedName);
    ExpectActions(stored[0]->actions, stored[0]->action_count, recorded, "in macro.data");
}

}  // namespace
