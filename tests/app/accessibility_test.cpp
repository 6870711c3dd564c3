// Every interactive control of every window has a name a screen reader can speak.
#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleInterface>
#include <QKeyEvent>
#include <QSlider>
#include <QWidget>

#include "app/settings/profile_name_wnd.h"
#include "app/shell/msg_wnd.h"
#include "page_window_fixture.h"

namespace {

bool NeedsName(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::Slider:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::List:
        return true;
    default:
        return false;
    }
}

void CollectUnnamed(QAccessibleInterface* node, QStringList& unnamed, int depth = 0)
{
    if (!node || depth > 64)
        return;
    if (NeedsName(node->role()) && node->text(QAccessible::Name).trimmed().isEmpty()) {
        QObject* object = node->object();
        unnamed << (object ? object->objectName() : QStringLiteral("?"));
    }
    for (int i = 0; i < node->childCount(); ++i)
        CollectUnnamed(node->child(i), unnamed, depth + 1);
}

QStringList UnnamedControls(QWidget* window)
{
    QStringList unnamed;
    CollectUnnamed(QAccessible::queryAccessibleInterface(window), unnamed);
    return unnamed;
}

using AccessibilityTest = PageWindowTest;

TEST_F(AccessibilityTest, EveryControlOfTheMainWindowHasAName)
{
    window->GetHWND()->show();
    EXPECT_EQ(UnnamedControls(window->GetHWND()), QStringList());
    // The title-bar buttons say what they do, not which glyph they show.
    EXPECT_EQ(Control(QStringLiteral("exit_btn"))->accessibleName(), QStringLiteral("Close"));
    EXPECT_EQ(Control(QStringLiteral("min_btn"))->accessibleName(), QStringLiteral("Minimise"));
    EXPECT_EQ(Control(QStringLiteral("ms_1_slider_dpi_3"))->accessibleName(), QStringLiteral("DPI of stage 3"));
}

TEST_F(AccessibilityTest, EveryControlOfTheDialogsHasAName)
{
    CMS_1_ProfileName dialog(QStringLiteral("profile_name_1_text"), {});
    ASSERT_TRUE(dialog.Create(window.get(), WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow));
    EXPECT_EQ(UnnamedControls(dialog.GetHWND()), QStringList());
    CMsgWnd box(QStringLiteral("warning_title_text"), QStringLiteral("restore_text"));
    ASSERT_TRUE(box.Create(window.get(), WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow));
    EXPECT_EQ(UnnamedControls(box.GetHWND()), QStringList());
}

TEST_F(AccessibilityTest, SlidersAndOptionsFollowTheArrowKeys)
{
    window->GetHWND()->show();
    auto* slider = Control<QSlider>(QStringLiteral("ms_1_slider_dpi_2"));
    const int before = slider->value();
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QCoreApplication::sendEvent(slider, &up);
    EXPECT_EQ(slider->value(), before + 1);
    EXPECT_EQ(Current().dpi_value[1], before + 1);

    auto* first = Control<QAbstractButton>(QStringLiteral("ms_1_btn_prate_1"));
    first->click();
    first->setFocus();
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QCoreApplication::sendEvent(first, &right);
    EXPECT_TRUE(Control<QAbstractButton>(QStringLiteral("ms_1_btn_prate_2"))->isChecked());
    EXPECT_EQ(Current().polling_rate, 1);
}

}  // namespace
