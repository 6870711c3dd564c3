#include "app/shell/autostart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// Desktop entry Exec quoting: an argument with reserved characters goes in double quotes, inside
// which ", `, $ and \ are escaped with a backslash.
QString QuoteExecArgument(const QString& argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    if (std::none_of(argument.begin(), argument.end(), [](QChar c) { return reserved.contains(c); }))
        return argument;
    QString quoted;
    for (QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

}  // namespace

QString AutostartEntryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/autostart/karvo-gaming-mouse.desktop");
}

QString ProgramCommand()
{
    // The launcher names itself, so that the entry survives the program folder moving with an
    // update of the package.
    const QString launcher = qEnvironmentVariable("KARVO_LAUNCHER");
    if (!launcher.isEmpty() && QFileInfo(launcher).isAbsolute())
        return launcher;
    return QCoreApplication::applicationFilePath();
}

QByteArray AutostartEntry(const QString& programCommand)
{
    // In an Exec key a literal % is written %%.
    QString exec = QuoteExecArgument(programCommand);
    exec.replace(QLatin1Char('%'), QStringLiteral("%%"));
    QString text;
    text += QStringLiteral("[Desktop Entry]\n");
    text += QStringLiteral("Type=Application\n");
    text += QStringLiteral("Name=Karvo Gaming Mouse\n");
    text += QStringLiteral("Comment=Configure the Karvo wireless gaming mouse\n");
    text += QStringLiteral("Exec=%1 %2\n").arg(exec, QLatin1String(kHiddenOption));
    text += QStringLiteral("Icon=karvo-gaming-mouse\n");
    text += QStringLiteral("Terminal=false\n");
    text += QStringLiteral("NoDisplay=true\n");
    text += QStringLiteral("X-GNOME-Autostart-enabled=true\n");
    return text.toUtf8();
}

bool WriteAutostartEntry(const QString& path, const QString& programCommand, QString* error)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        if (error)
            *error = QStringLiteral("cannot create the folder %1").arg(QFileInfo(path).absolutePath());
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(AutostartEntry(programCommand)) < 0 || !file.commit()) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool RemoveAutostartEntry(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.exists() || file.remove())
        return true;
    if (error)
        *error = QStringLiteral("cannot remove %1: %2").arg(path, file.errorString());
    return false;
}

bool AutostartEntryExists(const QString& path)
{
    return QFileInfo(path).isFile();
}
