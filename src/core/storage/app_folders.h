#pragma once

#include <QString>

// The folder of the running program (skins, plugins), with a trailing separator.
QString GetAppFolder();

// The per-user data folder: $XDG_DATA_HOME (or ~/.local/share) + "Karvo Gaming Mouse/", created on
// demand; "Data/" beside the program when no user data location can be determined. Looked up
// every time a store or macro file is read or written, never cached.
QString GetDataFolder();
