#include "ui/elided_button_text.h"

#include <QEvent>
#include <QMenu>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>

namespace {

constexpr char kElidingProperty[] = "elideText";

// The option QPushButton paints itself with (its own filler is not public).
QStyleOptionButton PaintOption(const QPushButton& button)
{
    QStyleOptionButton option;
    option.initFrom(&button);
    option.features = QStyleOptionButton::None;
    if (button.isFlat())
        option.features |= QStyleOptionButton::Flat;
    if (button.menu())
        option.features |= QStyleOptionButton::HasMenu;
    if (button.autoDefault())
        option.features |= QStyleOptionButton::AutoDefaultButton;
    if (button.isDefault())
        option.features |= QStyleOptionButton::DefaultButton;
    if (button.isDown() || (button.menu() && button.menu()->isVisible()))
        option.state |= QStyle::State_Sunken;
    if (button.isChecked())
        option.state |= QStyle::State_On;
    if (!button.isFlat() && !button.isDown())
        option.state |= QStyle::State_Raised;
    option.text = button.text();
    option.icon = button.icon();
    option.iconSize = button.iconSize();
    return option;
}

// The text shortened to the room the style leaves for it inside the button's frame and padding.
QString FittedText(const QPushButton& button, const QStyleOptionButton& option)
{
    int room = button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button).width();
    if (!option.icon.isNull())
        room -= option.iconSize.width() + 4;  // the gap the styles leave between icon and text
    if (button.menu())
        room -= button.style()->pixelMetric(QStyle::PM_MenuButtonIndicator, &option, &button);
    return button.fontMetrics().elidedText(option.text, Qt::ElideRight, std::max(room, 0), Qt::TextShowMnemonic);
}

class ElidingPainter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* button = qobject_cast<QPushButton*>(watched);
        if (event->type() != QEvent::Paint || !button)
            return false;
        QStyleOptionButton option = PaintOption(*button);
        const QString fitted = FittedText(*button, option);
        if (fitted == option.text)
            return false;  // it fits: the button paints itself as always
        option.text = fitted;
        QStylePainter painter(button);
        painter.drawControl(QStyle::CE_PushButton, option);
        return true;
    }
};

}  // namespace

void ElideTextWhenNarrow(QAbstractButton* button)
{
    auto* pushButton = qobject_cast<QPushButton*>(button);
    if (!pushButton || pushButton->property(kElidingProperty).toBool())
        return;
    pushButton->setProperty(kElidingProperty, true);
    pushButton->installEventFilter(new ElidingPainter(pushButton));
}

QString ShownButtonText(const QAbstractButton* button)
{
    const auto* pushButton = qobject_cast<const QPushButton*>(button);
    if (!pushButton || !pushButton->property(kElidingProperty).toBool())
        return button ? button->text() : QString();
    return FittedText(*pushButton, PaintOption(*pushButton));
}
