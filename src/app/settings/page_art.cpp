#include "app/settings/page_art.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

#include "ui/skin_loader.h"

namespace {

const QColor kAccent(0xd2, 0x26, 0x30);
const QColor kBody(0x26, 0x2a, 0x33);
const QColor kEdge(0x3a, 0x3f, 0x4b);
const QColor kLine(0x15, 0x17, 0x1c);
// Reads against the dark panel and the light one alike.
const QColor kLinkGreen(0x2f, 0xa3, 0x5f);

// A top view of the mouse: body, the two main buttons split by the wheel, side buttons on the
// left flank. Drawn in a 200 x 300 box; the button slots' highlights are placed on it by the skin.
class MouseDrawing final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(width() / 200.0, height() / 300.0);

        QPainterPath body;
        body.moveTo(100, 18);
        body.cubicTo(160, 18, 176, 70, 176, 130);
        body.cubicTo(176, 220, 160, 288, 100, 288);
        body.cubicTo(40, 288, 24, 220, 24, 130);
        body.cubicTo(24, 70, 40, 18, 100, 18);
        p.setPen(QPen(kEdge, 3));
        p.setBrush(kBody);
        p.drawPath(body);

        // Split between the buttons and the line that ends them.
        p.setPen(QPen(kLine, 3));
        p.drawLine(QPointF(100, 20), QPointF(100, 140));
        QPainterPath buttonsEnd;
        buttonsEnd.moveTo(27, 140);
        buttonsEnd.quadTo(100, 158, 173, 140);
        p.setBrush(Qt::NoBrush);
        p.drawPath(buttonsEnd);

        // Wheel and the DPI buttons behind it.
        p.setPen(QPen(kEdge, 2));
        p.setBrush(kLine);
        p.drawRoundedRect(QRectF(91, 44, 18, 36), 8, 8);
        p.setPen(QPen(kAccent, 2));
        for (int i = 0; i < 4; ++i)
            p.drawLine(QPointF(95, 52 + i * 7), QPointF(105, 52 + i * 7));
        p.setPen(QPen(kEdge, 2));
        p.setBrush(kBody.lighter(115));
        p.drawRoundedRect(QRectF(93, 86, 14, 12), 3, 3);
        p.drawRoundedRect(QRectF(93, 104, 14, 12), 3, 3);

        // Side buttons on the left flank.
        p.drawRoundedRect(QRectF(28, 150, 10, 30), 4, 4);
        p.drawRoundedRect(QRectF(28, 186, 10, 30), 4, 4);

        // The lighting strip round the back.
        QPainterPath strip;
        strip.moveTo(52, 250);
        strip.quadTo(100, 280, 148, 250);
        p.setPen(QPen(kAccent, 4, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(strip);
    }
};

void DrawCable(QPainter& p)
{
    // A USB plug: the connector shell with its two contacts and a short cable.
    p.setPen(QPen(kLinkGreen, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(6, 3, 12, 10), 1.5, 1.5);
    p.fillRect(QRectF(8.5, 5.5, 2.5, 2.5), kLinkGreen);
    p.fillRect(QRectF(13, 5.5, 2.5, 2.5), kLinkGreen);
    p.drawRoundedRect(QRectF(8, 13, 8, 4), 1, 1);
    p.drawLine(QPointF(12, 17), QPointF(12, 22));
}

void DrawReceiver(QPainter& p)
{
    // Radio waves over a dot.
    p.setPen(QPen(kLinkGreen, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (int r = 1; r <= 3; ++r) {
        const qreal radius = 5.5 * r;
        p.drawArc(QRectF(12 - radius, 19 - radius, 2 * radius, 2 * radius), 50 * 16, 80 * 16);
    }
    p.setBrush(kLinkGreen);
    p.drawEllipse(QPointF(12, 19), 2.2, 2.2);
}

void DrawBle(QPainter& p)
{
    // The runic B of the short-range radio.
    p.setPen(QPen(kLinkGreen, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath rune;
    rune.moveTo(6, 7);
    rune.lineTo(17, 16);
    rune.lineTo(12, 21);
    rune.lineTo(12, 3);
    rune.lineTo(17, 8);
    rune.lineTo(6, 17);
    p.drawPath(rune);
}

}  // namespace

void RegisterPageArtWidgets()
{
    RegisterSkinWidget(QStringLiteral("MouseDrawing"),
                       [](QWidget* parent, const QString& name) {
                           auto* drawing = new MouseDrawing(parent);
                           drawing->setObjectName(name);
                           return drawing;
                       });
}

QPixmap DrawLinkIcon(LinkIcon icon, int logicalSize, qreal devicePixelRatio)
{
    QPixmap pixmap(QSize(logicalSize, logicalSize) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(logicalSize / 24.0, logicalSize / 24.0);
    switch (icon) {
    case LinkIcon::Cable: DrawCable(p); break;
    case LinkIcon::Receiver: DrawReceiver(p); break;
    case LinkIcon::Ble: DrawBle(p); break;
    }
    return pixmap;
}

void ShowLinkIcon(QLabel* label, LinkIcon icon)
{
    if (!label)
        return;
    label->setScaledContents(false);
    label->setPixmap(DrawLinkIcon(icon, label->minimumWidth() > 0 ? label->minimumWidth() : 20,
                                  label->devicePixelRatioF()));
}
