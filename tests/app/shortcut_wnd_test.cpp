// The key-combination dialog, run modally: keys through the stand-in input hook, and from the key
// field itself when there is no hook; and the virtual keys our own windows' key events stand for.
#include "app/macro/key_capture.h"
#include "app/macro/window_input_hook.h"
#include "app/macro_editor_fixture.h"
#include "core/keys/key_tables.h"

using namespace macro_test;

namespace {

QLineEdit* KeyEdit(WindowImplBase& d) { return Find<QLineEdit>(d, QStringLiteral("edit_key")); }
bool Flag(WindowImplBase& d, int n) { return Find<QAbstractButton>(d, QString("check_flag_%1").arg(n))->isChecked(); }
bool NoteShown(WindowImplBase& d) { return Find(d, QStringLiteral("shortcut_local_note"))->isVisibleTo(d.GetHWND()); }

class ShortcutDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ResetHook(); }
    HookTable hooks = LoggingHookTable();
};

// Opens on the button's combination; the hook is up only while the key field has the focus, and
// goes down when it leaves and when the dialog goes; the key is the last one pressed (a modifier
// key like any other), the boxes stay as they are.
TEST_F(ShortcutDialogTest, HookedKeyIsCapturedWhileTheFieldHasTheFocus)
{
    CShortcutWnd dialog;
    dialog.SetModifiers(1);
    dialog.SetKey(0x06);  // Ctrl+C
    dialog.SetHookTable(&hooks);
    const auto boxes = [](CShortcutWnd& d) { return std::vector<bool>{Flag(d, 1), Flag(d, 2), Flag(d, 3), Flag(d, 4)}; };
    const std::vector<bool> ctrlOnly{true, false, false, false};
    EXPECT_EQ(RunModal<CShortcutWnd>(dialog, [&](CShortcutWnd& d) {
                  EXPECT_EQ(std::tuple(boxes(d), KeyEdit(d)->text()), std::tuple(ctrlOnly, QStringLiteral("C")));
                  EXPECT_EQ(d.GetHWND()->windowTitle(), Text("shortcut_title_text"));
                  EXPECT_EQ(std::tuple(d.CapturesLocally(), NoteShown(d), g_hookCalls.empty()), std::tuple(false, false, true));
                  Focus(KeyEdit(d));
                  EXPECT_EQ(g_hookCalls, (Calls{"installhook", "enablehook(1)"}));
                  const KarvoPostTarget* target = g_hookTarget;
                  HookPost(0x41, 0), HookPost(0x41, 1);
                  EXPECT_EQ(std::tuple(KeyEdit(d)->text(), int(d.Key())), std::tuple(QStringLiteral("A"), 0x04));
                  HookPost(0xA2, 0);
                  EXPECT_EQ(d.Key(), 0xE0);
                  HookPost(0x41, 0), HookPost(0xA2, 1);  // releasing Ctrl last does not make it the key
                  EXPECT_EQ(std::tuple(int(d.Key()), boxes(d)), std::tuple(0x04, ctrlOnly));
                  Focus(Find(d, QStringLiteral("check_flag_2")));
                  EXPECT_EQ(g_hookCalls, (Calls{"installhook", "enablehook(1)", "removehook", "enablehook(0)"}));
                  target->post(target->context, KARVO_UM_HOOK_INPUT, 0x09, 0), ProcessPending();  // the Tab that left, late
                  EXPECT_EQ(d.Key(), 0x04);
                  Find<QAbstractButton>(d, QStringLiteral("check_flag_2"))->click();
                  ClickControl(d, QStringLiteral("btn_ok"));
              }), 1);
    EXPECT_EQ(std::tuple(int(dialog.Key()), int(dialog.Modifiers())), std::tuple(0x04, 3));
    EXPECT_TRUE(dialog.FlagSet(CShortcutWnd::kCtrl) && dialog.FlagSet(CShortcutWnd::kShift));
    EXPECT_EQ(g_hookCalls.back(), "removehook");  // destroying the window takes it down once more
}

TEST_F(ShortcutDialogTest, EveryWayOutButOkCancels)
{
    for (const char* way : {"btn_cancel", "btn_exit"}) {
        ResetHook();
        CShortcutWnd dialog;
        dialog.SetHookTable(&hooks);
        EXPECT_EQ(RunModal<CShortcutWnd>(dialog, [way](CShortcutWnd& d) { Focus(KeyEdit(d)), HookPost(0x5A, 0), ClickControl(d, QLatin1String(way)); }),
                  0) << way;
        // It went while the field had the focus: nothing stays installed or switched on.
        EXPECT_EQ(g_hookCalls, (Calls{"installhook", "enablehook(1)", "removehook", "removehook", "enablehook(0)"}));
    }
}

// Without a hook, or with one that cannot see the desktop (then from the first time the field has
// the focus, with no second try), the field takes its own keys: Escape is a key, not a way out; a
// key without a usage changes nothing; Tab moves on, Ctrl+Tab is Tab.
TEST_F(ShortcutDialogTest, WithoutAGlobalHookTheFieldCapturesItsOwnKeys)
{
    struct Pressed { int qtKey; const char* text; Qt::KeyboardModifiers modifiers; int key; bool stays; };
    const Pressed kPressed[] = {{Qt::Key_A, "a", {}, 0x04, true},     {Qt::Key_F5, "", {}, 0x3E, true},
                                {Qt::Key_Escape, "", {}, 0x29, true}, {Qt::Key_VolumeMute, "", {}, 0x29, true},
                                {Qt::Key_Tab, "", {}, 0x29, false},   {Qt::Key_Tab, "", Qt::ControlModifier, 0x2B, true}};
    const HookTable none;
    for (const bool library : {false, true}) {
        SCOPED_TRACE(library ? "a hook that cannot see the desktop" : "no hook");
        ResetHook(false);
        CShortcutWnd dialog;
        dialog.SetHookTable(library ? &hooks : &none);
        EXPECT_EQ(RunModal<CShortcutWnd>(dialog, [&](CShortcutWnd& d) {
                      EXPECT_EQ(std::tuple(d.CapturesLocally(), NoteShown(d)), std::tuple(!library, !library));
                      for (const Pressed& p : kPressed) {
                          Focus(KeyEdit(d));
                          EXPECT_EQ(std::tuple(d.CapturesLocally(), NoteShown(d)), std::tuple(true, true));
                          Key(KeyEdit(d), p.qtKey, QLatin1String(p.text), p.modifiers, true);
                          EXPECT_EQ(std::tuple(int(d.Key()), KeyEdit(d)->hasFocus(), d.IsWindow()),
                                    std::tuple(p.key, p.stays, true)) << p.qtKey;
                          EXPECT_TRUE(p.qtKey != Qt::Key_F5 || KeyEdit(d)->text() == Text("key_F5"));
                      }
                      ClickControl(d, QStringLiteral("btn_ok"));
                  }), 1);
        EXPECT_EQ(std::tuple(int(dialog.Key()), int(dialog.Modifiers())), std::tuple(0x2B, 0));
        EXPECT_EQ(g_hookCalls, library ? (Calls{"installhook", "removehook"}) : Calls{});
    }
}

// The virtual key a key event of our own windows stands for, by both ways in (the shortcut field's
// and the macro editor's window capture).
TEST(KeyCapture, VirtualKeysOfKeyEvents)
{
    // scanCode: the X key code; with it the key is named by its place, as the input hook names it (the key
    // that types "a" on a French keyboard sits where a US keyboard has Q); 250 has no known place.
    struct Row { const char* name; int qtKey; Qt::KeyboardModifiers modifiers; std::uint32_t nativeVirtualKey, virtualKey, scanCode = 0; };
    const auto S = Qt::ShiftModifier, C = Qt::ControlModifier, K = Qt::KeypadModifier;
    const Row rows[] = {
        {"A", Qt::Key_A, {}, 0, 0x41}, {"Z", Qt::Key_Z, {}, 0, 0x5A}, {"1", Qt::Key_1, {}, 0, 0x31},
        {"5", Qt::Key_5, {}, 0, 0x35}, {"shifted 1", Qt::Key_Exclam, S, 0, 0x31}, {"keypad 5", Qt::Key_5, K, 0, 0x65},
        {"keypad 7", Qt::Key_7, K, 0, 0x67}, {"keypad *", Qt::Key_Asterisk, K, 0, 0x6A},
        {"keypad Enter", Qt::Key_Enter, K, 0, 0x6C}, {"Enter", Qt::Key_Return, {}, 0, 0x0D},
        {"F1", Qt::Key_F1, {}, 0, 0x70}, {"F12", Qt::Key_F12, {}, 0, 0x7B}, {"Escape", Qt::Key_Escape, {}, 0, 0x1B},
        {"Tab", Qt::Key_Tab, {}, 0, 0x09}, {"Shift, side untold", Qt::Key_Shift, {}, 0, 0xA0},
        {"left Shift", Qt::Key_Shift, S, 0xFFE1, 0xA0}, {"right Shift", Qt::Key_Shift, S, 0xFFE2, 0xA1},
        {"right Ctrl", Qt::Key_Control, C, 0xFFE4, 0xA3}, {"left Alt", Qt::Key_Alt, Qt::AltModifier, 0xFFE9, 0xA4},
        {"Super", Qt::Key_Super_L, {}, 0, 0x5B}, {"minus", Qt::Key_Minus, {}, 0, 0xBD}, {"/", Qt::Key_Slash, {}, 0, 0xBF},
        {"Home", Qt::Key_Home, {}, 0, 0x24}, {"Print", Qt::Key_Print, {}, 0, 0x2C}, {"mute", Qt::Key_VolumeMute, {}, 0, 0},
        {"French a", Qt::Key_A, {}, 0, 0x51, 16 + 8}, {"by place: right Ctrl", Qt::Key_Control, C, 0, 0xA3, 97 + 8},
        {"by place: keypad 7", Qt::Key_Home, K, 0, 0x67, 71 + 8}, {"no known place", Qt::Key_B, {}, 0, 0x42, 250}};
    for (const Row& row : rows) {
        EXPECT_EQ(VirtualKeyFromKeyEvent(row.qtKey, row.modifiers, row.scanCode, row.nativeVirtualKey), row.virtualKey) << row.name;
        const QKeyEvent event(QEvent::KeyPress, row.qtKey, row.modifiers, 0, row.nativeVirtualKey, 0);
        EXPECT_TRUE(row.scanCode || WindowInputHook::VirtualKeyOf(event) == row.virtualKey) << row.name;
    }
    EXPECT_EQ(VirtualKeyToUsage(0x41).code, 0x04);  // the virtual keys are those the key tables know
}

}  // namespace
