#include "app/shell/shell_settings.h"

#include <QStandardPaths>

QString ShellSettingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/karvo-gaming-mouse/settings.ini");
}
