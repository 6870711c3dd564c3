#pragma once

#include <QString>

// The shell's own settings (the window's look), kept in the user's configuration folder
// ($XDG_CONFIG_HOME/karvo-gaming-mouse/settings.ini), apart from the mouse's stores.
QString ShellSettingsPath();
