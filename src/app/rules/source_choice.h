#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <memory>

class ActiveApplicationSource;

// Which desktop tells us the application in front, and how.
enum class SourceKind {
    X11,   // an X11 session, or a Wayland one that is neither GNOME, KDE nor sway (its X11 windows)
    KWin,  // KDE Plasma on Wayland: a KWin script calls us
    Sway,  // sway or i3: their IPC socket
    None,  // GNOME on Wayland and anything without a display: running rules only
};

// Decided once at start from the session's variables and whether the sockets named exist.
SourceKind ChooseSourceKind(const QProcessEnvironment& env);

std::unique_ptr<ActiveApplicationSource> CreateActiveSource(SourceKind kind, const QProcessEnvironment& env);
