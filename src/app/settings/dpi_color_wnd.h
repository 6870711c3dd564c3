#pragma once

#include <QPoint>
#include <QString>
#include <array>
#include <cstdint>

#include "ui/window_impl_base.h"

class CColorPaletteUI;
class QLineEdit;

// The small modal colour picker that opens below a colour button of the settings page: a palette,
// sixteen preset colours and decimal edits for red, green and blue, all kept in step with a
// preview. The creator sets the colour and the position before creating the window and reads the
// colour after a confirmed run.
class CDpiColorWnd final : public WindowImplBase {
public:
    static constexpr int kPresetCount = 16;
    static constexpr int kWidth = 250;
    static constexpr int kHeight = 200;
    // The preset colours, 0xAARRGGBB, in button order ("mouse_dpi_color_1" first).
    static const std::array<std::uint32_t, kPresetCount> kPresetColors;

    CDpiColorWnd() = default;

    QString WindowClassName() const override { return QStringLiteral("DpiColorWnd"); }
    QString SkinFileName() const override { return QStringLiteral("DpiColorDialog.xml"); }
    void Notify(TNotifyUI& msg) override;

    void SetCurrentColor(std::uint32_t argb) { m_currentColor = argb; }
    std::uint32_t CurrentColor() const { return m_currentColor; }
    // The screen point of the dialog's top-left corner; the dialog keeps itself on the screen.
    void SetPosition(const QPoint& topLeftOnScreen) { m_position = topLeftOnScreen; }

    // A profile keeps a colour as the bytes red, green, blue, 0 (red lowest); the dialog works in
    // opaque 0xFFRRGGBB.
    static std::uint32_t ArgbFromStored(std::uint32_t storedRgb0);
    static std::uint32_t StoredFromArgb(std::uint32_t argb);
    // The number typed into a colour edit: leading blanks, an optional sign, then the leading
    // digits; no digits give 0. Very long numbers saturate instead of overflowing.
    static long long ParseLenientDecimal(const QString& text);
    // Where the dialog goes on the work area: the wanted corner, moved just enough to fit.
    static QPoint KeepOnWorkArea(const QPoint& topLeft, const QSize& size, const QRect& workArea);

protected:
    void OnWindowBuilt() override;
    void OnClick(TNotifyUI& msg) override;

private:
    void OnTextChanged(TNotifyUI& msg);
    // Selects the colour everywhere: palette, preview and edits.
    void ShowColor(std::uint32_t argb);
    void PaintPreview(std::uint32_t argb);
    void FillEdits(std::uint32_t argb);

    std::uint32_t m_currentColor = 0xFF000000;
    QPoint m_position;
    QWidget* m_confirmButton = nullptr;
    QWidget* m_cancelButton = nullptr;
    QWidget* m_preview = nullptr;
    CColorPaletteUI* m_palette = nullptr;
    QLineEdit* m_redEdit = nullptr;
    QLineEdit* m_greenEdit = nullptr;
    QLineEdit* m_blueEdit = nullptr;
    std::array<QWidget*, kPresetCount> m_presetButtons{};
};

// Runs the colour dialog for a colour button of the main window: the dialog opens below the
// button, 200 pixels to its left, starting from the stored colour (bytes R, G, B, 0). On confirm
// the chosen colour is written back into storedColor and the result is true; on cancel (or when
// the dialog cannot be built) storedColor is left as it was and the result is false.
bool RunDpiColorDialog(WindowImplBase* mainWindow, QWidget* clickedButton, std::uint32_t& storedColor);
