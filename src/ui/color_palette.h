#pragma once

#include <QWidget>
#include <cstdint>

// The toolkit's colour palette: a saturation/value area above a hue bar. A colour is picked with
// the mouse (press and drag) or the keyboard (arrow keys move the selection in the area, Page Up
// and Page Down move along the hue bar). While a pick goes on the palette signals colorChanged;
// when the button or key is released it signals colorChangedButtonUp. The paint manager turns
// both into the notifications "colorchanged" and "colorchangedbuttonup".
class CColorPaletteUI final : public QWidget {
    Q_OBJECT

public:
    static inline const char* const kClassName = "CColorPaletteUI";

    explicit CColorPaletteUI(QWidget* parent = nullptr);

    // Selects a colour (0xAARRGGBB) without signalling. The hue and saturation of the marker are
    // kept where the colour does not fix them (greys, black).
    void SetSelectColor(std::uint32_t argb);
    // The selected colour, 0xAARRGGBB; a colour picked on the palette is always opaque.
    std::uint32_t GetSelectColor() const { return m_selected; }

    // Where the marker stands, each 0..1 (hue 1 is red again).
    double Hue() const { return m_hue; }
    double Saturation() const { return m_saturation; }
    double Value() const { return m_value; }

    // The part of the widget each picker takes.
    QRect SaturationValueRect() const;
    QRect HueRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void colorChanged(std::uint32_t argb);
    void colorChangedButtonUp(std::uint32_t argb);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    enum class Drag { None, SaturationValue, Hue };

    void PickAt(const QPoint& pos);
    // Takes the marker's place as the selected colour and signals colorChanged when it moved.
    void SelectFromMarker();
    void FinishPick();
    void AnnounceValue();

    double m_hue = 0.0;
    double m_saturation = 0.0;
    double m_value = 0.0;
    std::uint32_t m_selected = 0xFF000000;
    Drag m_drag = Drag::None;
    int m_keyHeld = 0;  // the key whose release ends a keyboard pick
};

// The selected colour as text, "#RRGGBB" (what assistive technology reads as the palette's value).
QString ColorName(std::uint32_t argb);
