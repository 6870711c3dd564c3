#include "app/settings/dpi_stage_rows.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QSpinBox>
#include <algorithm>
#include <cmath>

#include "app/settings/page_services.h"
#include "core/profile/dpi_stages.h"
#include "ui/controls.h"
#include "ui/paint_manager.h"

namespace {
// The slider's range when a skin has no slider: 200 to 4800 DPI.
constexpr std::int32_t kFallbackMinimum = 5;
constexpr std::int32_t kFallbackMaximum = 120;

// A control that is out of the way keeps its place, so the row does not shift.
void KeepPlaceWhenHidden(QWidget* control)
{
    if (!control)
        return;
    QSizePolicy policy = control->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    control->setSizePolicy(policy);
}
}  // namespace

DpiStageRows::DpiStageRows(PageServices& page) : m_page(page) {}

void DpiStageRows::FindControls(CPaintManagerUI& ui)
{
    for (int k = 0; k < int(m_rows.size()); ++k) {
        Row& row = m_rows[k];
        row.option = ui.FindControl<QAbstractButton>(QStringLiteral("ms_1_option_dpi_step_%1").arg(k + 1));
        row.onCheck = ui.FindControl<QAbstractButton>(QStringLiteral("ms_1_check_stage_%1").arg(k + 1));
        row.slider = ui.FindControl<QAbstractSlider>(QStringLiteral("ms_1_slider_dpi_%1").arg(k + 1));
        row.value = ui.FindControl<QSpinBox>(QStringLiteral("ms_1_edit_dpi_%1").arg(k + 1));
        KeepPlaceWhenHidden(row.slider);
        KeepPlaceWhenHidden(row.value);
        if (row.value) {
            // Typed values count on Enter or when the field is left, not at every key.
            row.value->setKeyboardTracking(false);
            row.value->setSingleStep(kDpiUnit);
            row.value->setRange(MinimumDpiValue() * kDpiUnit, MaximumDpiValue() * kDpiUnit);
            QObject::connect(row.value, &QSpinBox::valueChanged, row.value, [this, k](int dpi) { OnValueTyped(k, dpi); });
        }
    }
}

std::int32_t DpiStageRows::MinimumDpiValue() const
{
    return m_rows[0].slider ? m_rows[0].slider->minimum() : kFallbackMinimum;
}

std::int32_t DpiStageRows::MaximumDpiValue() const
{
    return m_rows[0].slider ? m_rows[0].slider->maximum() : kFallbackMaximum;
}

void DpiStageRows::Refresh()
{
    struct Shown {
        std::int32_t stage, dpi[8];
        bool on[8];
        int stagesOn;
    };
    const Shown shown = m_page.WithCurrent([](ProfileRecord& p) {
        Shown s{};
        s.stage = p.current_stage;
        for (int k = 0; k < 8; ++k) {
            s.dpi[k] = p.dpi_value[k];
            s.on[k] = StageIsOn(p, k);
        }
        s.stagesOn = StagesOn(p);
        return s;
    });
    for (int k = 0; k < int(m_rows.size()); ++k) {
        const Row& row = m_rows[k];
        if (row.onCheck) {
            SetSelected(row.onCheck, shown.on[k], false);
            // The last stage on cannot be turned off.
            row.onCheck->setEnabled(!(shown.on[k] && shown.stagesOn == 1));
        }
        if (row.option)
            row.option->setEnabled(shown.on[k]);
        SetShown(row.slider, shown.on[k]);
        SetShown(row.value, shown.on[k]);
        ShowDpi(k, shown.dpi[k]);
    }
    SelectStageOption(shown.stage + 1);
}

void DpiStageRows::ShowDpi(int stage, std::int32_t dpiValue)
{
    const Row& row = m_rows[stage];
    if (row.slider)
        SetControlValue(row.slider, dpiValue);
    if (row.value)
        SetControlValue(row.value, dpiValue * kDpiUnit);
}

void DpiStageRows::SelectStageOption(int stageNumber)
{
    if (stageNumber >= 1 && stageNumber <= 8 && m_rows[stageNumber - 1].option)
        SetSelected(m_rows[stageNumber - 1].option, true, false);
}

bool DpiStageRows::OnStageOption(QWidget* sender)
{
    for (int k = 0; k < int(m_rows.size()); ++k) {
        if (!sender || sender != m_rows[k].option)
            continue;
        const bool taken = m_page.WithCurrent([k](ProfileRecord& p) {
            if (!StageIsOn(p, k))
                return false;
            p.current_stage = k;
            return true;
        });
        if (taken)
            m_page.RequestSend();
        else  // a stage that is off never becomes current: the option shows the current one again
            Refresh();
        return true;
    }
    return false;
}

bool DpiStageRows::OnStageCheck(QWidget* sender)
{
    for (int k = 0; k < int(m_rows.size()); ++k) {
        if (!sender || sender != m_rows[k].onCheck)
            continue;
        const bool on = m_rows[k].onCheck->isChecked();
        const std::int32_t minimum = MinimumDpiValue();
        const bool changed = m_page.WithCurrent([&](ProfileRecord& p) {
            const bool was = StageIsOn(p, k);
            return SetStageOn(p, k, on, minimum) && was != on;
        });
        Refresh();
        if (changed)
            m_page.RequestSend();
        return true;
    }
    return false;
}

bool DpiStageRows::OnSlider(QAbstractSlider* slider)
{
    for (int k = 0; k < int(m_rows.size()); ++k) {
        if (!slider || slider != m_rows[k].slider)
            continue;
        const int value = slider->value();
        m_page.WithCurrent([k, value](ProfileRecord& p) { p.dpi_value[k] = value; });
        if (m_rows[k].value)
            SetControlValue(m_rows[k].value, value * kDpiUnit);
        m_page.RequestSendAfterPause(kSliderPauseMs);
        return true;
    }
    return false;
}

void DpiStageRows::OnValueTyped(int stage, int dpi)
{
    const auto units = std::clamp(std::int32_t(std::lround(double(dpi) / kDpiUnit)), MinimumDpiValue(), MaximumDpiValue());
    m_page.WithCurrent([stage, units](ProfileRecord& p) { p.dpi_value[stage] = units; });
    ShowDpi(stage, units);
    m_page.RequestSendAfterPause(kSliderPauseMs);
}
