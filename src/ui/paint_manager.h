#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <QString>
#include <map>
#include <utility>

#include "ui/notify.h"

class QTimer;


// The part of the toolkit that holds a window's skin: finds controls by name, turns their Qt
// signals and events into notifications for the window, and runs control timers, which arrive
// as "timer" notifications with the timer id in wParam.
class CPaintManagerUI final : public QObject {
public:
    explicit CPaintManagerUI(INotifyUI* receiver);
    ~CPaintManagerUI() override;

    // Takes the skin's widget tree and wires up every control in it.
    void AttachSkin(QWidget* root);
    // Wires up a control added after the skin was built (list rows and the like).
    void AttachControl(QWidget* control);
    QWidget* Root() const { return m_root; }

    QWidget* FindControl(const QString& name) const;
    template <typename T>
    T* FindControl(const QString& name) const
    {
        return qobject_cast<T*>(FindControl(name));
    }

    // How a control timer runs: always, or only while its control is visible on a shown window
    // (an animation nobody can see costs nothing). A paused timer goes on where it left off,
    // with one tick at once when its control is shown again.
    enum class TimerRun { Always, WhileVisible };

    bool SetTimer(QWidget* control, int timerId, int intervalMs, TimerRun run = TimerRun::Always);
    bool KillTimer(QWidget* control, int timerId);
    // Whether the timer is running now (a timer paused while its control is hidden is not).
    bool IsTimerActive(QWidget* control, int timerId) const;

    // Raises a notification as if the control had done it.
    void SendNotify(QWidget* sender, const QString& type, int index = -1, WPARAM wParam = 0, LPARAM lParam = 0);

    // The program's message loop: runs until QuitMessageLoop and returns its code. A quit asked
    // for while the loop is not running waits for it, so the loop started next returns at once;
    // modal loops are never ended by it. UI thread only.
    static int MessageLoop();
    static void QuitMessageLoop(int exitCode);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConnectSignals(QWidget* control);
    QString VirtualWndOf(const QWidget* control) const;

    INotifyUI* m_receiver;
    QPointer<QWidget> m_root;
    std::map<std::pair<QWidget*, int>, QTimer*> m_timers;
    class VisibleTimerGate;
    std::map<std::pair<QWidget*, int>, VisibleTimerGate*> m_gates;
};
