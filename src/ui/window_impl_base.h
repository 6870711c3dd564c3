#pragma once

#include <QPointer>
#include <QWidget>
#include <QRect>
#include <QString>
#include <functional>
#include <map>
#include <memory>

#include "ui/notify_pump.h"
#include "ui/paint_manager.h"
#include "ui/window_message.h"

class QEventLoop;
class QTimer;


using LRESULT = qintptr;

// The base of every window: a skin file, a window class name, the controls looked up once the
// skin is built, notifications, posted window messages and window timers by id, and a modal run
// whose result is the one given to Close.
class WindowImplBase : public CNotifyPump, public INotifyUI {
public:
    WindowImplBase();
    ~WindowImplBase() override;
    WindowImplBase(const WindowImplBase&) = delete;
    WindowImplBase& operator=(const WindowImplBase&) = delete;

    virtual QString WindowClassName() const = 0;
    virtual QString SkinFileName() const = 0;

    // Builds the window and its skin, runs OnWindowBuilt, and shows it when the style says so.
    // Returns false when the skin cannot be built.
    bool Create(WindowImplBase* owner, std::uint32_t style, std::uint32_t exStyle, const QRect& rect = {0, 0, 800, 800});
    // Centres the window on its owner (or its screen) and keeps it on that screen's work area.
    void CenterWindow();
    // Keeps the window on the work area of its screen: no larger than it (a skin that cannot
    // shrink that far scrolls) and wholly inside it.
    void FitToWorkArea();
    void ShowWindow(bool show = true, bool takeFocus = true);
    // Runs the window modally: raised, holding the keyboard focus and every key of the program
    // until it closes (the owner takes the focus back then). Returns the result given to Close.
    // In a dialog (a tool window) Enter presses the focused push button, else the default one,
    // and Escape is the desktop's close.
    int ShowModal();
    void Close(int result = 1);
    void DestroyWindow();
    bool IsWindow() const { return !m_host.isNull(); }

    // Window messages, handled on the UI thread: posted from any thread, or sent synchronously.
    void PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // Window timers arrive as the timer message with their id; a new start replaces a running one.
    void SetTimer(UINT timerId, int intervalMs);
    void KillTimer(UINT timerId);
    // The period of a running timer, or -1 (lets tests see pacing without waiting).
    int TimerIntervalMs(UINT timerId) const;

    void SetSelfDelete(bool selfDelete) { m_selfDelete = selfDelete; }
    QWidget* GetHWND() const { return m_host; }
    CPaintManagerUI& PaintManager() { return m_paintManager; }
    const CPaintManagerUI& PaintManager() const { return m_paintManager; }

    // The one entry of every window message.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void Notify(TNotifyUI& msg) override;

protected:
    virtual void OnWindowBuilt() {}
    virtual void OnClick(TNotifyUI&) {}
    virtual LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    virtual void OnDestroy() {}
    // The window is gone; a self-deleting window deletes itself here.
    virtual void OnFinalMessage();
    // The desktop asked to close the window (Alt+F4, the task bar): closes with 0 unless overridden.
    virtual void OnCloseRequest() { Close(0); }
    // While true, Enter and Escape are keys the window takes in (a field that captures keys).
    virtual bool ListensForKeys() const { return false; }

private:
    friend class SkinHost;
    static Qt::WindowFlags WindowFlagsFor(std::uint32_t style, std::uint32_t exStyle);
    bool OnDialogKey(int key);
    void PressDefaultButton();
    void GrowToContent();

    CPaintManagerUI m_paintManager;
    QPointer<QWidget> m_host;
    QPointer<QWidget> m_closingHost;  // destroyed, its deletion pending in the event loop
    WindowImplBase* m_owner = nullptr;
    std::map<UINT, QTimer*> m_timers;
    QEventLoop* m_modalLoop = nullptr;
    int m_modalResult = 0;
    bool m_selfDelete = false;
    bool m_dialog = false;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

// Test seam: a driver that acts on a modal window's controls. It runs once the window is shown;
// a window the driver leaves open is closed with 0 so that a test never hangs.
using ModalDriver = std::function<void(WindowImplBase& window)>;
void SetModalDriver(ModalDriver driver);
