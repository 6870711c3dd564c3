// Hook.so against a real X server: the test starts its own Xvfb, injects key and button events
// with XTEST and checks what the library posts.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <dlfcn.h>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include "karvo_hook.h"
#include "support/xvfb_server.h"

namespace {

using namespace std::chrono_literals;

struct Message {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    bool operator==(const Message&) const = default;
};

void PrintTo(const Message& m, std::ostream* os)
{
    *os << "{" << m.message << ", 0x" << std::hex << m.wParam << std::dec << ", " << m.lParam << "}";
}

// Stands in for a window: keeps what was posted, from whatever thread.
class Recorder {
public:
    KarvoPostTarget Target() { return {this, &Recorder::Post}; }

    // The messages once at least count have arrived, or what arrived within the bound.
    std::vector<Message> WaitFor(std::size_t count)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, 5s, [&] { return m_messages.size() >= count; });
        return m_messages;
    }

    void Clear()
    {
        std::lock_guard lock(m_mutex);
        m_messages.clear();
    }

private:
    static void Post(void* context, uint32_t message, uintptr_t wParam, intptr_t lParam)
    {
        auto* self = static_cast<Recorder*>(context);
        std::lock_guard lock(self->m_mutex);
        self->m_messages.push_back({message, wParam, lParam});
        self->m_changed.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Message> m_messages;
};

struct HookEntries {
    Karvo_installmousehook installmousehook = nullptr;
    Karvo_removemousehook removemousehook = nullptr;
    Karvo_enablemousehook enablemousehook = nullptr;
    Karvo_installhook installhook = nullptr;
    Karvo_removehook removehook = nullptr;
    Karvo_enablehook enablehook = nullptr;
    Karvo_mousewheelenable mousewheelenable = nullptr;
};

constexpr uint32_t kHookInput = 1034;
constexpr uint32_t kVirtualKeyA = 0x41;
constexpr uint32_t kVirtualKeyB = 0x42;

class HookUnderXvfb : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("XDG_SESSION_TYPE");
        s_xvfb = std::make_unique<XvfbServer>();
        if (!s_xvfb->Start())
            return;
        s_display = s_xvfb->Display();
        setenv("DISPLAY", s_display.c_str(), 1);
        s_library = dlopen(KARVO_BIN_DIR "/Hook.so", RTLD_NOW | RTLD_LOCAL);
        if (!s_library)
            return;
        s_hook.installmousehook = Resolve<Karvo_installmousehook>("installmousehook");
        s_hook.removemousehook = Resolve<Karvo_removemousehook>("removemousehook");
        s_hook.enablemousehook = Resolve<Karvo_enablemousehook>("enablemousehook");
        s_hook.installhook = Resolve<Karvo_installhook>("installhook");
        s_hook.removehook = Resolve<Karvo_removehook>("removehook");
        s_hook.enablehook = Resolve<Karvo_enablehook>("enablehook");
        s_hook.mousewheelenable = Resolve<Karvo_mousewheelenable>("mousewheelenable");
        s_injector = XOpenDisplay(s_display.c_str());
    }

    static void TearDownTestSuite()
    {
        if (s_library) {
            if (s_hook.removehook)
                s_hook.removehook();
            dlclose(s_library);
            s_library = nullptr;
        }
        if (s_injector) {
            XCloseDisplay(s_injector);
            s_injector = nullptr;
        }
        s_xvfb.reset();
    }

    void SetUp() override
    {
        ASSERT_FALSE(s_display.empty()) << "Xvfb did not start";
        ASSERT_NE(s_library, nullptr) << dlerror();
        ASSERT_TRUE(s_hook.installmousehook && s_hook.removemousehook && s_hook.enablemousehook && s_hook.installhook
                    && s_hook.removehook && s_hook.enablehook && s_hook.mousewheelenable);
        ASSERT_NE(s_injector, nullptr);
    }

    void TearDown() override
    {
        s_hook.removemousehook();
        s_hook.removehook();
    }

    // What the macro editor does when recording starts; the mouse hook follows the pointer.
    void StartRecording(Recorder& recorder, bool buttons)
    {
        const KarvoPostTarget target = recorder.Target();
        ASSERT_EQ(s_hook.installhook(&target), 1);
        s_hook.enablehook(1);
        s_hook.mousewheelenable(0);
        if (buttons)
            s_hook.enablemousehook(1);
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

    static void Button(unsigned button, bool press)
    {
        XTestFakeButtonEvent(s_injector, button, press ? True : False, CurrentTime);
        XSync(s_injector, False);
    }

    static Message KeyDown(uint32_t virtualKey) { return {kHookInput, virtualKey, 0}; }
    static Message KeyUp(uint32_t virtualKey) { return {kHookInput, virtualKey, 1}; }

    static HookEntries s_hook;

private:
    template <typename Function>
    static Function Resolve(const char* name)
    {
        return reinterpret_cast<Function>(dlsym(s_library, name));
    }

    static inline std::string s_display;
    static inline std::unique_ptr<XvfbServer> s_xvfb;
    static inline void* s_library = nullptr;
    static inline Display* s_injector = nullptr;
};

HookEntries HookUnderXvfb::s_hook;

TEST_F(HookUnderXvfb, RemovingWhatWasNeverInstalledIsHarmless)
{
    s_hook.removemousehook();
    s_hook.removehook();
    s_hook.enablehook(0);
    s_hook.enablemousehook(0);
    s_hook.installmousehook();
}

TEST_F(HookUnderXvfb, KeyPressAndReleasePostTheVirtualKey)
{
    Recorder recorder;
    StartRecording(recorder, false);
    Tap(XK_a);
    EXPECT_EQ(recorder.WaitFor(2), (std::vector<Message>{KeyDown(kVirtualKeyA), KeyUp(kVirtualKeyA)}));
}

TEST_F(HookUnderXvfb, KeysArePostedByPlace)
{
    Recorder recorder;
    StartRecording(recorder, false);
    // Left Shift, the key left of W, Escape, F12, keypad Enter and right Ctrl.
    for (KeySym symbol : {XK_Shift_L, XK_q, XK_Escape, XK_F12, XK_KP_Enter, XK_Control_R})
        Tap(symbol);
    const std::vector<Message> messages = recorder.WaitFor(12);
    std::vector<uintptr_t> pressed;
    for (const Message& m : messages) {
        if (m.lParam == 0)
            pressed.push_back(m.wParam);
    }
    EXPECT_EQ(pressed, (std::vector<uintptr_t>{0xA0, 0x51, 0x1B, 0x7B, 0x6C, 0xA3}));
    EXPECT_EQ(messages.size(), 12u);
}

TEST_F(HookUnderXvfb, ButtonsArePostedWhileTheMouseHookIsEnabled)
{
    Recorder recorder;
    StartRecording(recorder, true);
    Button(1, true);
    Button(1, false);
    Button(3, true);
    Button(3, false);
    Button(2, true);
    Button(2, false);
    Button(8, true);
    Button(8, false);
    Button(9, true);
    Button(9, false);
    // Wheel steps are not posted.
    Button(4, true);
    Button(4, false);
    Tap(XK_b);
    const std::vector<Message> expected = {
        {kHookInput, 513, 0}, {kHookInput, 514, 0}, {kHookInput, 516, 0}, {kHookInput, 517, 0},
        {kHookInput, 519, 0}, {kHookInput, 520, 0}, {kHookInput, 523, 2}, {kHookInput, 524, 2},
        {kHookInput, 523, 1}, {kHookInput, 524, 1}, KeyDown(kVirtualKeyB), KeyUp(kVirtualKeyB)};
    EXPECT_EQ(recorder.WaitFor(expected.size()), expected);
}

// Each check below ends with a key tapped while capture is on: it arrives after anything the
// library wrongly captured before it, so nothing else arriving first shows nothing was captured.
TEST_F(HookUnderXvfb, ButtonsAreNotPostedWithoutTheMouseHook)
{
    Recorder recorder;
    StartRecording(recorder, false);
    Button(1, true);
    Button(1, false);
    s_hook.enablemousehook(1);
    s_hook.enablemousehook(0);
    Button(8, true);
    Button(8, false);
    Tap(XK_b);
    EXPECT_EQ(recorder.WaitFor(2), (std::vector<Message>{KeyDown(kVirtualKeyB), KeyUp(kVirtualKeyB)}));
}

TEST_F(HookUnderXvfb, NothingArrivesWhileDisabled)
{
    Recorder recorder;
    StartRecording(recorder, true);
    s_hook.enablehook(0);
    Tap(XK_a);
    Button(1, true);
    Button(1, false);
    s_hook.enablehook(1);
    Tap(XK_b);
    EXPECT_EQ(recorder.WaitFor(2), (std::vector<Message>{KeyDown(kVirtualKeyB), KeyUp(kVirtualKeyB)}));
}

TEST_F(HookUnderXvfb, NothingArrivesAfterRemovalAndTheNextInstallStartsClean)
{
    Recorder first;
    StartRecording(first, true);
    s_hook.removehook();
    Tap(XK_a);
    Button(1, true);
    Button(1, false);
    Recorder second;
    StartRecording(second, false);
    Tap(XK_b);
    EXPECT_EQ(second.WaitFor(2), (std::vector<Message>{KeyDown(kVirtualKeyB), KeyUp(kVirtualKeyB)}));
    EXPECT_TRUE(first.WaitFor(0).empty());
}

TEST_F(HookUnderXvfb, InstallingForAnotherTargetMovesTheEvents)
{
    Recorder first;
    Recorder second;
    StartRecording(first, false);
    const KarvoPostTarget target = second.Target();
    ASSERT_EQ(s_hook.installhook(&target), 1);
    Tap(XK_a);
    EXPECT_EQ(second.WaitFor(2), (std::vector<Message>{KeyDown(kVirtualKeyA), KeyUp(kVirtualKeyA)}));
    EXPECT_TRUE(first.WaitFor(0).empty());
}

TEST_F(HookUnderXvfb, WithoutAnXServerInstallReportsFailureAndPostsNothing)
{
    const std::string display = getenv("DISPLAY");
    unsetenv("DISPLAY");
    Recorder recorder;
    const KarvoPostTarget target = recorder.Target();
    EXPECT_EQ(s_hook.installhook(&target), 0);
    s_hook.enablehook(1);
    s_hook.enablemousehook(1);
    s_hook.removemousehook();
    s_hook.removehook();
    setenv("DISPLAY", display.c_str(), 1);
}

TEST_F(HookUnderXvfb, AWaylandSessionIsNoGlobalCapture)
{
    setenv("WAYLAND_DISPLAY", "wayland-0", 1);
    Recorder recorder;
    const KarvoPostTarget target = recorder.Target();
    EXPECT_EQ(s_hook.installhook(&target), 0);
    s_hook.enablehook(1);
    unsetenv("WAYLAND_DISPLAY");
    s_hook.removehook();

    // The same library captures again once the desktop offers it.
    StartRecording(recorder, false);
    Tap(XK_a);
    EXPECT_EQ(recorder.WaitFor(2), (std::vector<Message>{KeyDown(kVirtualKeyA), KeyUp(kVirtualKeyA)}));
}

}  // namespace
