// The colour palette control: picking with the mouse and the keyboard, the notifications the
// toolkit raises for it, and what assistive technology learns of it.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <memory>

#include "ui/color_palette.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"
#include "ui/skin_loader.h"

namespace {

// A palette in a small skin of its own, wired up as a window wires its controls; it keeps the
// colour notifications it raises.
class PaletteTest : public ::testing::Test, public INotifyUI {
protected:
    void SetUp() override { palette->setGeometry(0, 0, 200, 160), manager.AttachSkin(&root); }
    void Notify(TNotifyUI& msg) override {
        if (msg.sType.startsWith(QLatin1String("colorchanged")))
            raised << msg.sType + (msg.pSender == palette ? QString() : QStringLiteral(" from elsewhere"));
    }
    void Mouse(QEvent::Type type, const QPoint& at) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(at), QPointF(palette->mapToGlobal(at)), button,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(palette, &event);
    }
    void Click(const QPoint& at) { Mouse(QEvent::MouseButtonPress, at), Mouse(QEvent::MouseButtonRelease, at); }
    void Key(int key, int times = 1) {
        for (int i = 0; i < 2 * times; ++i) {
            QKeyEvent event(i % 2 ? QEvent::KeyRelease : QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(palette, &event);
        }
    }

    CPaintManagerUI manager{this};
    QWidget root;
    CColorPaletteUI* palette = new CColorPaletteUI(&root);
    QStringList raised;
};

TEST_F(PaletteTest, MousePicksSaturationValueAndHueAndADragRaisesChangesThenOneButtonUp) {
    palette->SetSelectColor(0xFFFF0000);  // hue red; setting a colour raises nothing
    const QRect area = palette->SaturationValueRect(), hue = palette->HueRect();
    Mouse(QEvent::MouseButtonPress, area.center());
    Mouse(QEvent::MouseMove, area.center() + QPoint(10, 5));
    EXPECT_EQ(raised, (QStringList{"colorchanged", "colorchanged"}));
    // The top-right corner of the area is the pure hue; a drag past it stays at the edge.
    Mouse(QEvent::MouseMove, area.topRight() + QPoint(30, -30));
    Mouse(QEvent::MouseButtonRelease, area.topRight());
    EXPECT_EQ(raised.mid(2), (QStringList{"colorchanged", "colorchanged", "colorchangedbuttonup"}));
    const struct { QPoint at; std::uint32_t argb; int redSlack; /* for rounding along the hue bar */ } picks[] = {{area.topRight(), 0xFFFF0000, 0}, {area.bottomLeft(), 0xFF000000, 0} /* no brightness */,
                 {area.topLeft(), 0xFFFFFFFF, 0} /* no saturation */, {area.topRight(), 0xFFFF0000, 0},
                 {QPoint(hue.left() + (hue.width() - 1) / 3, hue.center().y()), 0xFF00FF00, 8} /* a third along */};
    for (const auto& pick : picks) {
        Click(pick.at);
        const std::uint32_t got = palette->GetSelectColor();
        EXPECT_EQ(got & 0xFF00FFFF, pick.argb & 0xFF00FFFF) << std::hex << got;
        EXPECT_LE(std::abs(int((got >> 16) & 0xFF) - int((pick.argb >> 16) & 0xFF)), pick.redSlack) << std::hex << got;
    }
}

// Arrows move the selection (each raising a change and a button-up) and stop at the edges; Page
// Up moves the hue; other keys pass on. Grey keeps the hue of the marker.
TEST_F(PaletteTest, KeysMoveTheSelectionAndGreyKeepsTheHue) {
    palette->SetSelectColor(0xFF808080);
    const auto [saturation, value] = std::pair(palette->Saturation(), palette->Value());
    Key(Qt::Key_Right);
    EXPECT_GT(palette->Saturation(), saturation);
    EXPECT_EQ(raised, (QStringList{"colorchanged", "colorchangedbuttonup"}));
    Key(Qt::Key_Down);
    EXPECT_LT(palette->Value(), value);
    Key(Qt::Key_Left), Key(Qt::Key_Up);
    EXPECT_DOUBLE_EQ(palette->Saturation(), saturation);
    EXPECT_NEAR(palette->Value(), value, 1e-9);
    EXPECT_EQ(raised.size(), 8);
    Key(Qt::Key_Up, 80);  // stops at the edge
    EXPECT_DOUBLE_EQ(palette->Value(), 1.0);
    const double before = palette->Hue();
    Key(Qt::Key_PageUp);
    EXPECT_GT(palette->Hue(), before);
    raised.clear();
    Key(Qt::Key_A);
    EXPECT_EQ(raised, QStringList());
    palette->SetSelectColor(0xFF0000FF);  // blue: two thirds round the hue bar
    const double blue = palette->Hue();
    ASSERT_NEAR(blue, 2.0 / 3.0, 0.01);
    for (std::uint32_t grey : {0xFF808080u, 0xFF000000u}) {
        palette->SetSelectColor(grey);
        EXPECT_EQ(std::pair(palette->Hue(), palette->GetSelectColor()), std::pair(blue, grey));
    }
}

TEST(PaletteSkin, TheDialogsPaletteIsNamedForAssistiveTechnologyAndReachedByTab) {
    std::unique_ptr<QWidget> root(LoadSkin(QStringLiteral("DpiColorDialog.xml"), nullptr));
    auto* palette = root ? root->findChild<CColorPaletteUI*>(QStringLiteral("ColorPallet")) : nullptr;
    ASSERT_TRUE(palette);
    EXPECT_EQ(palette->accessibleName(), CResourceManager::Instance().GetText(QStringLiteral("acc_color_palette_text")));
    EXPECT_FALSE(palette->accessibleName().isEmpty() || palette->accessibleDescription().isEmpty());
    EXPECT_NE(palette->focusPolicy() & Qt::TabFocus, 0);
    palette->SetSelectColor(0xFF1EB40A);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(palette);
    ASSERT_TRUE(accessible);
    EXPECT_EQ(std::tuple(accessible->role(), accessible->text(QAccessible::Name), accessible->text(QAccessible::Value)),
              std::tuple(QAccessible::ColorChooser, palette->accessibleName(), QStringLiteral("#1EB40A")));
}

}  // namespace
