#include "app/macro/macro_action_rows.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>

#include "app/macro/macro_action_buffer.h"
#include "core/keys/key_tables.h"
#include "ui/controls.h"
#include "ui/resource_manager.h"
#include "ui/skin_loader.h"

namespace {

constexpr char kBkImageProperty[] = "bkimage";
constexpr char kImageLabelClass[] = "CImageLabelUI";

struct ParsedImage {
    QString file;
    QRect dest;
};

ParsedImage ParseImage(const QString& image)
{
    static const QRegularExpression res(QStringLiteral("res='([^']*)'"));
    static const QRegularExpression dest(QStringLiteral("dest='(-?\\d+),(-?\\d+),(-?\\d+),(-?\\d+)'"));
    ParsedImage parsed;
    if (const auto match = res.match(image); match.hasMatch())
        parsed.file = match.captured(1);
    if (const auto match = dest.match(image); match.hasMatch()) {
        const QPoint topLeft(match.captured(1).toInt(), match.captured(2).toInt());
        const QPoint bottomRight(match.captured(3).toInt(), match.captured(4).toInt());
        parsed.dest = QRect(topLeft, QSize(bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y()));
    }
    return parsed;
}

// A label that draws its background picture where the skin places it, keeping the picture's
// proportions inside that box, and its text over it.
class CImageLabelUI final : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        const ParsedImage image = ParseImage(property(kBkImageProperty).toString());
        const QPixmap pixmap = image.file.isEmpty() ? QPixmap() : CResourceManager::Instance().SkinPixmap(image.file);
        if (!pixmap.isNull()) {
            QRect box = image.dest.isValid() ? image.dest.intersected(rect()) : rect();
            QSize fitted = pixmap.size().scaled(box.size(), Qt::KeepAspectRatio);
            QRect target(QPoint(0, 0), fitted);
            target.moveCenter(box.center());
            QPainter painter(this);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawPixmap(target, pixmap);
        }
        QLabel::paintEvent(event);
    }
};

QWidget* Part(QWidget* row, const char* name)
{
    return row ? row->findChild<QWidget*>(QLatin1String(name)) : nullptr;
}

bool IsMouseCode(std::uint8_t code)
{
    return code >= MouseButtonCode::kLeft && code <= MouseButtonCode::kForward;
}

}  // namespace

QString ControlBkImage(const QWidget* control)
{
    return control ? control->property(kBkImageProperty).toString() : QString();
}

void SetControlBkImage(QWidget* control, const QString& image)
{
    if (!control)
        return;
    control->setProperty(kBkImageProperty, image);
    control->update();
}

namespace ActionRow {

void RegisterWidgets()
{
    RegisterSkinWidget(QLatin1String(kImageLabelClass), [](QWidget* parent, const QString& name) {
        auto* label = new CImageLabelUI(parent);
        label->setObjectName(name);
        return label;
    });
}

QWidget* Create(QString* error)
{
    QWidget* row = LoadSkin(QLatin1String(kSkinFile), nullptr, error);
    if (row)
        row->setFixedHeight(kHeight);
    return row;
}

void FillKey(QWidget* row, std::uint8_t code, bool moved)
{
    QWidget* key = Part(row, "key");
    if (!key)
        return;
    SetControlText(key, UsageName(code));
    SetControlBkImage(key, IsMouseCode(code) ? (moved ? kMovedMouseImage : kMouseImage) : kKeyboardImage);
}

void Fill(QWidget* row, const MacroActionBuffer& buffer, int index, bool moved)
{
    if (!row || !buffer.Contains(index))
        return;
    const MacroActionSlot& slot = buffer.actions[std::size_t(index)];
    FillKey(row, slot.key_code, moved);
    const bool press = slot.kind == std::uint8_t(MacroActionKind::Press);
    if (QWidget* action = Part(row, "action")) {
        SetControlText(action, CResourceManager::Instance().GetText(press ? QStringLiteral("key_down_action")
                                                                           : QStringLiteral("key_up_action")));
        SetControlBkImage(action, press ? kPressImage : kReleaseImage);
    }
    if (QWidget* delay = Part(row, "delay"))
        SetControlText(delay, QString::number(buffer.ShownDelay(index)));
}

}  // namespace ActionRow
