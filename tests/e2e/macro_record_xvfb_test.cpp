// Recording in the macro editor from real desktop input: Hook.so watches a private Xvfb, keys and
// buttons are injected with XTEST, and the macro records them with the delays of a hand-moved clock.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

#include "app/macro/macro_editor.h"
#include "app/shell/hook_library.h"
#include "core/macro/macro_record.h"
#include "device/profile_session.h"
#include "support/ui_test_support.h"
#include "support/xvfb_server.h"

// Last: Xlib defines names (None, Status) that the program's headers use.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

class ManualClock final : public RecordingClock {
public:
    std::uint64_t NowMs() const override { return now; }
    std::uint64_t now = 5'000;
};

class MacroRecordOnX11 : public ::testing::Test {
protected:
    void SetUp() override
    {
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("XDG_SESSION_TYPE");
        if (!xvfb.Start())
            GTEST_SKIP() << "Xvfb is not available";
        setenv("DISPLAY", xvfb.Display().c_str(), 1);
        injector = XOpenDisplay(xvfb.Display().c_str());
        ASSERT_TRUE(injector);
        ASSERT_TRUE(hooks.Load(QStringLiteral(KARVO_BIN_DIR "/")));
        ASSERT_TRUE(dataDir.isValid());
        session = std::make_unique<ProfileSession>(dataDir.path() + QLatin1Char('/'));
        session->Locked([](ProfileSession::State& state) { state.macros.push_back(CreateMacro(QStringLiteral("Live"))); });
        editor = std::make_unique<CMS_1_Macro>(*session, [] {}, &hooks.Table(), &clock);
        ASSERT_TRUE(editor->Create(nullptr, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow));
        ProcessPending();
    }

    void TearDown() override
    {
        editor.reset();
        hooks.Free();
        if (injector)
            XCloseDisplay(injector);
    }

    void Key(KeySym symbol, bool press)
    {
        XTestFakeKeyEvent(injector, XKeysymToKeycode(injector, symbol), press ? True : False, CurrentTime);
        XSync(injector, False);
    }
    void Button(unsigned button, bool press)
    {
        XTestFakeButtonEvent(injector, button, press ? True : False, CurrentTime);
        XSync(injector, False);
    }

    // Waits (bounded) until the editor holds count actions.
    bool WaitForActions(int count, int boundMs = 5000)
    {
        QElapsedTimer waited;
        waited.start();
        while (editor->Actions().count < count && waited.elapsed() < boundMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return editor->Actions().count >= count;
    }

    MacroRecord Stored()
    {
        return session->Locked([](ProfileSession::State& state) { return *state.macros.at(0); });
    }

    XvfbServer xvfb;
    Display* injector = nullptr;
    HookLibrary hooks;
    QTemporaryDir dataDir;
    std::unique_ptr<ProfileSession> session;
    ManualClock clock;
    std::unique_ptr<CMS_1_Macro> editor;
};

TEST_F(MacroRecordOnX11, KeysAndButtonsFromTheDesktopBecomeActionsWithTheirDelays)
{
    EXPECT_TRUE(editor->CaptureIsGlobal());
    editor->PaintManager().FindControl<QListWidget>(QStringLiteral("ms_1_macro_list"))->setCurrentRow(0);
    ClickControl(*editor, QStringLiteral("ms_1_record_delay_btn"));
    editor->PaintManager().FindControl<QCheckBox>(QStringLiteral("ms_1_macro_record_btn"))->click();
    ASSERT_TRUE(editor->Recorder().IsRecording());

    Key(XK_a, true);
    ASSERT_TRUE(WaitForActions(1));
    clock.now += 150;
    Key(XK_a, false);
    ASSERT_TRUE(WaitForActions(2));
    clock.now += 40;
    Key(XK_b, true);
    ASSERT_TRUE(WaitForActions(3));
    clock.now += 90;
    Key(XK_b, false);
    ASSERT_TRUE(WaitForActions(4));
    clock.now += 300;
    Button(3, true);  // right button
    ASSERT_TRUE(WaitForActions(5));
    clock.now += 60;
    Button(3, false);
    ASSERT_TRUE(WaitForActions(6));

    editor->PaintManager().FindControl<QCheckBox>(QStringLiteral("ms_1_macro_record_btn"))->click();
    ASSERT_FALSE(editor->Recorder().IsRecording());
    const MacroRecord macro = Stored();
    ASSERT_EQ(macro.action_count, 6);
    const int codes[] = {0x04, 0x04, 0x05, 0x05, 242, 242};
    const int delays[] = {150, 40, 90, 300, 60, 10};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(macro.actions[i].key_code, codes[i]) << i;
        EXPECT_EQ(macro.actions[i].kind, i % 2 ? 2 : 1) << i;
        EXPECT_EQ(macro.actions[i].delay_ms, delays[i]) << i;
    }

    // Stopped: the desktop's keys no longer reach the macro.
    Key(XK_c, true);
    Key(XK_c, false);
    EXPECT_FALSE(WaitForActions(7, 500));
    EXPECT_EQ(Stored().action_count, 6);
}

}  // namespace
