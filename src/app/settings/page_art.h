#pragma once

#include <QPixmap>

class QLabel;

// The page's own drawings, painted at the screen's scale so that they stay sharp at any zoom:
// the mouse the button slots sit on (skin class "MouseDrawing") and the link icons.
void RegisterPageArtWidgets();

enum class LinkIcon { Cable, Receiver, Ble };
QPixmap DrawLinkIcon(LinkIcon icon, int logicalSize, qreal devicePixelRatio);
// Sets the icon on a label at the label's own size and scale.
void ShowLinkIcon(QLabel* label, LinkIcon icon);
