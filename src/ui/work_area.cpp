#include "ui/work_area.h"

#include <QGuiApplication>
#include <QScreen>

namespace {
std::function<QRect()> g_provider;
}

QRect PrimaryWorkArea()
{
    if (g_provider)
        return g_provider();
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QRect WorkAreaAt(const QPoint& point)
{
    if (g_provider)
        return g_provider();
    if (const QScreen* screen = QGuiApplication::screenAt(point))
        return screen->availableGeometry();
    return PrimaryWorkArea();
}

void SetWorkAreaProvider(std::function<QRect()> provider)
{
    g_provider = std::move(provider);
}
