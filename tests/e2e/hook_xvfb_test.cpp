// Hook.so against a real X server: the test starts its own Xvfb, calls the library's entry points
// and injects key and button events with XTEST, and checks what the library posts.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <mutex>
#include <vector>

#include <QString>

#include "support/wait.h"

// Last: Xlib's macros (Bool, Status, ...) would clash with Qt's headers.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include "karvo_hook.h"
#include "support/xvfb_server.h"

namespace {

struct Message {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    bool operator==(const Message&) const = default;
};
void PrintTo(const Message& m, std::ostream* os) { *os << "{" << m.message << ", 0x" << std::hex << m.wParam << std::dec << ", " << m.lParam << "}"; }
using Messages = std::vector<Message>;

// Stands in for a window: keeps what was posted, from whatever thread.
struct Recorder {
    KarvoPostTarget Target() {
        return {this, [](void* self, uint32_t message, uintptr_t wParam, intptr_t lParam) {
                    auto* recorder = static_cast<Recorder*>(self);
                    std::lock_guard lock(recorder->mutex);
                    recorder->messages.push_back({message, wParam, lParam});
                }};
    }
    Messages Taken() { return std::lock_guard(mutex), messages; }
    std::mutex mutex;
    Messages messages;
};

constexpr uint32_t kHookInput = 1034;
Message Down(uintptr_t virtualKey) { return {kHookInput, virtualKey, 0}; }
Message Up(uintptr_t virtualKey) { return {kHookInput, virtualKey, 1}; }
Message Button(uintptr_t message, intptr_t side = 0) { return {kHookInput, message, side}; }
const Messages kB = {Down(0x42), Up(0x42)};

// Each script ends with a key tapped while capture is on: it arrives after anything wrongly
// posted before it, so its arrival bounds the wait.
const struct {
    const char* name;
    const char* steps;  // a key symbol's name taps it, a digit clicks that button, "|" taps B and waits
                        // for it (the capture thread judges events when it reads them); the rest are entry points
    Messages posted;  // to the target installed last; one installed before gets nothing
} kScripts[] = {
    // Left Shift, the key left of W, Escape, F12, keypad Enter and right Ctrl: keys are posted by place.
    {"KeysByPlace", "install enable Shift_L q Escape F12 KP_Enter Control_R a",
     {Down(0xA0), Up(0xA0), Down(0x51), Up(0x51), Down(0x1B), Up(0x1B), Down(0x7B), Up(0x7B), Down(0x6C), Up(0x6C),
      Down(0xA3), Up(0xA3), Down(0x41), Up(0x41)}},
    // Buttons only while the mouse hook is enabled; wheel steps (4) never. Back is side 2, forward 1.
    {"Buttons", "install enable 1 | mouse nomouse 8 | mouse 1 3 2 8 9 4 b",
     {kB[0], kB[1], kB[0], kB[1], Button(513), Button(514), Button(516), Button(517), Button(519), Button(520), Button(523, 2),
      Button(524, 2), Button(523, 1), Button(524, 1), kB[0], kB[1]}},
    {"NothingWhileDisabled", "install enable mouse disable a 1 enable b", kB},
    // Remove leaves nothing enabled: the next install posts nothing until it is enabled itself,
    // and then no buttons until the mouse hook is.
    {"NothingAfterRemoval", "install enable mouse remove a 1 install a 1 enable 1 b", kB},
    {"AnotherTargetTakesTheEvents", "install enable install b", kB},
    // Without an X server, or in a Wayland session (whose X server sees only X11 programs' input),
    // install reports no global capture and nothing else fails; the same library captures again
    // once the desktop offers it. Removing what was never installed is harmless.
    {"OnlyWithGlobalCapture", "removemouse remove disable installmouse nodisplay install enable mouse remove desktop "
                              "wayland install enable removemouse remove desktop install enable b", kB},
};

TEST(HookUnderXvfb, WhatIsPostedFollowsTheEntryPointsAndTheDesktop) {
    XvfbServer xvfb;
    ASSERT_TRUE(xvfb.Start(true)) << "Xvfb did not start";
    Display* injector = XOpenDisplay(xvfb.Display().c_str());
    ASSERT_TRUE(injector);
    void* library = dlopen(KARVO_BIN_DIR "/Hook.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_TRUE(library) << dlerror();
    Karvo_installhook install;
    Karvo_removehook remove, removeMouse, installMouse;  // the entry points that take nothing
    Karvo_enablehook enable, enableMouse, wheel;         // and those that take a switch
    const auto entry = [&]<typename F>(F& to, const char* n) { return (to = reinterpret_cast<F>(dlsym(library, n))); };
    ASSERT_TRUE(entry(install, "installhook") && entry(remove, "removehook") && entry(removeMouse, "removemousehook")
                && entry(installMouse, "installmousehook") && entry(enable, "enablehook")
                && entry(enableMouse, "enablemousehook") && entry(wheel, "mousewheelenable"));

    for (const auto& script : kScripts) {
        SCOPED_TRACE(script.name);
        Recorder recorders[2];
        int installs = 0;
        bool desktop = true;
        for (const QString& step : QString::fromLatin1(script.steps).split(u' ')) {
            const KarvoPostTarget target = recorders[installs % 2].Target();
            if (step == QLatin1String("install")) {
                ASSERT_EQ(install(&target), desktop ? 1 : 0);
                wheel(0);  // as the macro editor does
                installs += desktop;
            } else if (step == QLatin1String("enable") || step == QLatin1String("disable")) {
                enable(step == QLatin1String("enable"));
            } else if (step == QLatin1String("mouse") || step == QLatin1String("nomouse")) {
                enableMouse(step == QLatin1String("mouse"));
            } else if (step == QLatin1String("remove")) {
                remove();
            } else if (step == QLatin1String("removemouse")) {
                removeMouse();
            } else if (step == QLatin1String("installmouse")) {
                installMouse();
            } else if (step == QLatin1String("nodisplay") || step == QLatin1String("wayland")) {
                desktop = false;
                step == QLatin1String("wayland") ? setenv("WAYLAND_DISPLAY", "wayland-0", 1) : unsetenv("DISPLAY");
            } else if (step == QLatin1String("desktop")) {
                desktop = true;
                setenv("DISPLAY", xvfb.Display().c_str(), 1);
                unsetenv("WAYLAND_DISPLAY");
            } else if (step == QLatin1String("|")) {
                const std::size_t before = recorders[(installs + 1) % 2].Taken().size();
                for (Bool press : {True, False})
                    XTestFakeKeyEvent(injector, XKeysymToKeycode(injector, XStringToKeysym("b")), press, CurrentTime);
                XSync(injector, False);
                ASSERT_TRUE(WaitFor([&] { return recorders[(installs + 1) % 2].Taken().size() >= before + 2; }));
            } else {
                for (Bool press : {True, False})
                    step.at(0).isDigit() ? XTestFakeButtonEvent(injector, step.toUInt(), press, CurrentTime)
                                         : XTestFakeKeyEvent(injector, XKeysymToKeycode(injector, XStringToKeysym(qPrintable(step))),
                                                             press, CurrentTime);
                XSync(injector, False);
            }
        }
        Recorder& last = recorders[(installs + 1) % 2];
        WaitFor([&] { return last.Taken().size() >= script.posted.size(); });
        EXPECT_EQ(last.Taken(), script.posted);
        EXPECT_EQ(recorders[installs % 2].Taken(), Messages{});
        removeMouse();
        remove();
    }
    dlclose(library);
    XCloseDisplay(injector);
}

}  // namespace
