#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// Opening the desktop's own mouse settings. The tool is chosen from the desktop the session runs
// (XDG_CURRENT_DESKTOP), the first of its candidates found on the search path, and started
// detached so that it outlives nothing of ours. Tests install a launcher that records instead.
struct DesktopCommand {
    QString program;
    QStringList arguments;
};

// The candidates for a desktop name list such as "KDE" or "ubuntu:GNOME", best first.
std::vector<DesktopCommand> MouseSettingsCandidates(const QString& currentDesktop);

// True when a tool was started.
bool OpenDesktopMouseSettings();

// Test seam: finds a program (empty when absent) and starts it (true when started).
struct DesktopLauncher {
    std::function<QString(const QString& program)> find;
    std::function<bool(const QString& program, const QStringList& arguments)> start;
};
void SetDesktopLauncher(DesktopLauncher launcher);
