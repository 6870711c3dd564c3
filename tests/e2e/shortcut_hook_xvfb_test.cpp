// The macro editor listening to the whole desktop through the real Hook.so: the test starts its own
// X server and types and clicks there with XTEST, as a user would on the desktop.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QListWidget>
#include <QTemporaryDir>

#include "app/macro/macro_editor.h"
#include "app/shell/hook_library.h"
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

class ManualClock final : public RecordingClock {
public:
    std::uint64_t NowMs() const override { return now; }
    std::uint64_t now = 5'000;
};

// The key-combination dialog's use of the hook is its own test's, over a stand-in hook.
TEST(DesktopInput, RecordingTakesDesktopKeysAndButtonsWithTheirDelays) {
    XvfbServer xvfb;
    Display* injector = xvfb.Start(true) ? XOpenDisplay(xvfb.Display().c_str()) : nullptr;
    HookLibrary hooks;
    hooks.Load(QStringLiteral(KARVO_BIN_DIR "/"));
    ASSERT_TRUE(injector && !hooks.Table().IsEmpty()) << "Xvfb did not start or Hook.so did not load";
    const auto send = [&](bool key, unsigned what, bool press) {  // a key (by its symbol) or a mouse button
        key ? XTestFakeKeyEvent(injector, XKeysymToKeycode(injector, what), press, CurrentTime)
            : XTestFakeButtonEvent(injector, what, press, CurrentTime);
        XSync(injector, False);
    };
    QTemporaryDir data;
    ProfileSession session(data.path() + QLatin1Char('/'));
    session.Locked([](ProfileSession::State& state) { state.macros.push_back(CreateMacro(QStringLiteral("Live"))); });
    ManualClock clock;
    CMS_1_Macro editor(session, [] {}, &hooks.Table(), &clock);
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
                  {true, XK_b, false, 0x05, 2, 300}, {false, 3, true, 242, 1, 60},     {false, 3, false, 242, 2, 70},
                  {true, XK_less, true, 0x64, 1, 20}, {true, XK_less, false, 0x64, 2, 10}};  // the ISO key beside left Shift
    constexpr int kCount = int(std::size(inputs));
    for (int i = 0; i < kCount; ++i) {
        send(inputs[i].key, inputs[i].what, inputs[i].press);
        ASSERT_TRUE(WaitFor([&] { return editor.Actions().count > i; }));
        clock.now += inputs[i].delayMs;
    }
    record->click();
    ASSERT_FALSE(editor.Recorder().IsRecording());
    const auto stored = [&] { return session.Locked([](ProfileSession::State& state) { return *state.macros.at(0); }); };
    const MacroRecord macro = stored();
    ASSERT_EQ(macro.action_count, kCount);
    for (int i = 0; i < kCount; ++i) {
        const auto& action = macro.actions[i];
        EXPECT_EQ(std::tuple(int(action.key_code), int(action.kind), int(action.delay_ms)),
                  std::tuple(inputs[i].code, inputs[i].kind, inputs[i].delayMs)) << i;
    }
    // Stopped: the desktop's keys no longer reach the macro.
    send(true, XK_c, true), send(true, XK_c, false);
    EXPECT_FALSE(WaitFor([&] { return editor.Actions().count > kCount; }, 500));
    EXPECT_EQ(stored().action_count, kCount);
    XCloseDisplay(injector);
}

}  // namespace
