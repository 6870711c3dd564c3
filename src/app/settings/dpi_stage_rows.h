#pragma once

#include <array>
#include <cstdint>

class CPaintManagerUI;
class PageServices;
class QAbstractButton;
class QAbstractSlider;
class QSpinBox;
class QWidget;

// The eight DPI stage rows of the performance panel: the option that makes a stage current, its
// on/off box (whether the mouse's DPI button visits it), its slider and its editable DPI value.
// A stage that is off cannot be made current and shows no DPI; at least one stage stays on. The
// value takes typed DPI, snapped to the mouse's step of 40 DPI and shown as snapped.
class DpiStageRows {
public:
    static constexpr int kDpiUnit = 40;
    static constexpr int kSliderPauseMs = 500;

    explicit DpiStageRows(PageServices& page);

    void FindControls(CPaintManagerUI& ui);
    // Shows every stage of the current profile.
    void Refresh();
    void SelectStageOption(int stageNumber);  // 1..8, without notification

    // True when the control was one of the rows'.
    bool OnStageOption(QWidget* sender);
    bool OnStageCheck(QWidget* sender);
    bool OnSlider(QAbstractSlider* slider);

private:
    struct Row {
        QAbstractButton* option = nullptr;
        QAbstractButton* onCheck = nullptr;
        QAbstractSlider* slider = nullptr;
        QSpinBox* value = nullptr;
    };

    void OnValueTyped(int stage, int dpi);
    // The stored DPI of a stage, in the slider's units, shown in its slider and value.
    void ShowDpi(int stage, std::int32_t dpiValue);
    std::int32_t MinimumDpiValue() const;
    std::int32_t MaximumDpiValue() const;

    PageServices& m_page;
    std::array<Row, 8> m_rows{};
};
