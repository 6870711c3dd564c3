// Recording into the macro editor: input messages as the hook library posts them, time from a
// clock the test moves (a recording never waits on real time here).
#include "app/macro_editor_fixture.h"

#include <QMouseEvent>

#include "app/macro/macro_recorder.h"
#include "app/macro/window_input_hook.h"

using namespace macro_test;

namespace {

constexpr WPARAM kA = 0x41, kB = 0x42;  // virtual keys
constexpr LPARAM kDown = 0, kUp = 1;

TEST(MacroRecorderMapping, EventsMapToCodesAndKinds)
{
    struct Row { WPARAM wParam; LPARAM lParam; int code, kind; };
    const Row rows[] = {{513, 0, 241, 1}, {514, 7, 241, 2}, {516, 0, 242, 1}, {517, 0, 242, 2}, {519, 0, 243, 1},
                        {520, 0, 243, 2}, {523, 2, 244, 1}, {523, 1, 245, 1}, {524, 2, 244, 2}, {524, 1, 245, 2},
                        {0x41, 0, 0x04, 1}, {0x41, 1, 0x04, 2}, {0xA0, 0, 0xE1, 1}, {0xAD, 0, 0, 1}, {0xAD, 5, 0, 2}};
    for (const Row& row : rows) {
        const auto [code, kind] = MacroRecorder::MapEvent(row.wParam, row.lParam);
        EXPECT_EQ(std::tuple(int(code), int(kind)), std::tuple(row.code, row.kind)) << row.wParam << "/" << row.lParam;
    }
}

// Where the window captures its own input, its mouse buttons become the library's messages.
TEST(WindowInputHookRules, MouseButtonsBecomeMouseMessages)
{
    struct Row { Qt::MouseButton button; QEvent::Type type; std::uintptr_t wParam; std::intptr_t lParam; };
    const Row rows[] = {{Qt::LeftButton, QEvent::MouseButtonPress, 513, 0}, {Qt::LeftButton, QEvent::MouseButtonRelease, 514, 0},
                        {Qt::RightButton, QEvent::MouseButtonDblClick, 516, 0}, {Qt::MiddleButton, QEvent::MouseButtonRelease, 520, 0},
                        {Qt::BackButton, QEvent::MouseButtonPress, 523, 2}, {Qt::ForwardButton, QEvent::MouseButtonRelease, 524, 1}};
    for (const Row& row : rows) {
        std::uintptr_t wParam = 0; std::intptr_t lParam = -1;
        const bool known = WindowInputHook::MouseMessageOf(QMouseEvent(row.type, QPointF(1, 1), QPointF(1, 1), row.button, row.button, {}), wParam, lParam);
        EXPECT_EQ(std::tuple(known, wParam, lParam), std::tuple(true, row.wParam, row.lParam)) << row.wParam;
    }
}

// One recording: the macro before, the action recorded after (-1: none, the recording replaces
// the actions), the delay mode (the default delay field holds 50), the events, the macro after.
// Which code each message gives is MacroRecorderMapping's table.
struct Event { WPARAM wParam; LPARAM lParam; std::uint64_t afterMs; };
struct Recording { const char* name; Actions before; int selected; const char* mode; std::vector<Event> events; Actions after; };
const char *const kRecorded = "ms_1_record_delay_btn", *const kNone = "ms_1_no_delay_btn";
const Recording kRecordings[] = {
    {"a pause goes to the action before it; the wait before the first is not kept", {{6, 1, 40}, {6, 2, 10}}, -1, kRecorded,
     {{kA, kDown, 3000}, {kA, kUp, 200}}, {{4, 1, 200}, {4, 2, 10}}},
    {"no delays", {}, -1, kNone, {{kA, kDown, 500}, {kA, kUp, 700}, {kB, kDown, 900}}, {{4, 1, 10}, {4, 2, 10}, {5, 1, 10}}},
    {"the default delay for all but the last", {}, -1, "ms_1_default_delay_btn", {{kA, kDown, 500}, {kA, kUp, 700}, {kB, kDown, 900}},
     {{4, 1, 50}, {4, 2, 50}, {5, 1, 10}}},
    {"a repeating key is recorded once and the pause runs from its press", {}, -1, kRecorded,
     {{kA, kDown, 10}, {kA, kDown, 30}, {kA, kDown, 30}, {kA, kUp, 40}}, {{4, 1, 100}, {4, 2, 10}}},
    {"a long pause is capped at 65535", {}, -1, kRecorded, {{kA, kDown, 10}, {kA, kUp, 70'000}}, {{4, 1, 65535}, {4, 2, 10}}},
    {"inserting keeps the delays of the actions around", {{6, 1, 400}, {6, 2, 500}, {7, 1, 600}}, 0, kRecorded,
     {{kA, kDown, 2500}, {kA, kUp, 120}}, {{6, 1, 400}, {4, 1, 120}, {4, 2, 10}, {6, 2, 500}, {7, 1, 600}}},
};

using MacroRecorderTest = MacroEditorTest;

TEST_F(MacroRecorderTest, RecordedActionsAndTheirDelays)
{
    for (const Recording& r : kRecordings) {
        SCOPED_TRACE(r.name);
        SetMacros(MakeMacro(QStringLiteral("M"), r.before));
        OpenOn(0);
        Click(r.mode), TypeAndLeave("ms_1_default_delay_edit", QStringLiteral("50"));
        SelectAction(r.selected), Check("ms_1_macro_record_btn");
        ASSERT_TRUE(editor->Recorder().IsRecording());
        for (const Event& e : r.events) Input(e.wParam, e.lParam, e.afterMs);
        Check("ms_1_macro_record_btn");
        EXPECT_EQ(ActionsOf(Stored(0)), r.after);
        EXPECT_TRUE(r.selected < 0 || ActionList()->currentRow() == r.selected + int(r.events.size()));
    }
}

// Recording without a macro adds one. Started from the keyboard (the pointer elsewhere), clicks
// count from the start; over the record button they do not. With nothing selected the recording
// replaces the actions at once, and the screen follows at the first event.
TEST_F(MacroRecorderTest, TheRecordButtonSaysWhatItDoesAndTheHookFollows)
{
    Open();
    auto* record = Control<QCheckBox>("ms_1_macro_record_btn");
    Check("ms_1_macro_record_btn");
    EXPECT_EQ(g_hookCalls, (Calls{"installhook", "removehook", "installhook", "enablehook(1)", "mousewheelenable(0)", "enablemousehook(1)"}));
    EXPECT_EQ(std::tuple(MacroCount(), editor->CurrentMacroIndex(), editor->Recorder().IsRecording()), std::tuple(1, 0, true));
    EXPECT_EQ(std::tuple(ControlText(record), record->isChecked()), std::tuple(Text("stop_recording_text"), true));
    Input(kA, kDown), Input(kA, kUp), g_hookCalls.clear();
    editor->PaintManager().SendNotify(record, NotifyType::kMouseEnter), editor->PaintManager().SendNotify(record, NotifyType::kMouseLeave);
    EXPECT_EQ(g_hookCalls, (Calls{"enablemousehook(0)", "enablemousehook(1)"}));
    g_hookCalls.clear(), Check("ms_1_macro_record_btn");
    EXPECT_EQ(g_hookCalls, kAllDown);
    EXPECT_EQ(std::tuple(ControlText(record), record->isChecked(), Stored(0).action_count), std::tuple(Text("start_recording_text"), false, 2));
    g_hookCalls.clear(), editor->PaintManager().SendNotify(record, NotifyType::kMouseLeave);
    EXPECT_TRUE(g_hookCalls.empty());  // not recording: the hover does nothing

    SelectAction(-1), Check("ms_1_macro_record_btn");
    EXPECT_EQ(std::tuple(editor->Actions().count, ActionList()->count(), Stored(0).action_count), std::tuple(0, 2, 2));
    Input(kB, kDown);
    EXPECT_EQ(ActionList()->count(), 1);
}

// Space or Enter on the focused record button stops the recording when it comes up; the key is no
// action, whether the hook told of its release before the button took it or not.
TEST_F(MacroRecorderTest, TheKeyThatStopsTheRecordingIsNotRecorded)
{
    for (const auto& [key, virtualKey, releaseFirst] : {std::tuple{Qt::Key_Space, 0x20, true}, {Qt::Key_Return, 0x0D, false}}) {
        SetMacros(MakeMacro(QStringLiteral("M"), {}));
        OpenOn(0), Click(kNone), Check("ms_1_macro_record_btn"), Input(kA, kDown), Input(kA, kUp), Input(virtualKey, kDown);
        QKeyEvent release(QEvent::KeyRelease, key, {});
        Key(Control("ms_1_macro_record_btn"), key), releaseFirst ? Input(virtualKey, kUp) : void();
        QApplication::sendEvent(Control("ms_1_macro_record_btn"), &release);
        EXPECT_EQ(std::pair(editor->Recorder().IsRecording(), ActionsOf(Stored(0))), std::pair(false, Actions{{4, 1, 10}, {4, 2, 10}})) << key;
    }
}

// Appending to 45 actions stops at the 46th, the most a macro holds; at 46 steps (long pauses take
// two) the next event stops the recording and adds nothing.
TEST_F(MacroRecorderTest, ARecordingStopsAtTheLimits)
{
    struct Limit { int actions, longOnes, after; };
    for (const Limit& l : {Limit{45, 0, 46}, Limit{30, 16, 30}}) {
        SCOPED_TRACE(l.actions);
        SetMacros(MakeLongMacro(l.actions, l.longOnes));
        OpenOn(0), Click(kNone);
        ASSERT_EQ(editor->Actions().selected, l.actions - 1);  // appending after the last
        Check("ms_1_macro_record_btn"), Input(kB, kDown);
        EXPECT_FALSE(editor->Recorder().IsRecording());
        Input(kB, kUp);  // after the stop: nothing
        EXPECT_EQ(std::tuple(Stored(0).action_count, editor->Actions().count), std::tuple(l.after, l.after));
        EXPECT_EQ(Stored(0).actions[l.after - 1].key_code, l.after == 46 ? 0x05 : 0x04);
    }
}

TEST_F(MacroRecorderTest, TheRecordingEndsBeforeTheEditorTurnsToAnotherMacro)
{
    SetMacros(MakeMacro(QStringLiteral("Keep"), {}), MakeMacro(QStringLiteral("Gone"), {}));
    OpenOn(1), Click(kNone), Check("ms_1_macro_record_btn"), Input(kA, kDown);
    Check("ms_1_macro_action_edit_check");  // the action's key field does not take the recording's keys
    Focus(Control("ms_1_macro_action_edit")), Input(kB, kDown), SelectMacro(0);
    EXPECT_FALSE(editor->Recorder().IsRecording());
    Input(kB, kUp);
    EXPECT_EQ(std::pair(ActionsOf(Stored(1)), int(Stored(0).action_count)), std::pair(Actions{{4, 1, 10}, {5, 1, 10}}, 0));
    SelectMacro(1), Check("ms_1_macro_record_btn"), Input(kA, kUp);
    BoxAnswers ok;
    Click("ms_1_macro_delete_btn");
    EXPECT_FALSE(editor->Recorder().IsRecording());
    ASSERT_EQ(MacroCount(), 1);
    EXPECT_EQ(std::tuple(MacroName(Stored(0)), Stored(0).action_count, editor->CurrentMacroIndex()),
              std::tuple(QStringLiteral("Keep"), 0, 0));
}

}  // namespace
