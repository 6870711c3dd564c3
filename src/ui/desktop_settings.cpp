#include "ui/desktop_settings.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

DesktopLauncher& Launcher()
{
    static DesktopLauncher launcher;
    return launcher;
}

QString FindProgram(const QString& program)
{
    if (Launcher().find)
        return Launcher().find(program);
    return QStandardPaths::findExecutable(program);
}

bool StartProgram(const QString& path, const QStringList& arguments)
{
    if (Launcher().start)
        return Launcher().start(path, arguments);
    return QProcess::startDetached(path, arguments);
}

}  // namespace

void SetDesktopLauncher(DesktopLauncher launcher)
{
    Launcher() = std::move(launcher);
}

std::vector<DesktopCommand> MouseSettingsCandidates(const QString& currentDesktop)
{
    std::vector<DesktopCommand> candidates;
    // XDG_CURRENT_DESKTOP is a colon-separated list, most specific first.
    for (const QString& desktop : currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString name = desktop.trimmed().toUpper();
        if (name == QLatin1String("KDE")) {
            candidates.push_back({QStringLiteral("systemsettings"), {QStringLiteral("kcm_mouse")}});
            candidates.push_back({QStringLiteral("kcmshell6"), {QStringLiteral("kcm_mouse")}});
            candidates.push_back({QStringLiteral("kcmshell5"), {QStringLiteral("mouse")}});
        } else if (name == QLatin1String("GNOME") || name == QLatin1String("UNITY") || name == QLatin1String("BUDGIE")) {
            candidates.push_back({QStringLiteral("gnome-control-center"), {QStringLiteral("mouse")}});
        } else if (name == QLatin1String("XFCE")) {
            candidates.push_back({QStringLiteral("xfce4-mouse-settings"), {}});
        } else if (name == QLatin1String("X-CINNAMON") || name == QLatin1String("CINNAMON")) {
            candidates.push_back({QStringLiteral("cinnamon-settings"), {QStringLiteral("mouse")}});
        } else if (name == QLatin1String("MATE")) {
            candidates.push_back({QStringLiteral("mate-mouse-properties"), {}});
        } else if (name == QLatin1String("LXQT")) {
            candidates.push_back({QStringLiteral("lxqt-config-input"), {}});
        }
    }
    return candidates;
}

bool OpenDesktopMouseSettings()
{
    const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    for (const DesktopCommand& command : MouseSettingsCandidates(desktop)) {
        const QString path = FindProgram(command.program);
        if (!path.isEmpty() && StartProgram(path, command.arguments))
            return true;
    }
    return false;
}
