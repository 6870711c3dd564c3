// Our windows on a real X desktop: Xvfb at 1600x1200 with the program at 200 %, under openbox or
// (KARVO_TEST_NO_WM set) with no window manager. Keys come through XTEST, as from a keyboard:
// nobody clicks a window first, so a window that does not take the focus fails. The macro editor
// also records through the real Hook.so what the desktop is typed and clicked.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QTemporaryDir>

#include "app/macro/macro_editor.h"
#include "app/macro/select_macro_wnd.h"
#include "app/macro/shortcut_wnd.h"
#include "app/settings/dpi_color_wnd.h"
#include "app/settings/profile_name_wnd.h"
#include "app/shell/hook_library.h"
#include "app/shell/main_wnd.h"
#include "app/shell/msg_wnd.h"
#include "core/macro/macro_record.h"
#include "device/profile_session.h"
#include "support/ui_test_support.h"
#include "support/wait.h"
#include "support/xvfb_server.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
// Last: Xlib's macros (Always, None, Status, ...) would clash with names in the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

extern char** environ;

namespace {

// The desktop, up before the tests' main builds the application on it. A window mapped while
// openbox still starts up gets no focus: the tests begin once openbox runs its start-up command.
struct Desktop {
    Desktop()
    {
        if (!xvfb.Start(true, "1600x1200x24") || !(x = XOpenDisplay(xvfb.Display().c_str())))
            return;
        setenv("QT_QPA_PLATFORM", "xcb", 1), setenv("QT_SCALE_FACTOR", "2", 1);
        const std::string started = started_dir.filePath(QStringLiteral("started")).toStdString(), command = "touch " + started;
        const char* argv[] = {"openbox", "--sm-disable", "--startup", command.c_str(), nullptr};
        if (getenv("KARVO_TEST_NO_WM") || posix_spawnp(&wm, "openbox", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
            return;
        for (const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
             !(managed = access(started.c_str(), F_OK) == 0) && std::chrono::steady_clock::now() < deadline;)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ~Desktop() { wm > 0 && (kill(wm, SIGTERM), waitpid(wm, nullptr, 0)), x && XCloseDisplay(x); }
    XvfbServer xvfb;
    QTemporaryDir started_dir;
    Display* x = nullptr;
    pid_t wm = 0;
    bool managed = false;
} g_desktop;

void Key(KeySym symbol, bool shift = false, bool press = true, bool release = true)
{
    const KeyCode code = XKeysymToKeycode(g_desktop.x, symbol), shiftCode = XKeysymToKeycode(g_desktop.x, XK_Shift_L);
    if (shift) XTestFakeKeyEvent(g_desktop.x, shiftCode, True, CurrentTime);
    if (press) XTestFakeKeyEvent(g_desktop.x, code, True, CurrentTime);
    if (release) XTestFakeKeyEvent(g_desktop.x, code, False, CurrentTime);
    if (shift) XTestFakeKeyEvent(g_desktop.x, shiftCode, False, CurrentTime);
    XSync(g_desktop.x, False);
}
void Type(const char* text) { for (; *text; ++text) Key(XStringToKeysym(std::string(1, char(tolower(*text))).c_str()), isupper(*text)); }
template <typename T = QWidget>
T* Find(WindowImplBase& w, const char* name) { return w.PaintManager().FindControl<T>(QLatin1String(name)); }
// The window holds the keyboard focus (the X server's and Qt's), in the control named.
bool HasFocus(WindowImplBase& w, const char* control)
{
    const auto xFocus = [] { Window focus; int revert; return XGetInputFocus(g_desktop.x, &focus, &revert), focus; };
    return WaitFor([&] { return w.IsWindow() && w.GetHWND()->isActiveWindow() && Find(w, control)->hasFocus() && xFocus() == Window(w.GetHWND()->winId()); });
}
bool Closed(WindowImplBase& w) { return WaitFor([&] { return !w.IsWindow(); }); }
int RunModalWindow(WindowImplBase& w)
{
    return w.Create(nullptr, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow) ? (w.CenterWindow(), w.ShowModal()) : -1;
}

class ModalWindows : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(g_desktop.x && (g_desktop.managed || getenv("KARVO_TEST_NO_WM"))); }
};

// Enter on an empty name brings the warning, which takes every key until Enter closes it; the name
// typed then is the profile's.
TEST_F(ModalWindows, TheNameDialogAndItsWarningTakeTheKeysInTurn)
{
    ModalScript script;
    script.Then([&](WindowImplBase& d) {
        ASSERT_TRUE(HasFocus(d, "edit_name"));
        Key(XK_Return);
        ASSERT_TRUE(WaitFor([&] { return script.shown.size() == 2; }) && HasFocus(d, "edit_name"));
        Type("Zz"), Key(XK_Return);
        EXPECT_TRUE(Closed(d));
    });
    script.Then([](WindowImplBase& box) {
        ASSERT_TRUE(HasFocus(box, "btn_ok"));
        Type("x"), Key(XK_Return);  // the "x" reaches no window underneath
        EXPECT_TRUE(Closed(box));
    });
    EXPECT_EQ(RunProfileNameDialog(nullptr, QStringLiteral("profile_name_1_text"), {}), QStringLiteral("Zz"));
}

// A question offers Cancel, a notice OK alone; either answers Enter and Escape, and a long text
// is shown whole.
TEST_F(ModalWindows, MessageBoxesAnswerEnterAndEscape)
{
    const struct { const char* text; KeySym key; int result; bool asks; } kRows[] = {
        {"delete_profile_text", XK_Return, 1, true}, {"delete_profile_text", XK_Escape, 0, true},
        {"device_access_text", XK_Return, 1, false}, {"no_device_text", XK_Escape, 0, false}};
    for (const auto& row : kRows) {
        SCOPED_TRACE(row.text);
        ScopedModalDriver driver([&row](WindowImplBase& box) {
            ASSERT_TRUE(HasFocus(box, "btn_ok"));
            auto* text = Find<QLabel>(box, "warning");
            EXPECT_EQ(std::tuple(Find(box, "btn_cancel")->isVisible(), text->height() >= text->heightForWidth(text->width())), std::tuple(row.asks, true));
            Key(row.key);
            EXPECT_TRUE(Closed(box));
        });
        EXPECT_EQ(ShowMessageBox(nullptr, QStringLiteral("warning_title_text"), QLatin1String(row.text)), row.result);
    }
}

TEST_F(ModalWindows, TheColourDialogTakesATypedValue)
{
    for (const auto& [key, stored] : {std::pair{XK_Return, 0x003322C8u}, std::pair{XK_Escape, 0x00332211u}}) {
        ScopedModalDriver driver([key = key](WindowImplBase& d) {
            ASSERT_TRUE(HasFocus(d, "r_edit"));
            Type("200"), Key(key);
            EXPECT_TRUE(Closed(d));
        });
        std::uint32_t color = 0x00332211;
        EXPECT_EQ(RunDpiColorDialog(nullptr, nullptr, color), key == XK_Return);
        EXPECT_EQ(color, stored);
    }
}

// The list has the focus and a current row, but nothing is chosen until the user selects.
TEST_F(ModalWindows, SelectMacroBindsOnlyAChosenMacro)
{
    for (const auto& [key, result, index] : {std::tuple{XK_Return, 1, 1}, std::tuple{XK_Escape, 0, 1}}) {
        CMS_1_SelectMacro dialog;
        dialog.SetMacroNames({QStringLiteral("Reload"), QStringLiteral("Combo")});
        ScopedModalDriver driver([key = key](WindowImplBase& d) {
            ASSERT_TRUE(HasFocus(d, "list_macro"));
            Key(XK_Return), Key(XK_Down);  // Enter without a choice does nothing
            ASSERT_TRUE(WaitFor([&] { return Find<QListWidget>(d, "list_macro")->selectedItems().size() == 1; }));
            EXPECT_TRUE(d.IsWindow());
            Key(key);
            EXPECT_TRUE(Closed(d));
        });
        EXPECT_EQ(RunModalWindow(dialog), result);
        EXPECT_EQ(dialog.SelectedIndex(), index);
    }
}

// The key field listens from the start (Escape and Enter are keys there); Tab leads on.
TEST_F(ModalWindows, TheShortcutDialogTakesAKey)
{
    const struct { std::vector<KeySym> keys; int result; } kRows[] = {{{XK_Tab, XK_Tab, XK_Return}, 1}, {{XK_Tab, XK_Escape}, 0}};
    for (const auto& row : kRows) {
        CShortcutWnd dialog;
        ScopedModalDriver driver([&row](WindowImplBase& d) {
            ASSERT_TRUE(HasFocus(d, "edit_key"));
            for (const auto& [key, usage] : {std::pair{XK_Escape, 0x29}, std::pair{XK_a, 0x04}}) {
                Key(key);
                ASSERT_TRUE(WaitFor([&d, usage = usage] { return static_cast<CShortcutWnd&>(d).Key() == usage; }));
            }
            for (KeySym key : row.keys) Key(key);
            EXPECT_TRUE(Closed(d));
        });
        EXPECT_EQ(RunModalWindow(dialog), row.result);
        EXPECT_EQ(dialog.Key(), 0x04);
    }
}

// However the editor closes, the rename typed into its field is kept.
TEST_F(ModalWindows, ClosingTheMacroEditorKeepsATypedRename)
{
    for (const char* way : {"Escape", "Return, Escape", "WM_DELETE_WINDOW"}) {
        SCOPED_TRACE(way);
        QTemporaryDir data;
        ProfileSession session(data.path() + QLatin1Char('/'));
        session.Locked([](ProfileSession::State& s) { s.macros.push_back(CreateMacro(QStringLiteral("Reload"))); });
        ScopedModalDriver driver([way](WindowImplBase& d) {
            ASSERT_TRUE(HasFocus(d, "ms_1_macro_add_btn"));
            Find<QListWidget>(d, "ms_1_macro_list")->setCurrentRow(0);
            Find(d, "ms_1_macro_name_edit")->setFocus();
            ASSERT_TRUE(HasFocus(d, "ms_1_macro_name_edit"));
            Type("X");
            const QLatin1String how(way);
            if (how.startsWith(QLatin1String("Return"))) Key(XK_Return);
            if (how.endsWith(QLatin1String("Escape"))) Key(XK_Escape);
            XEvent close{};  // as a window manager asks a window to close
            close.xclient = {ClientMessage, 0, True, g_desktop.x, Window(d.GetHWND()->winId()), XInternAtom(g_desktop.x, "WM_PROTOCOLS", False), 32, {}};
            close.xclient.data.l[0] = long(XInternAtom(g_desktop.x, "WM_DELETE_WINDOW", False));
            if (how.startsWith(QLatin1String("WM"))) XSendEvent(g_desktop.x, close.xclient.window, False, NoEventMask, &close), XSync(g_desktop.x, False);
            EXPECT_TRUE(Closed(d));
        });
        RunMacroEditor(nullptr, session, [] {}, nullptr);
        EXPECT_EQ(session.Locked([](ProfileSession::State& s) { return MacroName(*s.macros.at(0)); }), QStringLiteral("ReloadX"));
    }
}

TEST_F(ModalWindows, TheMainWindowOpensInsideTheScreenAt200Percent)
{
    CMainWnd window;
    ASSERT_TRUE(window.Create(nullptr, CMainWnd::kStyle, 0, {0, 0, 800, 572}));
    ProcessPending();  // no mouse: the window withdraws; it is brought back as from the tray
    window.CenterWindow(), window.BringToFront();
    const QRect screen = window.GetHWND()->screen()->availableGeometry();
    EXPECT_TRUE(WaitFor([&] { return window.GetHWND()->isActiveWindow() && screen.contains(window.GetHWND()->frameGeometry()); }));
    window.Page().ShutdownDevice();
}

struct ManualClock final : RecordingClock {
    std::uint64_t NowMs() const override { return now; }
    std::uint64_t now = 5'000;
};

TEST_F(ModalWindows, RecordingTakesDesktopKeysAndButtonsWithTheirDelays)
{
    HookLibrary hooks;
    hooks.Load(QStringLiteral(KARVO_BIN_DIR "/"));
    ASSERT_FALSE(hooks.Table().IsEmpty()) << "Hook.so did not load";
    QTemporaryDir data;
    ProfileSession session(data.path() + QLatin1Char('/'));
    session.Locked([](ProfileSession::State& state) { state.macros.push_back(CreateMacro(QStringLiteral("Live"))); });
    ManualClock clock;
    CMS_1_Macro editor(session, [] {}, &hooks.Table(), &clock);
    ASSERT_TRUE(editor.Create(nullptr, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow));
    ProcessPending();
    EXPECT_TRUE(editor.CaptureIsGlobal());
    Find<QListWidget>(editor, "ms_1_macro_list")->setCurrentRow(0);
    ClickControl(editor, QStringLiteral("ms_1_record_delay_btn"));
    Find<QCheckBox>(editor, "ms_1_macro_record_btn")->click();
    ASSERT_TRUE(editor.Recorder().IsRecording());
    const struct { unsigned what; bool press; int code, kind, delayMs; } kInputs[] = {  // a key symbol, or button 3 (right)
        {XK_a, true, 0x04, 1, 150}, {XK_a, false, 0x04, 2, 40}, {XK_b, true, 0x05, 1, 90},
        {XK_b, false, 0x05, 2, 300}, {3, true, 242, 1, 60}, {3, false, 242, 2, 70},  // the clock moves by the delay after each
        {XK_less, true, 0x64, 1, 20}, {XK_less, false, 0x64, 2, 10}};  // the ISO key beside left Shift
    constexpr int kCount = int(std::size(kInputs));
    for (int i = 0; i < kCount; ++i) {
        const auto& in = kInputs[i];
        in.what == 3 ? void(XTestFakeButtonEvent(g_desktop.x, 3, in.press, CurrentTime)) : Key(in.what, false, in.press, !in.press);
        XSync(g_desktop.x, False);
        ASSERT_TRUE(WaitFor([&] { return editor.Actions().count > i; }));
        clock.now += in.delayMs;
    }
    Find<QCheckBox>(editor, "ms_1_macro_record_btn")->click();
    const auto stored = [&] { return session.Locked([](ProfileSession::State& state) { return *state.macros.at(0); }); };
    const MacroRecord macro = stored();
    ASSERT_EQ(macro.action_count, kCount);
    for (int i = 0; i < kCount; ++i)
        EXPECT_EQ(std::tuple(int(macro.actions[i].key_code), int(macro.actions[i].kind), int(macro.actions[i].delay_ms)),
                  std::tuple(kInputs[i].code, kInputs[i].kind, kInputs[i].delayMs)) << i;
    Key(XK_c);  // stopped: the desktop's keys no longer reach the macro
    EXPECT_FALSE(WaitFor([&] { return editor.Actions().count > kCount; }, 500));
    EXPECT_EQ(stored().action_count, kCount);
}

}  // namespace
