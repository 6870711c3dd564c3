// The windows that listen to the whole desktop through the real Hook.so: the test starts its own
// X server and types and clicks there with XTEST, as a user would on the desktop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>

#include "app/macro/macro_editor.h"
#include "app/macro/shortcut_wnd.h"
#include "app/shell/hook_library.h"
#include "app/shell/msg_wnd.h"
#include "core/macro/macro_record.h"
#include "device/profile_session.h"
#include "support/ui_test_support.h"
#include "support/wait.h"
#include "support/xvfb_server.h"

// Last: Xlib's macros (Always, None, Status, ...) would clash with names in the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

// A private X server that Hook.so watches, for the whole test program.
class DesktopInput : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("XDG_SESSION_TYPE");
        if (s_xvfb.Start() && setenv("DISPLAY", s_xvfb.Display().c_str(), 1) == 0)
            s_injector = XOpenDisplay(s_xvfb.Display().c_str());
        s_hooks.Load(QStringLiteral(KARVO_BIN_DIR "/"));
    }
    void SetUp() override { ASSERT_TRUE(s_injector && !s_hooks.Table().IsEmpty()) << "Xvfb did not start or Hook.so did not load"; }
    // A key (by its symbol) or a mouse button, pressed or released.
    static void Send(bool key, unsigned what, bool press)
    {
        key ? XTestFakeKeyEvent(s_injector, XKeysymToKeycode(s_injector, what), press, CurrentTime)
            : XTestFakeButtonEvent(s_injector, what, press, CurrentTime);
        XSync(s_injector, False);
    }
    static void Tap(KeySym symbol)
    {
        Send(true, unsigned(symbol), true);
        Send(true, unsigned(symbol), false);
    }

    static inline XvfbServer s_xvfb;
    static inline Display* s_injector = nullptr;
    static inline HookLibrary s_hooks;
};

TEST_F(DesktopInput, TheKeyFieldCapturesDesktopKeysOnlyWhileItHasTheFocus)
{
    CMsgWnd owner{QStringLiteral("warning_title_text"), QStringLiteral("no_device_text")};
    ASSERT_TRUE(owner.Create(nullptr, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow));
    CShortcutWnd dialog;
    ScopedModalDriver driver([&](WindowImplBase&) {
        auto* edit = dialog.PaintManager().FindControl<QLineEdit>(QStringLiteral("edit_key"));
        edit->window()->activateWindow();
        QApplication::processEvents();
        edit->setFocus();
        QApplication::processEvents();
        EXPECT_FALSE(dialog.CapturesLocally());
        // Escape is a key to capture here, not a way out.
        for (auto [symbol, usage] : {std::pair{XK_a, 0x04}, {XK_Escape, 0x29}, {XK_F7, 0x40}}) {
            Tap(symbol);
            EXPECT_TRUE(WaitFor([&] { return dialog.Key() == usage; })) << usage;
        }
        EXPECT_TRUE(dialog.IsWindow());
        dialog.PaintManager().FindControl(QStringLiteral("check_flag_1"))->setFocus();
        QApplication::processEvents();
        Tap(XK_b);
        // What the hook would have posted arrives well within this.
        EXPECT_FALSE(WaitFor([&] { return dialog.Key() == 0x05; }, 500));
        ClickControl(dialog, QStringLiteral("check_flag_3"));
        ClickControl(dialog, QStringLiteral("btn_ok"));
    });
    dialog.SetHookTable(&s_hooks.Table());
    ASSERT_TRUE(dialog.Create(&owner, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow));
    EXPECT_EQ(dialog.ShowModal(), 1);
    EXPECT_EQ(dialog.Key(), 0x40);
    EXPECT_EQ(dialog.Modifiers(), 4);
}

class ManualClock final : public RecordingClock {
public:
    std::uint64_t NowMs() const override { return now; }
    std::uint64_t now = 5'000;
};

TEST_F(DesktopInput, RecordingTakesDesktopKeysAndButtonsWithTheirDelays)
{
    QTemporaryDir data;
    ProfileSession session(data.path() + QLatin1Char('/'));
    session.Locked([](ProfileSession::State& state) { state.macros.push_back(CreateMacro(QStringLiteral("Live"))); });
    ManualClock clock;
    CMS_1_Macro editor(session, [] {}, &s_hooks.Table(), &clock);
    ASSERT_TRUE(editor.Create(nullptr, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow));
    ProcessPending();
    EXPECT_TRUE(editor.CaptureIsGlobal());
    editor.PaintManager().FindControl<QListWidget>(QStringLiteral("ms_1_macro_list"))->setCurrentRow(0);
    ClickControl(editor, QStringLiteral("ms_1_record_delay_btn"));
    auto* record = editor.PaintManager().FindControl<QCheckBox>(QStringLiteral("ms_1_macro_record_btn"));
    record->click();
    ASSERT_TRUE(editor.Recorder().IsRecording());

    const struct {
        bool key;
        unsigned what;  // key symbol or button (3: right)
        bool press;
        int code, kind, delayMs;  // as recorded; the clock moves by the delay after each
    } inputs[] = {{true, XK_a, true, 0x04, 1, 150},  {true, XK_a, false, 0x04, 2, 40}, {true, XK_b, true, 0x05, 1, 90},
                  {true, XK_b, false, 0x05, 2, 300}, {false, 3, true, 242, 1, 60},     {false, 3, false, 242, 2, 10}};
    for (int i = 0; i < 6; ++i) {
        Send(inputs[i].key, inputs[i].what, inputs[i].press);
        ASSERT_TRUE(WaitFor([&] { return editor.Actions().count > i; }));
        clock.now += inputs[i].delayMs;
    }
    record->click();
    ASSERT_FALSE(editor.Recorder().IsRecording());
    const auto stored = [&] { return session.Locked([](ProfileSession::State& state) { return *state.macros.at(0); }); };
    const MacroRecord macro = stored();
    ASSERT_EQ(macro.action_count, 6);
    for (int i = 0; i < 6; ++i) {
        const auto& action = macro.actions[i];
        EXPECT_EQ(std::tuple(int(action.key_code), int(action.kind), int(action.delay_ms)),
                  std::tuple(inputs[i].code, inputs[i].kind, inputs[i].delayMs)) << i;
    }
    // Stopped: the desktop's keys no longer reach the macro.
    Tap(XK_c);
    EXPECT_FALSE(WaitFor([&] { return editor.Actions().count > 6; }, 500));
    EXPECT_EQ(stored().action_count, 6);
}

}  // namespace
