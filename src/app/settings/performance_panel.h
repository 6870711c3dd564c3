#pragma once

#include <QString>
#include <cstdint>
#include <functional>

#include "app/settings/dpi_stage_rows.h"
#include "ui/notify.h"

class CPaintManagerUI;
class PageServices;
class QAbstractButton;
class QAbstractSlider;
class QComboBox;
class QWidget;

// The performance and lighting panel: DPI stages (their rows in DpiStageRows) with their colours,
// lighting effect, brightness, breath speed and colour, polling rate, sleep timer, movement mode,
// the section headers that fold sections in and out, and the link-dependent layout. Every edit writes the current profile in place and asks for a send,
// at once or after the settings debounce pause.
class PerformancePanel {
public:
    static constexpr int kSliderPauseMs = 500;
    static constexpr int kComboPauseMs = 200;
    static constexpr int kDpiUnit = DpiStageRows::kDpiUnit;

    // Picks a colour for a colour button: given the shown colour 0xFFRRGGBB, returns true and the
    // new one when the user confirmed.
    using ColorPicker = std::function<bool(QWidget* button, std::uint32_t& argb)>;

    explicit PerformancePanel(PageServices& page);

    void FindControls(CPaintManagerUI& ui);
    void SetColorPicker(ColorPicker picker) { m_colorPicker = std::move(picker); }

    void Refresh();
    // Chooses the cable/receiver or the Bluetooth LE variant from the links; with neither up the
    // page stays as it is.
    void ApplyLinkLayout();
    enum class LinkLayout { CableOrReceiver, Ble };
    void ShowLinkLayout(LinkLayout layout);
    void UpdateSleepLabel();
    void UpdateLightRows(int effect);
    void SelectDpiStageOption(int stageNumber);

    // True when the notification was one of this panel's.
    bool OnClick(TNotifyUI& msg);
    bool OnSelectChanged(TNotifyUI& msg);
    bool OnItemSelect(TNotifyUI& msg);
    bool OnCheckClick(TNotifyUI& msg);
    bool OnValueChanged(TNotifyUI& msg);

    static std::uint32_t ShownColor(std::int32_t stored);
    static std::int32_t StoredColor(std::uint32_t shown);

private:
    // stage 0..7 for a DPI colour, -1 for the light colour.
    void PickColor(QWidget* button, int stage);
    void ShowPollingLabel(int pollingRate);
    // Selects the polling option of a stored rate; a rate the options do not hold selects none,
    // so that choosing any of them sends it.
    void SelectPollingOption(int pollingRate);
    // A section header was toggled: its section shows as the header says.
    bool OnSectionHeader(QWidget* sender);
    static void ShowSectionFold(QAbstractButton* header, QWidget* container);
    // A header reads as unfolded by its arrow (a disclosure button) or by being checked.
    static bool Unfolded(const QAbstractButton* header);
    static void SetButtonColor(QWidget* button, std::uint32_t argb);

    PageServices& m_page;
    ColorPicker m_colorPicker;

    DpiStageRows m_stages;
    QWidget* m_dpiColors[8] = {};
    QComboBox* m_comboLight = nullptr;
    QComboBox* m_comboLightBle = nullptr;
    QAbstractSlider* m_brightness = nullptr;
    QAbstractSlider* m_breathSpeed = nullptr;
    QWidget* m_lightColor = nullptr;
    QWidget* m_rowBrightness = nullptr;
    QWidget* m_rowBreathSpeed = nullptr;
    QWidget* m_rowLightColor = nullptr;
    QAbstractButton* m_prateOptions[4] = {};
    QWidget* m_prateLabel = nullptr;
    QAbstractSlider* m_sleepSlider = nullptr;
    QWidget* m_sleepLabel = nullptr;
    QAbstractButton* m_moveMode = nullptr;
    QWidget* m_applyButton = nullptr;
    QWidget* m_mouseAttribute = nullptr;

    struct Section {
        QAbstractButton* check = nullptr;
        QWidget* container = nullptr;
    };
    Section m_sections[8];
    QAbstractButton* m_checkPrate = nullptr;
    QAbstractButton* m_checkPower = nullptr;
    QWidget* m_verPrate = nullptr;
    QWidget* m_verPower = nullptr;
};
