#include "app/settings/power_display.h"

#include "app/shell/window_messages.h"
#include "device/device_links.h"
#include "ui/control_accessibility.h"
#include "ui/controls.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace {
constexpr int kPercentPerLevel = 10;
}

void PowerDisplay::FindControls(CPaintManagerUI& ui)
{
    m_progress = ui.FindControl(QStringLiteral("ms_1_progress_power"));
    m_label = ui.FindControl(QStringLiteral("ms_1_label_power"));
}

void PowerDisplay::ShowCharging(CPaintManagerUI& ui)
{
    m_charging = true;
    if (m_label)
        SetControlTextKey(m_label, QStringLiteral("charging_text"));
    // The bar sweeps from here on; what it tells assistive tools is the text, not the sweep.
    SetAccessibleValue(m_progress, CResourceManager::Instance().GetText(QStringLiteral("charging_text")));
    if (m_progress)
        ui.SetTimer(m_progress, TimerId::kChargingAnimation, TimerPeriodMs::kChargingAnimation,
                    CPaintManagerUI::TimerRun::WhileVisible);  // nobody sees it otherwise
}

void PowerDisplay::ClearPowerDisplay(CPaintManagerUI& ui)
{
    m_charging = false;
    if (m_label) {
        m_label->setProperty(kTextKeyProperty, QString());
        SetControlText(m_label, QString());
    }
    SetAccessibleValue(m_progress, QString());
    if (m_progress)
        ui.KillTimer(m_progress, TimerId::kChargingAnimation);
}

void PowerDisplay::ShowBatteryLevel(int level)
{
    const int percent = level * kPercentPerLevel;
    const QString text = m_charging
                             ? CResourceManager::Instance().GetText(QStringLiteral("charging_level_text")).arg(percent)
                             : QStringLiteral("%1%").arg(percent);
    if (m_label) {
        m_label->setProperty(kTextKeyProperty, QString());
        SetControlText(m_label, text);
    }
    SetAccessibleValue(m_progress, text);
    if (m_progress && !m_charging)
        SetControlValue(m_progress, percent);
}

bool PowerDisplay::OnTimer(QWidget* sender, int timerId, DeviceLinks* links)
{
    if (sender != m_progress || timerId != TimerId::kChargingAnimation || !links)
        return false;
    SetControlValue(m_progress, links->NextChargingValue());
    return true;
}
