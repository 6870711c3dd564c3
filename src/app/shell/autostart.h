#pragma once

#include <QByteArray>
#include <QString>

// "Start with the desktop": an XDG autostart entry that starts the utility hidden in the tray when
// the user logs in. The entry lives in $XDG_CONFIG_HOME/autostart/ (default ~/.config/autostart/).
QString AutostartEntryPath();

// The command that starts this program: the installed launcher when started through it, else
// the program file itself.
QString ProgramCommand();

// The text of the entry for a program command (quoted as desktop entries require).
QByteArray AutostartEntry(const QString& programCommand);

// File work, away from the UI thread. Writing is atomic; removing an entry that is not there
// succeeds. On failure error says why.
bool WriteAutostartEntry(const QString& path, const QString& programCommand, QString* error);
bool RemoveAutostartEntry(const QString& path, QString* error);
bool AutostartEntryExists(const QString& path);

// The option that starts the utility without showing its window.
inline constexpr char kHiddenOption[] = "--hidden";
