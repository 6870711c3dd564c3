// The key-combination dialog, run modally: keys through an input hook of our own, and from the
// key field itself when there is no hook.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <functional>
#include <string>
#include <vector>

#include "app/macro/key_capture.h"
#include "app/macro/shortcut_wnd.h"
#include "app/shell/hook_library.h"
#include "app/shell/msg_wnd.h"
#include "app/shell/window_messages.h"
#include "core/keys/key_tables.h"
#include "support/ui_test_support.h"
#include "ui/resource_manager.h"

namespace {

// An input hook in the test: records the calls and keeps the target it was given.
std::vector<std::string> g_hookCalls;
const KarvoPostTarget* g_hookTarget = nullptr;
bool g_hookSeesTheDesktop = true;

std::int32_t RecordInstall(const KarvoPostTarget* target)
{
    g_hookTarget = target;
    g_hookCalls.emplace_back("installhook");
    return g_hookSeesTheDesktop ? 1 : 0;
}

HookTable RecordingHooks()
{
    HookTable table;
    table.installmousehook = [] { g_hookCalls.emplace_back("installmousehook"); };
    table.removemousehook = [] { g_hookCalls.emplace_back("removemousehook"); };
    table.enablemousehook = [](std::uint32_t on) { g_hookCalls.push_back(on ? "enablemousehook(1)" : "enablemousehook(0)"); };
    table.installhook = &RecordInstall;
    table.removehook = [] {
        g_hookTarget = nullptr;
        g_hookCalls.emplace_back("removehook");
    };
    table.enablehook = [](std::uint32_t on) { g_hookCalls.push_back(on ? "enablehook(1)" : "enablehook(0)"); };
    table.mousewheelenable = [](std::uint32_t on) { g_hookCalls.push_back(on ? "mousewheelenable(1)" : "mousewheelenable(0)"); };
    return table;
}

// What the hook library does for a key: posts to the window it was given.
void HookKey(std::uint32_t virtualKey, bool released)
{
    ASSERT_TRUE(g_hookTarget);
    g_hookTarget->post(g_hookTarget->context, Msg::UM_HOOK_INPUT, virtualKey, released ? 1 : 0);
    ProcessPending();
}

QLineEdit* KeyEdit(WindowImplBase& dialog)
{
    return dialog.PaintManager().FindControl<QLineEdit>(QStringLiteral("edit_key"));
}

QAbstractButton* FlagBox(WindowImplBase& dialog, int n)
{
    return dialog.PaintManager().FindControl<QAbstractButton>(QStringLiteral("check_flag_%1").arg(n));
}

void Focus(QWidget* widget)
{
    widget->window()->activateWindow();
    widget->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
}

// A key pressed and released on the field, as the desktop delivers it.
void KeyOnField(QLineEdit* edit, int qtKey, const QString& text = {}, Qt::KeyboardModifiers modifiers = {})
{
    QKeyEvent press(QEvent::KeyPress, qtKey, modifiers, text);
    QApplication::sendEvent(edit, &press);
    QKeyEvent release(QEvent::KeyRelease, qtKey, modifiers, text);
    QApplication::sendEvent(edit, &release);
    ProcessPending();
}

class ShortcutDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_hookCalls.clear();
        g_hookTarget = nullptr;
        g_hookSeesTheDesktop = true;
        ASSERT_TRUE(owner.Create(nullptr, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow));
        ProcessPending();
    }
    void TearDown() override
    {
        owner.DestroyWindow();
        ProcessPending();
    }

    int Run(CShortcutWnd& dialog, const std::function<void(CShortcutWnd&)>& script)
    {
        ScopedModalDriver driver([&](WindowImplBase& window) { script(static_cast<CShortcutWnd&>(window)); });
        if (!dialog.Create(&owner, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow))
            return -1;
        dialog.CenterWindow();
        return dialog.ShowModal();
    }

    CMsgWnd owner{QStringLiteral("warning_title_text"), QStringLiteral("no_device_text")};
    HookTable hooks = RecordingHooks();
    HookTable noHooks;
};

TEST_F(ShortcutDialogTest, OpensWithTheButtonsCombination)
{
    CShortcutWnd dialog;
    dialog.SetModifiers(1);
    dialog.SetKey(0x06);  // C
    dialog.SetHookTable(&hooks);
    EXPECT_EQ(Run(dialog,
                  [](CShortcutWnd& d) {
                      EXPECT_TRUE(FlagBox(d, 1)->isChecked());
                      EXPECT_FALSE(FlagBox(d, 2)->isChecked());
                      EXPECT_FALSE(FlagBox(d, 3)->isChecked());
                      EXPECT_FALSE(FlagBox(d, 4)->isChecked());
                      EXPECT_EQ(KeyEdit(d)->text(), QStringLiteral("C"));
                      EXPECT_EQ(d.GetHWND()->windowTitle(),
                                CResourceManager::Instance().GetText(QStringLiteral("shortcut_title_text")));
                      // With a hook there is nothing to explain about capturing.
                      EXPECT_FALSE(d.PaintManager().FindControl(QStringLiteral("shortcut_local_note"))->isVisibleTo(d.GetHWND()));
                      ClickControl(d, QStringLiteral("btn_cancel"));
                  }),
              0);
}

TEST_F(ShortcutDialogTest, HookedKeyIsCapturedWhileTheFieldHasTheFocus)
{
    CShortcutWnd dialog;
    dialog.SetHookTable(&hooks);
    EXPECT_EQ(Run(dialog,
                  [](CShortcutWnd& d) {
                      EXPECT_FALSE(d.CapturesLocally());
                      EXPECT_TRUE(g_hookCalls.empty());
                      Focus(KeyEdit(d));
                      ASSERT_TRUE(KeyEdit(d)->hasFocus());
                      EXPECT_EQ(g_hookCalls, (std::vector<std::string>{"installhook", "enablehook(1)"}));
                      HookKey(0x41, false);
                      HookKey(0x41, true);
                      EXPECT_EQ(KeyEdit(d)->text(), QStringLiteral("A"));
                      EXPECT_EQ(d.Key(), 0x04);
                      // A modifier key is a key like any other; the boxes stay as they are.
                      HookKey(0xA2, false);
                      EXPECT_EQ(d.Key(), 0xE0);
                      HookKey(0x41, false);
                      HookKey(0xA2, true);  // releasing Ctrl last does not make it the key
                      EXPECT_EQ(d.Key(), 0x04);
                      for (int n = 1; n <= 4; ++n)
                          EXPECT_FALSE(FlagBox(d, n)->isChecked());
                      Focus(FlagBox(d, 1));
                      FlagBox(d, 1)->click();
                      FlagBox(d, 2)->click();
                      EXPECT_EQ(g_hookCalls, (std::vector<std::string>{"installhook", "enablehook(1)", "removehook",
                                                                       "enablehook(0)"}));
                      ClickControl(d, QStringLiteral("btn_ok"));
                  }),
              1);
    EXPECT_EQ(dialog.Key(), 0x04);
    EXPECT_EQ(dialog.Modifiers(), 3);
    EXPECT_TRUE(dialog.FlagSet(CShortcutWnd::kCtrl));
    EXPECT_TRUE(dialog.FlagSet(CShortcutWnd::kShift));
    // Destroying the window takes the hook down once more.
    EXPECT_EQ(g_hookCalls.back(), "removehook");
}

TEST_F(ShortcutDialogTest, KeysArrivingAfterTheFieldLostTheFocusAreIgnored)
{
    CShortcutWnd dialog;
    dialog.SetHookTable(&hooks);
    dialog.SetKey(0x04);
    EXPECT_EQ(Run(dialog,
                  [](CShortcutWnd& d) {
                      Focus(KeyEdit(d));
                      const KarvoPostTarget* target = g_hookTarget;
                      ASSERT_TRUE(target);
                      Focus(FlagBox(d, 1));
                      target->post(target->context, Msg::UM_HOOK_INPUT, 0x09, 0);  // the Tab that left
                      ProcessPending();
                      EXPECT_EQ(d.Key(), 0x04);
                      ClickControl(d, QStringLiteral("btn_ok"));
                  }),
              1);
    EXPECT_EQ(dialog.Key(), 0x04);
}

TEST_F(ShortcutDialogTest, WithoutAHookTheFieldCapturesItsOwnKeys)
{
    CShortcutWnd dialog;
    dialog.SetHookTable(&noHooks);
    EXPECT_EQ(Run(dialog,
                  [](CShortcutWnd& d) {
                      EXPECT_TRUE(d.CapturesLocally());
                      EXPECT_TRUE(d.PaintManager().FindControl(QStringLiteral("shortcut_local_note"))->isVisibleTo(d.GetHWND()));
                      Focus(KeyEdit(d));
                      KeyOnField(KeyEdit(d), Qt::Key_A, QStringLiteral("a"));
                      EXPECT_EQ(KeyEdit(d)->text(), QStringLiteral("A"));
                      EXPECT_EQ(d.Key(), 0x04);
                      KeyOnField(KeyEdit(d), Qt::Key_F5);
                      EXPECT_EQ(KeyEdit(d)->text(), CResourceManager::Instance().GetText(QStringLiteral("key_F5")));
                      EXPECT_EQ(d.Key(), 0x3E);
                      KeyOnField(KeyEdit(d), Qt::Key_Escape);  // a key to capture, not a way out
                      EXPECT_TRUE(d.IsWindow());
                      EXPECT_EQ(d.Key(), 0x29);
                      KeyOnField(KeyEdit(d), Qt::Key_VolumeMute);  // no usage: the key stays
                      EXPECT_EQ(d.Key(), 0x29);
                      ClickControl(d, QStringLiteral("btn_ok"));
                  }),
              1);
    EXPECT_EQ(dialog.Key(), 0x29);
    EXPECT_EQ(dialog.Modifiers(), 0);
}

TEST_F(ShortcutDialogTest, AHookThatCannotSeeTheDesktopGivesWayToTheField)
{
    g_hookSeesTheDesktop = false;
    CShortcutWnd dialog;
    dialog.SetHookTable(&hooks);
    EXPECT_EQ(Run(dialog,
                  [](CShortcutWnd& d) {
                      EXPECT_FALSE(d.CapturesLocally());
                      Focus(KeyEdit(d));
                      EXPECT_TRUE(d.CapturesLocally());
                      EXPECT_TRUE(d.PaintManager().FindControl(QStringLiteral("shortcut_local_note"))->isVisibleTo(d.GetHWND()));
                      EXPECT_EQ(g_hookCalls, (std::vector<std::string>{"installhook", "removehook"}));
                      KeyOnField(KeyEdit(d), Qt::Key_Q, QStringLiteral("q"));
                      EXPECT_EQ(d.Key(), 0x14);
                      Focus(FlagBox(d, 1));
                      Focus(KeyEdit(d));  // no second try at the hook
                      EXPECT_EQ(g_hookCalls, (std::vector<std::string>{"installhook", "removehook"}));
                      ClickControl(d, QStringLiteral("btn_ok"));
                  }),
              1);
    EXPECT_EQ(dialog.Key(), 0x14);
}

TEST_F(ShortcutDialogTest, WithoutAHookTabMovesOnAndCtrlTabCapturesTab)
{
    CShortcutWnd dialog;
    EXPECT_EQ(Run(dialog,
                  [](CShortcutWnd& d) {
                      Focus(KeyEdit(d));
                      KeyOnField(KeyEdit(d), Qt::Key_B, QStringLiteral("b"));
                      QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
                      QApplication::sendEvent(KeyEdit(d), &tab);
                      ProcessPending();
                      EXPECT_FALSE(KeyEdit(d)->hasFocus());
                      EXPECT_EQ(d.Key(), 0x05);
                      Focus(KeyEdit(d));
                      KeyOnField(KeyEdit(d), Qt::Key_Tab, {}, Qt::ControlModifier);
                      EXPECT_TRUE(KeyEdit(d)->hasFocus());
                      EXPECT_EQ(d.Key(), 0x2B);
                      ClickControl(d, QStringLiteral("btn_ok"));
                  }),
              1);
    EXPECT_EQ(dialog.Key(), 0x2B);
}

TEST_F(ShortcutDialogTest, CancelKeepsNothingOfWhatWasCaptured)
{
    CShortcutWnd dialog;
    dialog.SetKey(0x06);
    dialog.SetModifiers(1);
    EXPECT_EQ(Run(dialog,
                  [](CShortcutWnd& d) {
                      Focus(KeyEdit(d));
                      KeyOnField(KeyEdit(d), Qt::Key_Z, QStringLiteral("z"));
                      EXPECT_EQ(d.Key(), 0x1D);
                      ClickControl(d, QStringLiteral("btn_exit"));
                  }),
              0);
}

TEST_F(ShortcutDialogTest, EveryControlHasAnAccessibleName)
{
    CShortcutWnd dialog;
    Run(dialog, [](CShortcutWnd& d) {
        for (const char* name : {"check_flag_1", "check_flag_2", "check_flag_3", "check_flag_4", "edit_key", "btn_ok",
                                 "btn_cancel", "btn_exit"}) {
            const QWidget* control = d.PaintManager().FindControl(QLatin1String(name));
            ASSERT_TRUE(control) << name;
            EXPECT_FALSE(control->accessibleName().isEmpty()) << name;
            EXPECT_FALSE(control->accessibleName().contains(QLatin1String("_text"))) << name;
        }
        ClickControl(d, QStringLiteral("btn_cancel"));
    });
}

TEST(KeyCapture, VirtualKeysOfKeyEvents)
{
    struct Row {
        const char* name;
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        std::uint32_t nativeVirtualKey;
        std::uint32_t virtualKey;
    };
    const Row rows[] = {
        {"A", Qt::Key_A, {}, 0, 0x41},
        {"Z", Qt::Key_Z, {}, 0, 0x5A},
        {"1", Qt::Key_1, {}, 0, 0x31},
        {"shifted 1", Qt::Key_Exclam, Qt::ShiftModifier, 0, 0x31},
        {"keypad 5", Qt::Key_5, Qt::KeypadModifier, 0, 0x65},
        {"keypad *", Qt::Key_Asterisk, Qt::KeypadModifier, 0, 0x6A},
        {"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier, 0, 0x6C},
        {"Enter", Qt::Key_Return, {}, 0, 0x0D},
        {"F1", Qt::Key_F1, {}, 0, 0x70},
        {"F12", Qt::Key_F12, {}, 0, 0x7B},
        {"Escape", Qt::Key_Escape, {}, 0, 0x1B},
        {"Tab", Qt::Key_Tab, {}, 0, 0x09},
        {"left Shift", Qt::Key_Shift, Qt::ShiftModifier, 0xFFE1, 0xA0},
        {"right Shift", Qt::Key_Shift, Qt::ShiftModifier, 0xFFE2, 0xA1},
        {"right Ctrl", Qt::Key_Control, Qt::ControlModifier, 0xFFE4, 0xA3},
        {"left Alt", Qt::Key_Alt, Qt::AltModifier, 0xFFE9, 0xA4},
        {"Super", Qt::Key_Super_L, {}, 0, 0x5B},
        {"minus", Qt::Key_Minus, {}, 0, 0xBD},
        {"slash", Qt::Key_Slash, {}, 0, 0xBF},
        {"Home", Qt::Key_Home, {}, 0, 0x24},
        {"Print", Qt::Key_Print, {}, 0, 0x2C},
        {"volume mute", Qt::Key_VolumeMute, {}, 0, 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(VirtualKeyFromKeyEvent(row.qtKey, row.modifiers, 0, row.nativeVirtualKey), row.virtualKey) << row.name;
    // The virtual keys are those the key tables know: A reaches usage 4.
    EXPECT_EQ(VirtualKeyToUsage(VirtualKeyFromKeyEvent(Qt::Key_A, {}, 0, 0)).code, 0x04);
    // With the X key code the key is named by its place, as the input hook names it: the key
    // that types "a" on a French keyboard sits where a US keyboard has Q.
    EXPECT_EQ(VirtualKeyFromKeyEvent(Qt::Key_A, {}, 16 + 8, 0), 0x51u);
    EXPECT_EQ(VirtualKeyFromKeyEvent(Qt::Key_Control, Qt::ControlModifier, 97 + 8, 0), 0xA3u);
    EXPECT_EQ(VirtualKeyFromKeyEvent(Qt::Key_Home, Qt::KeypadModifier, 71 + 8, 0), 0x67u);
    // A key code of no known place falls back to the key.
    EXPECT_EQ(VirtualKeyFromKeyEvent(Qt::Key_B, {}, 250, 0), 0x42u);
}

}  // namespace
