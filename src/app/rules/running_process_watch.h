#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>

// Where the desktop does not tell which application is in front, running rules look at the
// processes instead: every kIntervalMs, and only while Enable(true) holds (a running rule exists).
// The look at /proc happens on the shell's background thread; the answer comes back to the UI
// thread.
class RunningProcessWatch final : public QObject {
public:
    static constexpr int kIntervalMs = 2000;

    explicit RunningProcessWatch(std::function<void(const QStringList&)> heard);
    ~RunningProcessWatch() override;

    void Enable(bool enabled);
    bool Enabled() const { return m_timer.isActive(); }
    // Looks once now (when the rules dialog closes), whether enabled or not.
    void CheckNow();

private:
    std::function<void(const QStringList&)> m_heard;
    QTimer m_timer;
};

// The executables' file names of the processes running now (from /proc; the command name where
// the executable is not ours to see).
QStringList RunningExecutables();
