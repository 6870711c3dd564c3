#include "ui/color_palette.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QColor>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kHueBarHeight = 14;
constexpr int kGap = 6;
constexpr int kMarkerRadius = 5;
constexpr double kKeyStep = 0.02;
constexpr double kKeyStepLarge = 0.1;
constexpr double kHueKeyStep = 1.0 / 36.0;  // ten degrees
const QColor kBorder(0x34, 0x39, 0x45);
const QColor kFocus(0xd2, 0x26, 0x30);

double Clamp01(double value)
{
    return std::clamp(value, 0.0, 1.0);
}

double Fraction(int offset, int length)
{
    return length > 1 ? Clamp01(double(offset) / double(length - 1)) : 0.0;
}

// Assistive technology sees a colour chooser whose value is the selected colour.
class PaletteAccessible final : public QAccessibleWidget {
public:
    explicit PaletteAccessible(CColorPaletteUI* palette) : QAccessibleWidget(palette, QAccessible::ColorChooser) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return ColorName(static_cast<const CColorPaletteUI*>(widget())->GetSelectColor());
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* PaletteAccessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String(CColorPaletteUI::kClassName) && object && object->isWidgetType())
        return new PaletteAccessible(static_cast<CColorPaletteUI*>(object));
    return nullptr;
}

}  // namespace

QString ColorName(std::uint32_t argb)
{
    return QStringLiteral("#%1").arg(argb & 0xFFFFFFu, 6, 16, QLatin1Char('0')).toUpper();
}

CColorPaletteUI::CColorPaletteUI(QWidget* parent) : QWidget(parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(PaletteAccessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::CrossCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QSize CColorPaletteUI::sizeHint() const
{
    return {140, 124};
}

QSize CColorPaletteUI::minimumSizeHint() const
{
    return {60, 40 + kHueBarHeight + kGap};
}

QRect CColorPaletteUI::SaturationValueRect() const
{
    return QRect(1, 1, std::max(1, width() - 2), std::max(1, height() - kHueBarHeight - kGap - 2));
}

QRect CColorPaletteUI::HueRect() const
{
    return QRect(1, std::max(0, height() - kHueBarHeight - 1), std::max(1, width() - 2), kHueBarHeight);
}

void CColorPaletteUI::SetSelectColor(std::uint32_t argb)
{
    if (argb == m_selected)
        return;  // the marker stays where the user put it
    m_selected = argb;
    const QColor color = QColor::fromRgba(argb);
    const float hue = color.hsvHueF();
    if (hue >= 0.0f)
        m_hue = hue;  // greys have no hue of their own
    m_value = color.valueF();
    if (m_value > 0.0)
        m_saturation = color.hsvSaturationF();  // black has no saturation of its own
    update();
    AnnounceValue();
}

void CColorPaletteUI::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area = SaturationValueRect();
    painter.fillRect(area, QColor::fromHsvF(float(m_hue), 1.0f, 1.0f));
    QLinearGradient toWhite(area.topLeft(), area.topRight());
    toWhite.setColorAt(0.0, QColor(255, 255, 255, 255));
    toWhite.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.fillRect(area, toWhite);
    QLinearGradient toBlack(area.topLeft(), area.bottomLeft());
    toBlack.setColorAt(0.0, QColor(0, 0, 0, 0));
    toBlack.setColorAt(1.0, QColor(0, 0, 0, 255));
    painter.fillRect(area, toBlack);

    const QRect hueBar = HueRect();
    QLinearGradient hues(hueBar.topLeft(), hueBar.topRight());
    for (int i = 0; i <= 6; ++i)
        hues.setColorAt(i / 6.0, QColor::fromHsvF(i == 6 ? 1.0f : float(i) / 6.0f, 1.0f, 1.0f));
    painter.fillRect(hueBar, hues);

    painter.setPen(hasFocus() ? kFocus : kBorder);
    painter.drawRect(area.adjusted(-1, -1, 0, 0));
    painter.setPen(kBorder);
    painter.drawRect(hueBar.adjusted(-1, -1, 0, 0));

    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF marker(area.left() + m_saturation * (area.width() - 1), area.top() + (1.0 - m_value) * (area.height() - 1));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 3));
    painter.drawEllipse(marker, kMarkerRadius, kMarkerRadius);
    painter.setPen(QPen(Qt::white, 1.5));
    painter.drawEllipse(marker, kMarkerRadius, kMarkerRadius);

    const double hueX = hueBar.left() + m_hue * (hueBar.width() - 1);
    const QRectF hueMarker(hueX - 2.5, hueBar.top() - 2, 5, hueBar.height() + 4);
    painter.setPen(QPen(Qt::black, 2));
    painter.drawRoundedRect(hueMarker, 2, 2);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRoundedRect(hueMarker, 2, 2);
}

void CColorPaletteUI::PickAt(const QPoint& pos)
{
    if (m_drag == Drag::SaturationValue) {
        const QRect area = SaturationValueRect();
        m_saturation = Fraction(pos.x() - area.left(), area.width());
        m_value = 1.0 - Fraction(pos.y() - area.top(), area.height());
    } else if (m_drag == Drag::Hue) {
        const QRect hueBar = HueRect();
        m_hue = Fraction(pos.x() - hueBar.left(), hueBar.width());
    } else {
        return;
    }
    SelectFromMarker();
}

void CColorPaletteUI::SelectFromMarker()
{
    m_selected = QColor::fromHsvF(float(m_hue), float(m_saturation), float(m_value)).rgba();
    update();
    AnnounceValue();
    emit colorChanged(m_selected);
}

void CColorPaletteUI::FinishPick()
{
    m_drag = Drag::None;
    m_keyHeld = 0;
    emit colorChangedButtonUp(m_selected);
}

void CColorPaletteUI::AnnounceValue()
{
    if (!QAccessible::isActive())
        return;
    QAccessibleValueChangeEvent event(this, ColorName(m_selected));
    QAccessible::updateAccessibility(&event);
}

void CColorPaletteUI::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    // The hue bar takes the lower part including the gap above it, so a press never misses both.
    m_drag = pos.y() >= SaturationValueRect().bottom() + kGap / 2 ? Drag::Hue : Drag::SaturationValue;
    PickAt(pos);
    event->accept();
}

void CColorPaletteUI::mouseMoveEvent(QMouseEvent* event)
{
    if (m_drag == Drag::None || !(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    PickAt(event->position().toPoint());
    event->accept();
}

void CColorPaletteUI::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_drag == Drag::None) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    PickAt(event->position().toPoint());
    FinishPick();
    event->accept();
}

void CColorPaletteUI::keyPressEvent(QKeyEvent* event)
{
    const double step = (event->modifiers() & Qt::ShiftModifier) ? kKeyStepLarge : kKeyStep;
    switch (event->key()) {
    case Qt::Key_Left:
        m_saturation = Clamp01(m_saturation - step);
        break;
    case Qt::Key_Right:
        m_saturation = Clamp01(m_saturation + step);
        break;
    case Qt::Key_Up:
        m_value = Clamp01(m_value + step);
        break;
    case Qt::Key_Down:
        m_value = Clamp01(m_value - step);
        break;
    case Qt::Key_PageUp:
        m_hue = std::fmod(m_hue + kHueKeyStep, 1.0);
        break;
    case Qt::Key_PageDown:
        m_hue = std::fmod(m_hue - kHueKeyStep + 1.0, 1.0);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (!event->isAutoRepeat())
        m_keyHeld = event->key();
    SelectFromMarker();
    event->accept();
}

void CColorPaletteUI::keyReleaseEvent(QKeyEvent* event)
{
    if (event->isAutoRepeat() || m_keyHeld == 0 || event->key() != m_keyHeld) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    FinishPick();
    event->accept();
}

void CColorPaletteUI::focusOutEvent(QFocusEvent* event)
{
    // A pick that loses the focus half way still ends, so the listener sees the final colour.
    if (m_drag != Drag::None || m_keyHeld != 0)
        FinishPick();
    QWidget::focusOutEvent(event);
}
