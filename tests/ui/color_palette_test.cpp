// The colour palette control: picking with the mouse and the keyboard, and the notifications the
// toolkit raises for it.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <memory>
#include <vector>

#include "ui/color_palette.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"
#include "ui/skin_loader.h"

namespace {

class RecordingReceiver final : public INotifyUI {
public:
    void Notify(TNotifyUI& msg) override
    {
        if (msg.sType.startsWith(QLatin1String("colorchanged")))
            events.push_back({msg.sType, msg.pSender});
    }
    struct Event {
        QString type;
        QWidget* sender;
    };
    std::vector<Event> events;

    QStringList Types() const
    {
        QStringList types;
        for (const Event& event : events)
            types << event.type;
        return types;
    }
};

void SendMouse(QWidget* widget, QEvent::Type type, const QPoint& pos, Qt::MouseButtons buttons)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(pos), QPointF(widget->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void PressKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(widget, &release);
}

// A palette in a small skin of its own, wired up as a window wires its controls.
class PaletteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = std::make_unique<QWidget>();
        root->resize(200, 160);
        palette = new CColorPaletteUI(root.get());
        palette->setObjectName(QStringLiteral("palette"));
        palette->setGeometry(0, 0, 200, 160);
        manager.AttachSkin(root.get());
    }

    RecordingReceiver receiver;
    CPaintManagerUI manager{&receiver};
    std::unique_ptr<QWidget> root;
    CColorPaletteUI* palette = nullptr;
};

TEST_F(PaletteTest, SelectingAColourRaisesNothingAndReadsBack)
{
    palette->SetSelectColor(0xFF112233);
    EXPECT_EQ(palette->GetSelectColor(), 0xFF112233u);
    palette->SetSelectColor(0x80FF0000);
    EXPECT_EQ(palette->GetSelectColor(), 0x80FF0000u);
    EXPECT_TRUE(receiver.events.empty());
}

TEST_F(PaletteTest, DragRaisesColorChangedThenButtonUpOnRelease)
{
    palette->SetSelectColor(0xFFFF0000);  // hue red
    const QRect area = palette->SaturationValueRect();
    SendMouse(palette, QEvent::MouseButtonPress, area.center(), Qt::LeftButton);
    SendMouse(palette, QEvent::MouseMove, area.center() + QPoint(10, 5), Qt::LeftButton);
    EXPECT_EQ(receiver.Types(), (QStringList{"colorchanged", "colorchanged"}));
    // The top-right corner of the area is the pure hue; a drag past it stays at the edge.
    SendMouse(palette, QEvent::MouseMove, area.topRight() + QPoint(30, -30), Qt::LeftButton);
    EXPECT_EQ(palette->GetSelectColor(), 0xFFFF0000u);
    SendMouse(palette, QEvent::MouseButtonRelease, area.topRight(), Qt::NoButton);
    ASSERT_FALSE(receiver.events.empty());
    EXPECT_EQ(receiver.events.back().type, QStringLiteral("colorchangedbuttonup"));
    EXPECT_EQ(receiver.events.back().sender, palette);
    EXPECT_EQ(receiver.Types().count(QStringLiteral("colorchangedbuttonup")), 1);
    for (const auto& event : receiver.events)
        EXPECT_EQ(event.sender, palette);
    EXPECT_EQ(palette->GetSelectColor(), 0xFFFF0000u);
}

TEST_F(PaletteTest, MousePicksSaturationValueAndHue)
{
    palette->SetSelectColor(0xFFFF0000);
    const QRect area = palette->SaturationValueRect();
    SendMouse(palette, QEvent::MouseButtonPress, area.bottomLeft(), Qt::LeftButton);
    SendMouse(palette, QEvent::MouseButtonRelease, area.bottomLeft(), Qt::NoButton);
    EXPECT_EQ(palette->GetSelectColor(), 0xFF000000u);  // no brightness: black
    SendMouse(palette, QEvent::MouseButtonPress, area.topLeft(), Qt::LeftButton);
    SendMouse(palette, QEvent::MouseButtonRelease, area.topLeft(), Qt::NoButton);
    EXPECT_EQ(palette->GetSelectColor(), 0xFFFFFFFFu);  // no saturation, full brightness: white
    SendMouse(palette, QEvent::MouseButtonPress, area.topRight(), Qt::LeftButton);
    SendMouse(palette, QEvent::MouseButtonRelease, area.topRight(), Qt::NoButton);
    // A third along the hue bar is green.
    const QRect hueBar = palette->HueRect();
    const QPoint green(hueBar.left() + (hueBar.width() - 1) / 3, hueBar.center().y());
    SendMouse(palette, QEvent::MouseButtonPress, green, Qt::LeftButton);
    SendMouse(palette, QEvent::MouseButtonRelease, green, Qt::NoButton);
    const std::uint32_t picked = palette->GetSelectColor();
    EXPECT_EQ(picked >> 24, 0xFFu);
    EXPECT_LE((picked >> 16) & 0xFF, 8u);
    EXPECT_EQ((picked >> 8) & 0xFF, 0xFFu);
    EXPECT_EQ(picked & 0xFF, 0u);
}

TEST_F(PaletteTest, ArrowKeysMoveTheSelection)
{
    palette->SetSelectColor(0xFF808080);
    const double saturation = palette->Saturation();
    const double value = palette->Value();
    PressKey(palette, Qt::Key_Right);
    EXPECT_GT(palette->Saturation(), saturation);
    EXPECT_EQ(receiver.Types(), (QStringList{"colorchanged", "colorchangedbuttonup"}));
    PressKey(palette, Qt::Key_Down);
    EXPECT_LT(palette->Value(), value);
    PressKey(palette, Qt::Key_Left);
    PressKey(palette, Qt::Key_Up);
    EXPECT_DOUBLE_EQ(palette->Saturation(), saturation);
    EXPECT_NEAR(palette->Value(), value, 1e-9);
    EXPECT_EQ(receiver.events.size(), 8u);
    // The selection ends at the edges instead of wrapping.
    for (int i = 0; i < 80; ++i)
        PressKey(palette, Qt::Key_Up);
    EXPECT_DOUBLE_EQ(palette->Value(), 1.0);
    const double hue = palette->Hue();
    PressKey(palette, Qt::Key_PageUp);
    EXPECT_GT(palette->Hue(), hue);
    // Keys the palette does not use pass on and raise nothing.
    const std::size_t before = receiver.events.size();
    PressKey(palette, Qt::Key_A);
    EXPECT_EQ(receiver.events.size(), before);
}

TEST_F(PaletteTest, GreyKeepsTheHueOfTheMarker)
{
    palette->SetSelectColor(0xFF0000FF);  // blue: two thirds round the hue bar
    const double blueHue = palette->Hue();
    EXPECT_NEAR(blueHue, 2.0 / 3.0, 0.01);
    palette->SetSelectColor(0xFF808080);
    EXPECT_DOUBLE_EQ(palette->Hue(), blueHue);
    palette->SetSelectColor(0xFF000000);
    EXPECT_DOUBLE_EQ(palette->Hue(), blueHue);
}

TEST(PaletteSkin, SkinsCanHoldThePaletteWithItsAccessibleName)
{
    std::unique_ptr<QWidget> root(LoadSkin(QStringLiteral("DpiColorDialog.xml"), nullptr));
    ASSERT_TRUE(root);
    auto* palette = root->findChild<CColorPaletteUI*>(QStringLiteral("ColorPallet"));
    ASSERT_TRUE(palette);
    EXPECT_EQ(palette->accessibleName(), CResourceManager::Instance().GetText(QStringLiteral("acc_color_palette_text")));
    EXPECT_FALSE(palette->accessibleName().isEmpty());
    EXPECT_FALSE(palette->accessibleDescription().isEmpty());
    EXPECT_NE(palette->focusPolicy() & Qt::TabFocus, 0);

    palette->SetSelectColor(0xFF1EB40A);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(palette);
    ASSERT_TRUE(accessible);
    EXPECT_EQ(accessible->role(), QAccessible::ColorChooser);
    EXPECT_EQ(accessible->text(QAccessible::Name), palette->accessibleName());
    EXPECT_EQ(accessible->text(QAccessible::Value), QStringLiteral("#1EB40A"));
}

}  // namespace
