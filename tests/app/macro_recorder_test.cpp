// Recording into the macro editor: input messages as the hook library posts them, time from a
// clock the test moves.
#include "app/macro_editor_fixture.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "app/macro/macro_recorder.h"
#include "app/macro/window_input_hook.h"

using namespace macro_test;

namespace {

constexpr WPARAM kVkA = 0x41;
constexpr WPARAM kVkB = 0x42;

class MacroRecorderTest : public MacroEditorTest {
protected:
    // Opens the editor on one macro and starts recording with nothing selected.
    void StartOn(std::unique_ptr<MacroRecord> macro, const char* delayModeButton)
    {
        AddMacro(std::move(macro));
        Open();
        SelectMacro(0);
        ActionList()->setCurrentRow(-1);
        editor->PaintManager().SendNotify(ActionList(), NotifyType::kItemSelect, -1);
        Click(delayModeButton);
        Check("ms_1_macro_record_btn");
        ASSERT_TRUE(editor->Recorder().IsRecording());
    }
    void Stop()
    {
        Check("ms_1_macro_record_btn");
        ASSERT_FALSE(editor->Recorder().IsRecording());
    }
    void Key(WPARAM vk, bool press, std::uint64_t afterMs)
    {
        clock.Advance(afterMs);
        Input(vk, press ? 0 : 1);
    }
};

TEST(MacroRecorderMapping, EventsMapToCodesAndKinds)
{
    struct Row {
        WPARAM wParam;
        LPARAM lParam;
        int code;
        int kind;
    };
    for (const Row& row : {Row{513, 0, 241, 1}, Row{514, 7, 241, 2}, Row{516, 0, 242, 1}, Row{517, 0, 242, 2},
                           Row{519, 0, 243, 1}, Row{520, 0, 243, 2}, Row{523, 2, 244, 1}, Row{523, 1, 245, 1},
                           Row{524, 2, 244, 2}, Row{524, 1, 245, 2}, Row{0x41, 0, 0x04, 1}, Row{0x41, 1, 0x04, 2},
                           Row{0xA0, 0, 0xE1, 1}, Row{0xAD, 0, 0, 1}, Row{0xAD, 5, 0, 2}}) {
        const auto [code, kind] = MacroRecorder::MapEvent(row.wParam, row.lParam);
        EXPECT_EQ(code, row.code) << row.wParam << "/" << row.lParam;
        EXPECT_EQ(kind, row.kind) << row.wParam << "/" << row.lParam;
    }
}

TEST_F(MacroRecorderTest, RecordedDelaysGoToTheEarlierActionAndTheLastKeeps10)
{
    StartOn(MakeMacro(QStringLiteral("M"), {{0x06, kPress, 40}, {0x06, kRelease, 10}}), "ms_1_record_delay_btn");
    // Started with nothing selected: the buffer is empty at once, the screen at the first event.
    EXPECT_EQ(editor->Actions().count, 0);
    EXPECT_EQ(ActionList()->count(), 2);
    EXPECT_EQ(Stored(0).action_count, 2);
    EXPECT_EQ(ControlText(Control("ms_1_macro_record_btn")), Text("stop_recording_text"));
    EXPECT_TRUE(Control<QCheckBox>("ms_1_macro_record_btn")->isChecked());

    Key(kVkA, true, 3000);  // the wait before the first event is not kept
    EXPECT_EQ(ActionList()->count(), 1);
    Key(kVkA, false, 200);
    Stop();
    const MacroRecord stored = Stored(0);
    ASSERT_EQ(stored.action_count, 2);
    EXPECT_EQ(stored.actions[0].key_code, 0x04);
    EXPECT_EQ(stored.actions[0].kind, kPress);
    EXPECT_EQ(stored.actions[0].delay_ms, 200);
    EXPECT_EQ(stored.actions[1].key_code, 0x04);
    EXPECT_EQ(stored.actions[1].kind, kRelease);
    EXPECT_EQ(stored.actions[1].delay_ms, 10);
    EXPECT_EQ(ControlText(Control("ms_1_macro_record_btn")), Text("start_recording_text"));
    EXPECT_FALSE(Control<QCheckBox>("ms_1_macro_record_btn")->isChecked());
}

TEST_F(MacroRecorderTest, NoDelayModeRecords10Everywhere)
{
    StartOn(MakeMacro(QStringLiteral("M"), {}), "ms_1_no_delay_btn");
    Key(kVkA, true, 500);
    Key(kVkA, false, 700);
    Key(kVkB, true, 900);
    Stop();
    const MacroRecord stored = Stored(0);
    ASSERT_EQ(stored.action_count, 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(stored.actions[i].delay_ms, 10) << i;
}

TEST_F(MacroRecorderTest, DefaultDelayModeUsesTheFieldForAllButTheLast)
{
    AddMacro(MakeMacro(QStringLiteral("M"), {}));
    Open();
    SelectMacro(0);
    Click("ms_1_default_delay_btn");
    TypeAndLeave("ms_1_default_delay_edit", QStringLiteral("50"));
    Check("ms_1_macro_record_btn");
    Key(kVkA, true, 500);
    Key(kVkA, false, 700);
    Key(kVkB, true, 900);
    Stop();
    const MacroRecord stored = Stored(0);
    ASSERT_EQ(stored.action_count, 3);
    EXPECT_EQ(stored.actions[0].delay_ms, 50);
    EXPECT_EQ(stored.actions[1].delay_ms, 50);
    EXPECT_EQ(stored.actions[2].delay_ms, 10);
}

TEST_F(MacroRecorderTest, RepeatedMessagesAreRecordedOnce)
{
    StartOn(MakeMacro(QStringLiteral("M"), {}), "ms_1_record_delay_btn");
    Key(kVkA, true, 10);
    Key(kVkA, true, 30);  // the key repeating
    Key(kVkA, true, 30);
    Key(kVkA, false, 40);
    Stop();
    const MacroRecord stored = Stored(0);
    ASSERT_EQ(stored.action_count, 2);
    // The gap runs from the recorded press, not from the repeats.
    EXPECT_EQ(stored.actions[0].delay_ms, 100);
}

TEST_F(MacroRecorderTest, ALongGapIsCappedAt65535)
{
    StartOn(MakeMacro(QStringLiteral("M"), {}), "ms_1_record_delay_btn");
    Key(kVkA, true, 10);
    Key(kVkA, false, 70'000);
    Stop();
    EXPECT_EQ(Stored(0).actions[0].delay_ms, 65535);
}

TEST_F(MacroRecorderTest, MouseButtonsAndSideButtonsByTheirXButtonNumber)
{
    StartOn(MakeMacro(QStringLiteral("M"), {}), "ms_1_no_delay_btn");
    for (const auto& [wParam, lParam] : std::vector<std::pair<WPARAM, LPARAM>>{
             {523, 2}, {524, 2}, {523, 1}, {524, 1}, {513, 0}, {514, 0}, {519, 0}, {520, 0}})
        Input(wParam, lParam);
    Stop();
    const MacroRecord stored = Stored(0);
    ASSERT_EQ(stored.action_count, 8);
    const int codes[] = {244, 244, 245, 245, 241, 241, 243, 243};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(stored.actions[i].key_code, codes[i]) << i;
        EXPECT_EQ(stored.actions[i].kind, i % 2 ? kRelease : kPress) << i;
    }
    EXPECT_EQ(RowText(0, "key"), Text("Backward_Button"));
    EXPECT_EQ(RowText(2, "key"), Text("Forward_Button"));
}

TEST_F(MacroRecorderTest, InsertingAfterTheLastOfFortyFiveStopsAtFortySix)
{
    AddMacro(MakeLongMacro(QStringLiteral("M"), 45, 0));
    Open();
    SelectMacro(0);
    ASSERT_EQ(editor->Actions().selected, 44);
    Check("ms_1_macro_record_btn");
    Input(kVkB, 0);
    EXPECT_FALSE(editor->Recorder().IsRecording());
    EXPECT_EQ(Stored(0).action_count, 46);
    EXPECT_EQ(Stored(0).actions[45].key_code, 0x05);
    Input(kVkB, 1);  // after the stop: nothing
    EXPECT_EQ(Stored(0).action_count, 46);
}

TEST_F(MacroRecorderTest, FortySixStepsStopTheRecordingAtTheNextEvent)
{
    // 30 actions, 16 of them long: 46 steps.
    AddMacro(MakeLongMacro(QStringLiteral("M"), 30, 16));
    Open();
    SelectMacro(0);
    Click("ms_1_no_delay_btn");
    Check("ms_1_macro_record_btn");  // inserting after the last action
    ASSERT_TRUE(editor->Recorder().IsRecording());
    Input(kVkB, 0);
    EXPECT_FALSE(editor->Recorder().IsRecording());
    EXPECT_EQ(Stored(0).action_count, 30);
    EXPECT_EQ(editor->Actions().count, 30);
}

TEST_F(MacroRecorderTest, InsertingKeepsTheDelaysOfActionsNotRecordedNow)
{
    AddMacro(MakeMacro(QStringLiteral("M"), {{0x06, kPress, 400}, {0x06, kRelease, 500}, {0x07, kPress, 600}}));
    Open();
    SelectMacro(0);
    SelectAction(0);
    Click("ms_1_record_delay_btn");
    Check("ms_1_macro_record_btn");
    Key(kVkA, true, 2500);
    Key(kVkA, false, 120);
    Stop();
    const MacroRecord stored = Stored(0);
    ASSERT_EQ(stored.action_count, 5);
    EXPECT_EQ(stored.actions[0].key_code, 0x06);
    EXPECT_EQ(stored.actions[0].delay_ms, 400);
    EXPECT_EQ(stored.actions[1].key_code, 0x04);
    EXPECT_EQ(stored.actions[1].delay_ms, 120);
    EXPECT_EQ(stored.actions[2].key_code, 0x04);
    EXPECT_EQ(stored.actions[2].delay_ms, 10);
    EXPECT_EQ(stored.actions[3].key_code, 0x06);
    EXPECT_EQ(stored.actions[3].delay_ms, 500);  // untouched
    EXPECT_EQ(stored.actions[4].delay_ms, 600);
    EXPECT_EQ(ActionList()->currentRow(), 2);
}

TEST_F(MacroRecorderTest, HookCallsAtStartStopAndTheRecordButtonHover)
{
    AddMacro(MakeMacro(QStringLiteral("M"), {}));
    Open();
    SelectMacro(0);
    auto* record = Control("ms_1_macro_record_btn");
    g_hookCalls.clear();
    Check("ms_1_macro_record_btn");
    // Not under the pointer (clicked from the keyboard): clicks count from the start.
    EXPECT_EQ(g_hookCalls, (std::vector<std::string>{"installhook", "enablehook(1)", "mousewheelenable(0)",
                                                     "enablemousehook(1)"}));
    g_hookCalls.clear();
    editor->PaintManager().SendNotify(record, NotifyType::kMouseEnter);
    editor->PaintManager().SendNotify(record, NotifyType::kMouseLeave);
    EXPECT_EQ(g_hookCalls, (std::vector<std::string>{"enablemousehook(0)", "enablemousehook(1)"}));
    g_hookCalls.clear();
    Stop();
    EXPECT_EQ(g_hookCalls, (std::vector<std::string>{"removehook", "removemousehook", "enablemousehook(0)",
                                                     "enablehook(0)", "mousewheelenable(0)"}));
    g_hookCalls.clear();
    editor->PaintManager().SendNotify(record, NotifyType::kMouseLeave);
    EXPECT_TRUE(g_hookCalls.empty());  // not recording: the hover does nothing
}

TEST_F(MacroRecorderTest, RecordingWithoutAMacroAddsOne)
{
    Open();
    Check("ms_1_macro_record_btn");
    ASSERT_EQ(MacroCount(), 1);
    EXPECT_TRUE(editor->Recorder().IsRecording());
    EXPECT_EQ(editor->CurrentMacroIndex(), 0);
    Input(kVkA, 0);
    Stop();
    EXPECT_EQ(Stored(0).action_count, 1);
}

TEST_F(MacroRecorderTest, TheActionEditDoesNotTakeTheKeysFromARecording)
{
    StartOn(MakeMacro(QStringLiteral("M"), {}), "ms_1_no_delay_btn");
    Input(kVkA, 0);
    Check("ms_1_macro_action_edit_check");
    Focus(Control("ms_1_macro_action_edit"));
    Input(kVkB, 0);
    Stop();
    const MacroRecord stored = Stored(0);
    ASSERT_EQ(stored.action_count, 2);
    EXPECT_EQ(stored.actions[0].key_code, 0x04);
    EXPECT_EQ(stored.actions[1].key_code, 0x05);
}

TEST_F(MacroRecorderTest, SwitchingMacrosStopsTheRecordingIntoTheFirst)
{
    AddMacro(MakeMacro(QStringLiteral("Second"), {{0x07, kPress, 10}}));
    StartOn(MakeMacro(QStringLiteral("First"), {}), "ms_1_no_delay_btn");
    // StartOn selected row 0: "Second" is first in the list.
    Input(kVkA, 0);
    SelectMacro(1);
    EXPECT_FALSE(editor->Recorder().IsRecording());
    Input(kVkB, 0);
    EXPECT_EQ(Stored(0).action_count, 1);
    EXPECT_EQ(Stored(0).actions[0].key_code, 0x04);
    EXPECT_EQ(Stored(1).action_count, 0);
}

// The window's own key events, turned into virtual keys as the hook library reports them.
TEST(WindowInputKeys, KeysBecomeVirtualKeys)
{
    struct Row {
        int key;
        Qt::KeyboardModifiers modifiers;
        std::uint32_t vk;
    };
    for (const Row& row : {Row{Qt::Key_A, Qt::NoModifier, 0x41}, Row{Qt::Key_5, Qt::NoModifier, 0x35},
                           Row{Qt::Key_F1, Qt::NoModifier, 0x70}, Row{Qt::Key_F12, Qt::NoModifier, 0x7B},
                           Row{Qt::Key_Shift, Qt::NoModifier, 0xA0}, Row{Qt::Key_Return, Qt::NoModifier, 0x0D},
                           Row{Qt::Key_7, Qt::KeypadModifier, 0x67}, Row{Qt::Key_Minus, Qt::NoModifier, 0xBD},
                           Row{Qt::Key_Home, Qt::NoModifier, 0x24}, Row{Qt::Key_VolumeMute, Qt::NoModifier, 0}}) {
        const QKeyEvent event(QEvent::KeyPress, row.key, row.modifiers);
        EXPECT_EQ(WindowInputHook::VirtualKeyOf(event), row.vk) << std::hex << row.key;
    }
}

TEST(WindowInputKeys, MouseButtonsBecomeMouseMessages)
{
    struct Row {
        Qt::MouseButton button;
        QEvent::Type type;
        std::uintptr_t wParam;
        std::intptr_t lParam;
    };
    for (const Row& row : {Row{Qt::LeftButton, QEvent::MouseButtonPress, 513, 0},
                           Row{Qt::LeftButton, QEvent::MouseButtonRelease, 514, 0},
                           Row{Qt::RightButton, QEvent::MouseButtonDblClick, 516, 0},
                           Row{Qt::MiddleButton, QEvent::MouseButtonRelease, 520, 0},
                           Row{Qt::BackButton, QEvent::MouseButtonPress, 523, 2},
                           Row{Qt::ForwardButton, QEvent::MouseButtonRelease, 524, 1}}) {
        const QMouseEvent event(row.type, QPointF(1, 1), QPointF(1, 1), row.button, row.button, Qt::NoModifier);
        std::uintptr_t wParam = 0;
        std::intptr_t lParam = -1;
        ASSERT_TRUE(WindowInputHook::MouseMessageOf(event, wParam, lParam));
        EXPECT_EQ(wParam, row.wParam);
        EXPECT_EQ(lParam, row.lParam);
    }
}

}  // namespace
