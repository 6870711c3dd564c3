#pragma once

#include <QString>
#include <functional>

// The application whose window is in front, as the desktop tells it.
struct ActiveApplication {
    QString appClass;    // X11 WM_CLASS class, Wayland app id; may be empty
    QString executable;  // file name of /proc/PID/exe; empty when the process is not ours to see
    qint64 pid = 0;

    bool operator==(const ActiveApplication&) const = default;
    bool IsEmpty() const { return appClass.isEmpty() && executable.isEmpty(); }
    // How the application shows in the rules dialog and the log.
    QString Name() const { return appClass.isEmpty() ? executable : appClass; }
};

// Where the application in front comes from: one implementation per kind of desktop. Each tells
// of a change as it happens (no polling) on the thread that started it.
class ActiveApplicationSource {
public:
    using Listener = std::function<void(const ActiveApplication&)>;

    virtual ~ActiveApplicationSource() = default;
    // Starts listening; false when this desktop does not offer what the source needs.
    virtual bool Start(Listener listener) = 0;
    // What the rules dialog shows as the source in use ("X11", "sway/i3", ...).
    virtual QString Name() const = 0;
};

// The executable's file name for a process, from /proc/PID/exe; empty when it cannot be read.
QString ExecutableOfProcess(qint64 pid);
