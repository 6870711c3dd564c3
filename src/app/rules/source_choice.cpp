#include "app/rules/source_choice.h"

#include <QFileInfo>

#include "app/rules/kwin_active_source.h"
#include "app/rules/sway_active_source.h"
#include "app/rules/x11_active_source.h"
#include "core/platform/session_bus.h"

namespace {

QString IpcSocket(const QProcessEnvironment& env)
{
    for (const char* name : {"SWAYSOCK", "I3SOCK"}) {
        const QString path = env.value(QLatin1String(name));
        if (!path.isEmpty() && QFileInfo(path).exists())
            return path;
    }
    return {};
}

}  // namespace

SourceKind ChooseSourceKind(const QProcessEnvironment& env)
{
    if (!IpcSocket(env).isEmpty())
        return SourceKind::Sway;
    const bool wayland = env.value(QStringLiteral("XDG_SESSION_TYPE")) == QLatin1String("wayland")
                         || !env.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
    const QStringList desktops = env.value(QStringLiteral("XDG_CURRENT_DESKTOP")).toUpper().split(QLatin1Char(':'));
    if (wayland && desktops.contains(QLatin1String("KDE")))
        return SourceKind::KWin;
    // GNOME's Wayland shell tells no other program which window is in front; its X11 windows
    // would only tell half the story.
    if (wayland && desktops.contains(QLatin1String("GNOME")))
        return SourceKind::None;
    return env.value(QStringLiteral("DISPLAY")).isEmpty() ? SourceKind::None : SourceKind::X11;
}

std::unique_ptr<ActiveApplicationSource> CreateActiveSource(SourceKind kind, const QProcessEnvironment& env)
{
    switch (kind) {
    case SourceKind::X11:
        return std::make_unique<X11ActiveSource>();
    case SourceKind::KWin:
        return SessionBusExists() ? std::make_unique<KWinActiveSource>(QDBusConnection::sessionBus()) : nullptr;
    case SourceKind::Sway:
        return std::make_unique<SwayActiveSource>(IpcSocket(env));
    case SourceKind::None:
        break;
    }
    return nullptr;
}
