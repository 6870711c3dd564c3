// The key-combination dialog with the real input hook: the test starts its own X server, lets
// Hook.so watch it and types there with XTEST, as a user would on the desktop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <cstdlib>
#include <functional>
#include <memory>

#include "app/macro/shortcut_wnd.h"
#include "app/shell/hook_library.h"
#include "app/shell/msg_wnd.h"
#include "support/ui_test_support.h"
#include "support/xvfb_server.h"

// Last: Xlib's macros (Always, None, ...) would clash with names in the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

class ShortcutWithHook : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("XDG_SESSION_TYPE");
        s_xvfb = std::make_unique<XvfbServer>();
        if (!s_xvfb->Start())
            return;
        setenv("DISPLAY", s_xvfb->Display().c_str(), 1);
        s_injector = XOpenDisplay(s_xvfb->Display().c_str());
        s_library = std::make_unique<HookLibrary>();
        s_library->Load(QStringLiteral(KARVO_BIN_DIR "/"));
    }

    static void TearDownTestSuite()
    {
        s_library.reset();
        if (s_injector)
            XCloseDisplay(s_injector);
        s_injector = nullptr;
        s_xvfb.reset();
    }

    void SetUp() override
    {
        ASSERT_FALSE(s_xvfb->Display().empty()) << "Xvfb did not start";
        ASSERT_TRUE(s_injector);
        ASSERT_FALSE(s_library->Table().IsEmpty()) << "Hook.so did not load";
        ASSERT_TRUE(owner.Create(nullptr, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow));
        ProcessPending();
    }

    void TearDown() override
    {
        owner.DestroyWindow();
        ProcessPending();
    }

    static void Key(KeySym symbol, bool press)
    {
        XTestFakeKeyEvent(s_injector, XKeysymToKeycode(s_injector, symbol), press ? True : False, CurrentTime);
        XSync(s_injector, False);
    }

    static void Tap(KeySym symbol)
    {
        Key(symbol, true);
        Key(symbol, false);
    }

    // The hook posts from its own thread; the dialog sees the key once its messages are handled.
    static bool WaitForKey(CShortcutWnd& dialog, std::uint8_t usage, int boundMs = 5000)
    {
        QElapsedTimer elapsed;
        elapsed.start();
        while (dialog.Key() != usage && elapsed.elapsed() < boundMs)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        return dialog.Key() == usage;
    }

    static void FocusKeyField(CShortcutWnd& dialog)
    {
        auto* edit = dialog.PaintManager().FindControl<QLineEdit>(QStringLiteral("edit_key"));
        edit->window()->activateWindow();
        QApplication::processEvents();
        edit->setFocus();
        QApplication::processEvents();
    }

    int Run(CShortcutWnd& dialog, const std::function<void(CShortcutWnd&)>& script)
    {
        ScopedModalDriver driver([&](WindowImplBase& window) { script(static_cast<CShortcutWnd&>(window)); });
        dialog.SetHookTable(&s_library->Table());
        if (!dialog.Create(&owner, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow))
            return -1;
        return dialog.ShowModal();
    }

    CMsgWnd owner{QStringLiteral("warning_title_text"), QStringLiteral("no_device_text")};

    static inline std::unique_ptr<XvfbServer> s_xvfb;
    static inline Display* s_injector = nullptr;
    static inline std::unique_ptr<HookLibrary> s_library;
};

TEST_F(ShortcutWithHook, KeysTypedOnTheDesktopAreCapturedWhileTheFieldHasTheFocus)
{
    CShortcutWnd dialog;
    EXPECT_EQ(Run(dialog,
                  [](CShortcutWnd& d) {
                      FocusKeyField(d);
                      EXPECT_FALSE(d.CapturesLocally());
                      Tap(XK_a);
                      EXPECT_TRUE(WaitForKey(d, 0x04));
                      // Escape is a key to capture here, not a way out.
                      Tap(XK_Escape);
                      EXPECT_TRUE(WaitForKey(d, 0x29));
                      EXPECT_TRUE(d.IsWindow());
                      Tap(XK_F7);
                      EXPECT_TRUE(WaitForKey(d, 0x40));
                      ClickControl(d, QStringLiteral("check_flag_3"));
                      ClickControl(d, QStringLiteral("btn_ok"));
                  }),
              1);
    EXPECT_EQ(dialog.Key(), 0x40);
    EXPECT_EQ(dialog.Modifiers(), 4);
}

TEST_F(ShortcutWithHook, NothingIsCapturedOnceTheFieldLostTheFocus)
{
    CShortcutWnd dialog;
    dialog.SetKey(0x04);
    EXPECT_EQ(Run(dialog,
                  [](CShortcutWnd& d) {
                      FocusKeyField(d);
                      d.PaintManager().FindControl(QStringLiteral("check_flag_1"))->setFocus();
                      QApplication::processEvents();
                      Tap(XK_b);
                      // What the hook would have posted arrives well within this.
                      EXPECT_FALSE(WaitForKey(d, 0x05, 500));
                      ClickControl(d, QStringLiteral("btn_ok"));
                  }),
              1);
    EXPECT_EQ(dialog.Key(), 0x04);
}

}  // namespace
