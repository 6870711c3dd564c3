#include "app/settings/performance_panel.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QToolButton>

#include "app/settings/page_services.h"
#include "app/shell/msg_wnd.h"
#include "core/text/language_text.h"
#include "device/device_links.h"
#include "ui/color_palette.h"
#include "ui/controls.h"
#include "ui/desktop_settings.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"
#include "ui/window_impl_base.h"

namespace {

QString PollingKey(int pollingRate)
{
    return QStringLiteral("prate_%1_text").arg(pollingRate + 1);
}

template <typename T>
T* Find(CPaintManagerUI& ui, const QString& name)
{
    return ui.FindControl<T>(name);
}

}  // namespace

PerformancePanel::PerformancePanel(PageServices& page) : m_page(page), m_stages(page) {}

std::uint32_t PerformancePanel::ShownColor(std::int32_t stored)
{
    const auto value = std::uint32_t(stored);
    const std::uint32_t r = value & 0xFF, g = (value >> 8) & 0xFF, b = (value >> 16) & 0xFF;
    return 0xFF000000u | r << 16 | g << 8 | b;
}

std::int32_t PerformancePanel::StoredColor(std::uint32_t shown)
{
    const std::uint32_t r = (shown >> 16) & 0xFF, g = (shown >> 8) & 0xFF, b = shown & 0xFF;
    return std::int32_t(r | g << 8 | b << 16);
}

void PerformancePanel::FindControls(CPaintManagerUI& ui)
{
    m_stages.FindControls(ui);
    for (int k = 0; k < 8; ++k)
        m_dpiColors[k] = ui.FindControl(QStringLiteral("ms_1_btn_dpi_color_%1").arg(k + 1));
    m_comboLight = Find<QComboBox>(ui, QStringLiteral("ms_1_combo_light"));
    m_comboLightBle = Find<QComboBox>(ui, QStringLiteral("ms_1_combo_light_ble"));
    m_brightness = Find<QAbstractSlider>(ui, QStringLiteral("ms_1_slider_brightness"));
    m_breathSpeed = Find<QAbstractSlider>(ui, QStringLiteral("ms_1_slider_breathspeed"));
    m_lightColor = ui.FindControl(QStringLiteral("ms_1_btn_light_color"));
    m_rowBrightness = ui.FindControl(QStringLiteral("ms_1_hor_brightness"));
    m_rowBreathSpeed = ui.FindControl(QStringLiteral("ms_1_hor_breathspeed"));
    m_rowLightColor = ui.FindControl(QStringLiteral("ms_1_hor_light_color"));
    for (int i = 0; i < 4; ++i)
        m_prateOptions[i] = Find<QAbstractButton>(ui, QStringLiteral("ms_1_btn_prate_%1").arg(i + 1));
    m_prateLabel = ui.FindControl(QStringLiteral("ms_1_label_prate"));
    m_sleepSlider = Find<QAbstractSlider>(ui, QStringLiteral("ms_1_slider_sleep_timer"));
    m_sleepLabel = ui.FindControl(QStringLiteral("ms_1_label_sleep_timer"));
    m_moveMode = Find<QAbstractButton>(ui, QStringLiteral("ms_1_check_movemode"));
    m_applyButton = ui.FindControl(QStringLiteral("ms_1_apply_btn"));
    m_mouseAttribute = ui.FindControl(QStringLiteral("ms_1_btn_mouse_attribute"));

    static const char* const kSections[8][2] = {
        {"ms_1_check_button", "ms_1_hor_button"},
        {"ms_1_check_profile", "ms_1_ver_profile"},
        {"ms_1_check_power", "ms_1_ver_power"},
        {"ms_1_check_dpi", "ms_1_hor_dpi"},
        {"ms_1_check_light", "ms_1_ver_light"},
        {"ms_1_check_prate", "ms_1_ver_prate"},
        {"ms_1_check_mouse_attribute", "ms_1_ver_mouse_attribute"},
        {"ms_1_check_power_setting", "ms_1_ver_power_setting"},
    };
    for (int i = 0; i < 8; ++i) {
        m_sections[i].check = Find<QAbstractButton>(ui, QLatin1String(kSections[i][0]));
        m_sections[i].container = ui.FindControl(QLatin1String(kSections[i][1]));
    }
    m_checkPrate = m_sections[5].check;
    m_verPrate = m_sections[5].container;
    m_checkPower = m_sections[2].check;
    m_verPower = m_sections[2].container;
}

void PerformancePanel::Refresh()
{
    ApplyLinkLayout();
    struct Shown {
        std::int32_t stageColor[8], effect, effectBle, brightness, breathSpeed, lightColor, polling,
            sleep, moveMode;
    };
    const Shown shown = m_page.WithCurrent([](ProfileRecord& p) {
        Shown s{};
        for (int k = 0; k < 8; ++k)
            s.stageColor[k] = p.stage_color[k];
        s.effect = p.light_effect;
        s.effectBle = p.light_effect_ble;
        s.brightness = p.brightness;
        s.breathSpeed = p.breath_speed;
        s.lightColor = p.light_color;
        s.polling = p.polling_rate;
        s.sleep = p.sleep_timer;
        s.moveMode = p.move_mode;
        return s;
    });

    m_stages.Refresh();
    for (int k = 0; k < 8; ++k)
        SetButtonColor(m_dpiColors[k], ShownColor(shown.stageColor[k]));
    if (m_comboLight)
        SelectItem(m_comboLight, shown.effect, false);
    if (m_comboLightBle)
        SelectItem(m_comboLightBle, shown.effectBle, false);
    if (m_brightness)
        SetControlValue(m_brightness, shown.brightness);
    if (m_breathSpeed)
        SetControlValue(m_breathSpeed, shown.breathSpeed);
    SetButtonColor(m_lightColor, ShownColor(shown.lightColor));
    SelectPollingOption(shown.polling);
    if (m_sleepSlider)
        SetControlValue(m_sleepSlider, shown.sleep);
    UpdateSleepLabel();
    // The box shows the profile's own movement mode, so that a switch never leaves it showing
    // the previous profile's.
    if (m_moveMode)
        SetSelected(m_moveMode, shown.moveMode == 1, false);
}

void PerformancePanel::ApplyLinkLayout()
{
    DeviceLinks* links = m_page.Links();
    if (!links)
        return;
    if (links->CableState() == LinkState::Open || (links->ReceiverState() == LinkState::Open && links->MouseOnline()))
        ShowLinkLayout(LinkLayout::CableOrReceiver);
    else if (links->BlePresent())
        ShowLinkLayout(LinkLayout::Ble);
    else  // no link up: the variant stays, and its rows follow the effect in view
        UpdateLightRows(m_page.WithCurrent([ble = m_comboLightBle && !m_comboLightBle->isHidden()](ProfileRecord& p) {
            return ble ? p.light_effect_ble : p.light_effect;
        }));
}

void PerformancePanel::ShowLinkLayout(LinkLayout layout)
{
    if (layout == LinkLayout::CableOrReceiver) {
        SetShown(m_comboLight, true);
        SetShown(m_comboLightBle, false);
        SetShown(m_checkPrate, true);
        // The polling section comes back folded or unfolded as it was before.
        SetShown(m_verPrate, Unfolded(m_checkPrate));
        UpdateLightRows(m_page.WithCurrent([](ProfileRecord& p) { return p.light_effect; }));
        SetShown(m_checkPower, true);
        // The battery section shows as its box says.
        SetShown(m_verPower, Unfolded(m_checkPower));
        return;
    }
    SetShown(m_comboLight, false);
    SetShown(m_comboLightBle, true);
    // Out of view, but its header keeps the user's fold for when the cable or receiver returns.
    SetShown(m_checkPrate, false);
    SetShown(m_verPrate, false);
    UpdateLightRows(m_page.WithCurrent([](ProfileRecord& p) { return p.light_effect_ble; }));
    SetShown(m_checkPower, false);
    SetShown(m_verPower, false);
}

void PerformancePanel::UpdateSleepLabel()
{
    if (!m_sleepLabel)
        return;
    const int sleep = m_page.WithCurrent([](ProfileRecord& p) { return p.sleep_timer; });
    const CResourceManager& texts = CResourceManager::Instance();
    SetControlText(m_sleepLabel, QStringLiteral("%1%2 %3")
                                     .arg(texts.GetText(QStringLiteral("sleep_timer_1_text")))
                                     .arg(LanguageDecimal(sleep * 0.5, 1))
                                     .arg(texts.GetText(QStringLiteral("sleep_timer_2_text"))));
}

void PerformancePanel::UpdateLightRows(int effect)
{
    SetShown(m_rowBrightness, effect == 1);
    SetShown(m_rowBreathSpeed, effect >= 2 && effect <= 11);
    SetShown(m_rowLightColor, effect == 1 || effect == 2);
}

void PerformancePanel::SelectDpiStageOption(int stageNumber)
{
    m_stages.SelectStageOption(stageNumber);
}

void PerformancePanel::SelectPollingOption(int pollingRate)
{
    const bool shown = pollingRate >= 0 && pollingRate < 4;
    for (int i = 0; i < 4; ++i) {
        QAbstractButton* option = m_prateOptions[i];
        if (!option || option->isChecked() == (shown && i == pollingRate))
            continue;
        // Options of one group uncheck only when another is checked: for none, the group lets go.
        const bool exclusive = option->autoExclusive();
        option->setAutoExclusive(false);
        SetSelected(option, shown && i == pollingRate, false);
        option->setAutoExclusive(exclusive);
    }
    if (shown)
        ShowPollingLabel(pollingRate);
}

void PerformancePanel::ShowPollingLabel(int pollingRate)
{
    if (m_prateLabel)
        SetControlTextKey(m_prateLabel, PollingKey(pollingRate));
}

void PerformancePanel::SetButtonColor(QWidget* button, std::uint32_t argb)
{
    if (!button)
        return;
    const QColor color = QColor::fromRgb(argb);
    button->setStyleSheet(QStringLiteral("background: %1;").arg(color.name()));
    button->setProperty("color", QVariant::fromValue(argb));
    button->setAccessibleDescription(ColorName(argb));  // what the button shows, told in hex
}

bool PerformancePanel::OnClick(TNotifyUI& msg)
{
    if (OnSectionHeader(msg.pSender))
        return true;
    if (msg.pSender == m_applyButton) {
        m_page.RequestSend();
        return true;
    }
    if (msg.pSender == m_mouseAttribute) {
        if (!OpenDesktopMouseSettings())
            ShowMessageBox(m_page.MainWindow(), QStringLiteral("warning_title_text"),
                           QStringLiteral("no_mouse_settings_text"));
        return true;
    }
    if (msg.pSender && msg.pSender == m_lightColor) {
        PickColor(m_lightColor, -1);
        return true;
    }
    for (int k = 0; k < 8; ++k) {
        if (msg.pSender && msg.pSender == m_dpiColors[k]) {
            PickColor(m_dpiColors[k], k);
            return true;
        }
    }
    return false;
}

void PerformancePanel::PickColor(QWidget* button, int stage)
{
    if (!m_colorPicker)
        return;
    std::uint32_t argb = m_page.WithCurrent(
        [stage](ProfileRecord& p) { return ShownColor(stage < 0 ? p.light_color : p.stage_color[stage]); });
    if (!m_colorPicker(button, argb))
        return;
    m_page.WithCurrent([stage, argb](ProfileRecord& p) {
        (stage < 0 ? p.light_color : p.stage_color[stage]) = StoredColor(argb);
    });
    SetButtonColor(button, 0xFF000000u | argb);
    m_page.RequestSend();
}

bool PerformancePanel::OnSelectChanged(TNotifyUI& msg)
{
    if (m_stages.OnStageOption(msg.pSender))
        return true;
    for (int i = 0; i < 4; ++i) {
        if (msg.pSender && msg.pSender == m_prateOptions[i]) {
            m_page.WithCurrent([i](ProfileRecord& p) { p.polling_rate = i; });
            ShowPollingLabel(i);
            m_page.RequestSend();
            return true;
        }
    }
    return false;
}

bool PerformancePanel::OnItemSelect(TNotifyUI& msg)
{
    const bool ble = msg.pSender && msg.pSender == m_comboLightBle;
    if (!ble && !(msg.pSender && msg.pSender == m_comboLight))
        return false;
    const int effect = msg.index;
    m_page.WithCurrent([ble, effect](ProfileRecord& p) { (ble ? p.light_effect_ble : p.light_effect) = effect; });
    UpdateLightRows(effect);
    m_page.RequestSendAfterPause(kComboPauseMs);
    return true;
}

bool PerformancePanel::OnCheckClick(TNotifyUI& msg)
{
    if (msg.pSender && msg.pSender == m_moveMode) {
        const bool checked = m_moveMode->isChecked();
        m_page.WithCurrent([checked](ProfileRecord& p) { p.move_mode = checked ? 1 : 0; });
        m_page.RequestSend();
        return true;
    }
    return m_stages.OnStageCheck(msg.pSender) || OnSectionHeader(msg.pSender);
}

bool PerformancePanel::OnSectionHeader(QWidget* sender)
{
    for (const Section& section : m_sections) {
        if (!sender || sender != section.check)
            continue;
        // A disclosure header turns its arrow; a check box header (an older skin) has turned itself.
        if (auto* disclosure = qobject_cast<QToolButton*>(section.check); disclosure && !disclosure->isCheckable())
            disclosure->setArrowType(Unfolded(section.check) ? Qt::RightArrow : Qt::DownArrow);
        ShowSectionFold(section.check, section.container);
        return true;
    }
    return false;
}

bool PerformancePanel::Unfolded(const QAbstractButton* header)
{
    if (const auto* disclosure = qobject_cast<const QToolButton*>(header); disclosure && !disclosure->isCheckable())
        return disclosure->arrowType() != Qt::RightArrow;
    return !header || header->isChecked();
}

void PerformancePanel::ShowSectionFold(QAbstractButton* header, QWidget* container)
{
    if (header)
        SetShown(container, Unfolded(header));
}

bool PerformancePanel::OnValueChanged(TNotifyUI& msg)
{
    auto* slider = qobject_cast<QAbstractSlider*>(msg.pSender);
    if (!slider)
        return false;
    const int value = slider->value();
    if (slider == m_brightness) {
        m_page.WithCurrent([value](ProfileRecord& p) { p.brightness = value; });
    } else if (slider == m_breathSpeed) {
        m_page.WithCurrent([value](ProfileRecord& p) { p.breath_speed = value; });
    } else if (slider == m_sleepSlider) {
        m_page.WithCurrent([value](ProfileRecord& p) { p.sleep_timer = value; });
        UpdateSleepLabel();
    } else {
        return m_stages.OnSlider(slider);
    }
    m_page.RequestSendAfterPause(kSliderPauseMs);
    return true;
}
