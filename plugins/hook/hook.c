/* The input-hook library over X11: the RECORD extension delivers every key and button event of
 * the X server to a data connection whose thread blocks in XRecordEnableContext while capture is
 * on; a control connection ends it with XRecordDisableContext. Events become KARVO_UM_HOOK_INPUT
 * posts and are neither kept nor written anywhere. Capture runs only while something is enabled. */
#include <pthread.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/extensions/record.h>

#include "karvo_hook.h"
#include "karvo_key_positions.h"

#define KARVO_EXPORT __attribute__((visibility("default")))

enum {
    kLeftButtonDown = 513,
    kLeftButtonUp = 514,
    kRightButtonDown = 516,
    kRightButtonUp = 517,
    kMiddleButtonDown = 519,
    kMiddleButtonUp = 520,
    kSideButtonDown = 523,
    kSideButtonUp = 524,
};

/* What the capture thread reads for each event; guarded by g_stateLock. Posting happens under the
 * lock, so once a call has changed the state no event posted under the old state is still on its
 * way. */
static pthread_mutex_t g_stateLock = PTHREAD_MUTEX_INITIALIZER;
static KarvoPostTarget g_target;
static int g_installed;
static int g_keysEnabled;
static int g_buttonsEnabled;
static int g_wheelEnabled;

/* The capture machinery; guarded by g_controlLock, which every export holds for its whole call. */
static pthread_mutex_t g_controlLock = PTHREAD_MUTEX_INITIALIZER;
static Display* g_control;
static Display* g_data;
static XRecordContext g_context;
static pthread_t g_thread;
static int g_running;

/* Set by the capture thread once the server records (or has refused to); g_startLock guards it. */
static pthread_mutex_t g_startLock = PTHREAD_MUTEX_INITIALIZER;
static pthread_cond_t g_startChanged;
static pthread_once_t g_startOnce = PTHREAD_ONCE_INIT;
static int g_started;

static void InitStartCondition(void)
{
    pthread_condattr_t attributes;
    pthread_condattr_init(&attributes);
    pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
    pthread_cond_init(&g_startChanged, &attributes);
    pthread_condattr_destroy(&attributes);
}

static void SignalStarted(void)
{
    pthread_mutex_lock(&g_startLock);
    g_started = 1;
    pthread_cond_broadcast(&g_startChanged);
    pthread_mutex_unlock(&g_startLock);
}

/* Events are captured from the moment the server starts recording, so the call that enables the
 * hook waits for that (a local server answers at once; a bound keeps a stuck one from hanging the
 * caller). */
static void WaitUntilStarted(void)
{
    struct timespec deadline;
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += 2;
    pthread_mutex_lock(&g_startLock);
    while (!g_started) {
        if (pthread_cond_timedwait(&g_startChanged, &g_startLock, &deadline) != 0)
            break;
    }
    pthread_mutex_unlock(&g_startLock);
}

static void Post(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (g_target.post)
        g_target.post(g_target.context, message, wParam, lParam);
}

static void PostButton(unsigned button, int pressed)
{
    switch (button) {
    case 1:
        Post(KARVO_UM_HOOK_INPUT, pressed ? kLeftButtonDown : kLeftButtonUp, 0);
        break;
    case 2:
        Post(KARVO_UM_HOOK_INPUT, pressed ? kMiddleButtonDown : kMiddleButtonUp, 0);
        break;
    case 3:
        Post(KARVO_UM_HOOK_INPUT, pressed ? kRightButtonDown : kRightButtonUp, 0);
        break;
    /* The side buttons carry the numbers the recording table names them by: 2 is recorded as the
       backward button, 1 as the forward button. */
    case 8: /* back */
        Post(KARVO_UM_HOOK_INPUT, pressed ? kSideButtonDown : kSideButtonUp, 2);
        break;
    case 9: /* forward */
        Post(KARVO_UM_HOOK_INPUT, pressed ? kSideButtonDown : kSideButtonUp, 1);
        break;
    default: /* 4 to 7 are wheel steps, which are never posted; others have no message */
        break;
    }
}

static void OnRecorded(XPointer closure, XRecordInterceptData* data)
{
    (void)closure;
    if (data->category == XRecordStartOfData)
        SignalStarted();
    if (data->category == XRecordFromServer && data->data_len > 0) {
        const unsigned char* wire = (const unsigned char*)data->data;
        const int type = wire[0] & 0x7F;
        const unsigned detail = wire[1];
        pthread_mutex_lock(&g_stateLock);
        if (g_installed) {
            if ((type == KeyPress || type == KeyRelease) && g_keysEnabled) {
                const uint32_t virtualKey = KarvoVirtualKeyFromXKeycode(detail);
                if (virtualKey)
                    Post(KARVO_UM_HOOK_INPUT, virtualKey, type == KeyPress ? 0 : 1);
            } else if ((type == ButtonPress || type == ButtonRelease) && g_keysEnabled && g_buttonsEnabled) {
                PostButton(detail, type == ButtonPress);
            }
        }
        pthread_mutex_unlock(&g_stateLock);
    }
    XRecordFreeData(data);
}

static void* CaptureThread(void* argument)
{
    (void)argument;
    /* Returns once the control connection disables the context, or at once when it fails. */
    XRecordEnableContext(g_data, g_context, OnRecorded, NULL);
    SignalStarted();
    return NULL;
}

/* A Wayland session's X server sees only the input of X11 programs, which is no global capture. */
static int IsWaylandSession(void)
{
    const char* wayland = getenv("WAYLAND_DISPLAY");
    const char* session = getenv("XDG_SESSION_TYPE");
    return (wayland && *wayland) || (session && strcmp(session, "wayland") == 0);
}

/* Opens the control connection once; 0 when the desktop offers no global capture. */
static int OpenControl(void)
{
    if (g_control)
        return 1;
    if (IsWaylandSession())
        return 0;
    Display* control = XOpenDisplay(NULL);
    if (!control)
        return 0;
    int major = 0;
    int minor = 0;
    if (!XRecordQueryVersion(control, &major, &minor)) {
        XCloseDisplay(control);
        return 0;
    }
    g_control = control;
    return 1;
}

static void StartCapture(void)
{
    if (g_running || !g_control)
        return;
    Display* data = XOpenDisplay(NULL);
    if (!data)
        return;
    XRecordRange* range = XRecordAllocRange();
    if (!range) {
        XCloseDisplay(data);
        return;
    }
    range->device_events.first = KeyPress;
    range->device_events.last = ButtonRelease;
    XRecordClientSpec clients = XRecordAllClients;
    XRecordContext context = XRecordCreateContext(g_control, 0, &clients, 1, &range, 1);
    XFree(range);
    if (!context) {
        XCloseDisplay(data);
        return;
    }
    /* The data connection must know the context before it enables it. */
    XSync(g_control, False);
    g_data = data;
    g_context = context;
    pthread_once(&g_startOnce, InitStartCondition);
    pthread_mutex_lock(&g_startLock);
    g_started = 0;
    pthread_mutex_unlock(&g_startLock);
    if (pthread_create(&g_thread, NULL, CaptureThread, NULL) != 0) {
        XRecordFreeContext(g_control, context);
        XSync(g_control, False);
        XCloseDisplay(data);
        g_data = NULL;
        g_context = 0;
        return;
    }
    g_running = 1;
    WaitUntilStarted();
}

static void StopCapture(void)
{
    if (!g_running)
        return;
    XRecordDisableContext(g_control, g_context);
    XSync(g_control, False);
    pthread_join(g_thread, NULL);
    XRecordFreeContext(g_control, g_context);
    XSync(g_control, False);
    XCloseDisplay(g_data);
    g_data = NULL;
    g_context = 0;
    g_running = 0;
}

/* Runs the capture exactly while events are to be posted (buttons come only with keys). Called
 * with g_controlLock held. */
static void UpdateCapture(void)
{
    pthread_mutex_lock(&g_stateLock);
    const int wanted = g_installed && g_keysEnabled;
    pthread_mutex_unlock(&g_stateLock);
    if (wanted)
        StartCapture();
    else
        StopCapture();
}

KARVO_EXPORT void installmousehook(void)
{
}

KARVO_EXPORT void removemousehook(void)
{
    pthread_mutex_lock(&g_controlLock);
    pthread_mutex_lock(&g_stateLock);
    g_buttonsEnabled = 0;
    pthread_mutex_unlock(&g_stateLock);
    UpdateCapture();
    pthread_mutex_unlock(&g_controlLock);
}

KARVO_EXPORT void enablemousehook(uint32_t enable)
{
    pthread_mutex_lock(&g_controlLock);
    pthread_mutex_lock(&g_stateLock);
    g_buttonsEnabled = enable != 0;
    pthread_mutex_unlock(&g_stateLock);
    UpdateCapture();
    pthread_mutex_unlock(&g_controlLock);
}

KARVO_EXPORT int32_t installhook(const KarvoPostTarget* target)
{
    pthread_mutex_lock(&g_controlLock);
    const int available = OpenControl();
    pthread_mutex_lock(&g_stateLock);
    if (target && target->post && available) {
        g_target = *target;
        g_installed = 1;
    } else {
        memset(&g_target, 0, sizeof g_target);
        g_installed = 0;
    }
    pthread_mutex_unlock(&g_stateLock);
    UpdateCapture();
    pthread_mutex_unlock(&g_controlLock);
    return available ? 1 : 0;
}

KARVO_EXPORT void removehook(void)
{
    pthread_mutex_lock(&g_controlLock);
    pthread_mutex_lock(&g_stateLock);
    memset(&g_target, 0, sizeof g_target);
    g_installed = 0;
    g_keysEnabled = 0;
    g_buttonsEnabled = 0;
    pthread_mutex_unlock(&g_stateLock);
    StopCapture();
    if (g_control) {
        XCloseDisplay(g_control);
        g_control = NULL;
    }
    pthread_mutex_unlock(&g_controlLock);
}

KARVO_EXPORT void enablehook(uint32_t enable)
{
    pthread_mutex_lock(&g_controlLock);
    pthread_mutex_lock(&g_stateLock);
    g_keysEnabled = enable != 0;
    pthread_mutex_unlock(&g_stateLock);
    UpdateCapture();
    pthread_mutex_unlock(&g_controlLock);
}

KARVO_EXPORT void mousewheelenable(uint32_t enable)
{
    pthread_mutex_lock(&g_stateLock);
    g_wheelEnabled = enable != 0;
    pthread_mutex_unlock(&g_stateLock);
}

/* The program may unload the library without removing the hook; the thread must not outlive the
 * code it runs. */
__attribute__((destructor)) static void UnloadHook(void)
{
    removehook();
}
