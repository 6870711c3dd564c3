#include "ui/tray_icon.h"

#include <QSystemTrayIcon>

#include "ui/window_impl_base.h"

namespace {
std::optional<bool> g_availableForTesting;
}

bool CTrayIcon::IsAvailable()
{
    return g_availableForTesting.value_or(QSystemTrayIcon::isSystemTrayAvailable());
}

void CTrayIcon::SetAvailableForTesting(std::optional<bool> available)
{
    g_availableForTesting = available;
}

CTrayIcon::CTrayIcon() = default;

CTrayIcon::~CTrayIcon() = default;

void CTrayIcon::CreateTrayIcon(WindowImplBase* window, const QIcon& icon, const QString& toolTip, UINT callbackMessage)
{
    m_icon = std::make_unique<QSystemTrayIcon>(icon);
    m_icon->setToolTip(toolTip);
    QObject::connect(m_icon.get(), &QSystemTrayIcon::activated, m_icon.get(),
                     [window, callbackMessage](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger)
                             window->PostMessage(callbackMessage, 0, kLeftButtonUp);
                         else if (reason == QSystemTrayIcon::Context)
                             window->PostMessage(callbackMessage, 0, kRightButtonUp);
                     });
    m_icon->show();
}

void CTrayIcon::SetToolTip(const QString& toolTip)
{
    if (m_icon)
        m_icon->setToolTip(toolTip);
}

void CTrayIcon::DeleteTrayIcon()
{
    m_icon.reset();
}
