// The colour dialog, run as the settings page runs it, driven through its real controls.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QFile>
#include <QKeySequence>
#include <QMouseEvent>
#include <QShortcut>
#include <QTemporaryDir>
#include <functional>

#include "app/settings/dpi_color_wnd.h"
#include "app/shell/msg_wnd.h"
#include "support/ui_test_support.h"
#include "ui/color_palette.h"
#include "ui/controls.h"
#include "ui/resource_manager.h"
#include "ui/work_area.h"

namespace {

QLineEdit* Edit(WindowImplBase& dialog, const char* name)
{
    return dialog.PaintManager().FindControl<QLineEdit>(QLatin1String(name));
}

CColorPaletteUI* Palette(WindowImplBase& dialog)
{
    return dialog.PaintManager().FindControl<CColorPaletteUI>(QStringLiteral("ColorPallet"));
}

std::uint32_t PreviewColor(WindowImplBase& dialog)
{
    return dialog.PaintManager().FindControl(QStringLiteral("color_show_control"))->property("bkColor").toUInt();
}

// Types as the user does: the first key replaces what the edit holds.
void TypeInto(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
        QKeyEvent release(QEvent::KeyRelease, c.toUpper().unicode(), Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &release);
    }
}

void ClearEdit(QLineEdit* edit)
{
    edit->setFocus();
    edit->selectAll();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QApplication::sendEvent(edit, &press);
}

void SendMouse(QWidget* widget, QEvent::Type type, const QPoint& pos)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(pos), QPointF(widget->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// A stand-in for the main window: a skinned window with a button to open the dialog below.
class DpiColorDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetWorkAreaProvider([] { return QRect(0, 0, 1920, 1040); });
        ASSERT_TRUE(owner.Create(nullptr, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow));
        owner.GetHWND()->move(400, 300);
        ProcessPending();
        button = owner.PaintManager().FindControl(QStringLiteral("btn_ok"));
        ASSERT_TRUE(button);
    }
    void TearDown() override
    {
        owner.DestroyWindow();
        ProcessPending();
        SetWorkAreaProvider({});
    }

    // Opens the dialog for the stored colour and lets the script act on it; the script ends the
    // dialog with a click (a dialog left open counts as cancelled).
    bool Run(std::uint32_t& stored, const std::function<void(CDpiColorWnd&)>& script)
    {
        ScopedModalDriver driver([&](WindowImplBase& window) {
            auto* dialog = dynamic_cast<CDpiColorWnd*>(&window);
            ASSERT_TRUE(dialog);
            ++dialogsShown;
            script(*dialog);
        });
        return RunDpiColorDialog(&owner, button, stored);
    }

    CMsgWnd owner{QStringLiteral("warning_title_text"), QStringLiteral("no_device_text")};
    QWidget* button = nullptr;
    int dialogsShown = 0;
};

constexpr std::uint32_t kStored112233 = 0x00332211;  // bytes R 0x11, G 0x22, B 0x33, 0

TEST(DpiColorForms, StoredAndShownColoursConvertBothWays)
{
    EXPECT_EQ(CDpiColorWnd::ArgbFromStored(0x000000FF), 0xFFFF0000u);  // stored red
    EXPECT_EQ(CDpiColorWnd::ArgbFromStored(kStored112233), 0xFF112233u);
    EXPECT_EQ(CDpiColorWnd::StoredFromArgb(0xFF102030), 0x00302010u);
    // Alpha is dropped on the way back and always opaque on the way in.
    EXPECT_EQ(CDpiColorWnd::StoredFromArgb(0x40102030), 0x00302010u);
    EXPECT_EQ(CDpiColorWnd::ArgbFromStored(0xAB000000), 0xFF000000u);
}

TEST(DpiColorForms, LenientDecimalParse)
{
    struct Row {
        const char* text;
        long long value;
    };
    for (const Row& row : {Row{"300", 300}, Row{"-5", -5}, Row{"12ab", 12}, Row{"", 0}, Row{"abc", 0},
                           Row{"  42", 42}, Row{"+7", 7}, Row{"-", 0}, Row{"1 2", 1}, Row{"007", 7}}) {
        EXPECT_EQ(CDpiColorWnd::ParseLenientDecimal(QLatin1String(row.text)), row.value) << row.text;
    }
    // A number longer than any integer saturates instead of wrapping round to something small.
    EXPECT_GT(CDpiColorWnd::ParseLenientDecimal(QStringLiteral("99999999999999999999999")), 255);
    EXPECT_LT(CDpiColorWnd::ParseLenientDecimal(QStringLiteral("-99999999999999999999999")), 0);
}

TEST(DpiColorForms, PresetTable)
{
    const std::array<std::uint32_t, 16> expected = {
        0xFF00FFFF, 0xFF6CFF00, 0xFF7F00FF, 0xFF007FFF, 0xFF0000FF, 0xFF7FFF00, 0xFFFF5400, 0xFFFF7F00,
        0xFFFFB400, 0xFFFFFF00, 0xFFFF0000, 0xFFFF00FF, 0xFF1EB40A, 0xFF48B1FF, 0xFFFF48B0, 0xFFFFFFFF};
    EXPECT_EQ(CDpiColorWnd::kPresetColors, expected);
}

TEST_F(DpiColorDialogTest, OpensWithTheStoredColour)
{
    std::uint32_t stored = kStored112233;
    EXPECT_FALSE(Run(stored, [](CDpiColorWnd& dialog) {
        EXPECT_EQ(Edit(dialog, "r_edit")->text(), QStringLiteral("17"));
        EXPECT_EQ(Edit(dialog, "g_edit")->text(), QStringLiteral("34"));
        EXPECT_EQ(Edit(dialog, "b_edit")->text(), QStringLiteral("51"));
        EXPECT_EQ(Palette(dialog)->GetSelectColor(), 0xFF112233u);
        EXPECT_EQ(PreviewColor(dialog), 0xFF112233u);
        EXPECT_EQ(dialog.CurrentColor(), 0xFF112233u);
        EXPECT_EQ(dialog.GetHWND()->size(), QSize(CDpiColorWnd::kWidth, CDpiColorWnd::kHeight));
        // Texts come from the language file, not the keys.
        const CResourceManager& texts = CResourceManager::Instance();
        EXPECT_TRUE(texts.HasText(QStringLiteral("color_title_text")));
        EXPECT_EQ(dialog.GetHWND()->windowTitle(), texts.GetText(QStringLiteral("color_title_text")));
        for (const char* label : {"r_label", "g_label", "b_label"}) {
            const QWidget* control = dialog.PaintManager().FindControl(QLatin1String(label));
            ASSERT_TRUE(control) << label;
            const QString key = control->property("textKey").toString();
            EXPECT_TRUE(texts.HasText(key)) << label;
            EXPECT_EQ(ControlText(control), texts.GetText(key)) << label;
        }
        ClickControl(dialog, QStringLiteral("cancel_btn"));
    }));
    EXPECT_EQ(dialogsShown, 1);
    EXPECT_EQ(stored, kStored112233);
}

TEST_F(DpiColorDialogTest, TypingAboveTheRangeShows255AndSetsTheComponent)
{
    std::uint32_t stored = kStored112233;
    EXPECT_TRUE(Run(stored, [](CDpiColorWnd& dialog) {
        TypeInto(Edit(dialog, "r_edit"), QStringLiteral("300"));
        EXPECT_EQ(Edit(dialog, "r_edit")->text(), QStringLiteral("255"));
        EXPECT_EQ(dialog.CurrentColor(), 0xFFFF2233u);
        EXPECT_EQ(Palette(dialog)->GetSelectColor(), 0xFFFF2233u);
        EXPECT_EQ(PreviewColor(dialog), 0xFFFF2233u);
        ClickControl(dialog, QStringLiteral("confirm_btn"));
    }));
    EXPECT_EQ(stored, 0x003322FFu);
}

TEST_F(DpiColorDialogTest, TypingBelowTheRangeShows0)
{
    std::uint32_t stored = kStored112233;
    EXPECT_TRUE(Run(stored, [](CDpiColorWnd& dialog) {
        TypeInto(Edit(dialog, "g_edit"), QStringLiteral("-5"));
        EXPECT_EQ(Edit(dialog, "g_edit")->text(), QStringLiteral("0"));
        EXPECT_EQ(dialog.CurrentColor(), 0xFF110033u);
        ClickControl(dialog, QStringLiteral("confirm_btn"));
    }));
    EXPECT_EQ(stored, 0x00330011u);
}

TEST_F(DpiColorDialogTest, HugeNumbersAreClampedNotWrapped)
{
    std::uint32_t stored = kStored112233;
    EXPECT_TRUE(Run(stored, [](CDpiColorWnd& dialog) {
        // 2^32 + 5 would be 5 in a 32-bit parse.
        TypeInto(Edit(dialog, "b_edit"), QStringLiteral("4294967301"));
        EXPECT_EQ(Edit(dialog, "b_edit")->text(), QStringLiteral("255"));
        ClickControl(dialog, QStringLiteral("confirm_btn"));
    }));
    EXPECT_EQ(stored, 0x00FF2211u);
}

TEST_F(DpiColorDialogTest, DigitsFollowedByLettersCountAndStayAsTyped)
{
    std::uint32_t stored = kStored112233;
    EXPECT_TRUE(Run(stored, [](CDpiColorWnd& dialog) {
        TypeInto(Edit(dialog, "b_edit"), QStringLiteral("12ab"));
        EXPECT_EQ(Edit(dialog, "b_edit")->text(), QStringLiteral("12ab"));
        EXPECT_EQ(dialog.CurrentColor(), 0xFF11220Cu);
        EXPECT_EQ(Palette(dialog)->GetSelectColor(), 0xFF11220Cu);
        ClickControl(dialog, QStringLiteral("confirm_btn"));
    }));
    EXPECT_EQ(stored, 0x000C2211u);
}

TEST_F(DpiColorDialogTest, ClearingAnEditGives0AndLeavesItEmpty)
{
    std::uint32_t stored = kStored112233;
    EXPECT_TRUE(Run(stored, [](CDpiColorWnd& dialog) {
        ClearEdit(Edit(dialog, "r_edit"));
        EXPECT_EQ(Edit(dialog, "r_edit")->text(), QString());
        EXPECT_EQ(dialog.CurrentColor(), 0xFF002233u);
        EXPECT_EQ(PreviewColor(dialog), 0xFF002233u);
        ClickControl(dialog, QStringLiteral("confirm_btn"));
    }));
    EXPECT_EQ(stored, 0x00332200u);
}

TEST_F(DpiColorDialogTest, PresetSelectsItsColourEverywhere)
{
    std::uint32_t stored = kStored112233;
    EXPECT_TRUE(Run(stored, [](CDpiColorWnd& dialog) {
        ASSERT_TRUE(ClickControl(dialog, QStringLiteral("mouse_dpi_color_13")));
        EXPECT_EQ(dialog.CurrentColor(), 0xFF1EB40Au);
        EXPECT_EQ(Palette(dialog)->GetSelectColor(), 0xFF1EB40Au);
        EXPECT_EQ(PreviewColor(dialog), 0xFF1EB40Au);
        EXPECT_EQ(Edit(dialog, "r_edit")->text(), QStringLiteral("30"));
        EXPECT_EQ(Edit(dialog, "g_edit")->text(), QStringLiteral("180"));
        EXPECT_EQ(Edit(dialog, "b_edit")->text(), QStringLiteral("10"));
        ClickControl(dialog, QStringLiteral("confirm_btn"));
    }));
    EXPECT_EQ(stored, 0x000AB41Eu);
}

TEST_F(DpiColorDialogTest, CancelChangesNothingAfterChanges)
{
    std::uint32_t stored = kStored112233;
    EXPECT_FALSE(Run(stored, [](CDpiColorWnd& dialog) {
        ClickControl(dialog, QStringLiteral("mouse_dpi_color_16"));
        TypeInto(Edit(dialog, "g_edit"), QStringLiteral("7"));
        EXPECT_EQ(dialog.CurrentColor(), 0xFFFF07FFu);
        ClickControl(dialog, QStringLiteral("cancel_btn"));
    }));
    EXPECT_EQ(stored, kStored112233);
}

TEST_F(DpiColorDialogTest, EscapeCancels)
{
    std::uint32_t stored = kStored112233;
    EXPECT_FALSE(Run(stored, [](CDpiColorWnd& dialog) {
        ClickControl(dialog, QStringLiteral("mouse_dpi_color_1"));
        auto* escape = dialog.GetHWND()->findChild<QShortcut*>();
        ASSERT_TRUE(escape);
        EXPECT_EQ(escape->key(), QKeySequence(Qt::Key_Escape));
        emit escape->activated();
        EXPECT_FALSE(dialog.IsWindow());
    }));
    EXPECT_EQ(stored, kStored112233);
}

TEST_F(DpiColorDialogTest, PaletteDragFillsEditsAndPreview)
{
    std::uint32_t stored = 0x000000FF;  // red
    EXPECT_TRUE(Run(stored, [](CDpiColorWnd& dialog) {
        CColorPaletteUI* palette = Palette(dialog);
        const QRect area = palette->SaturationValueRect();
        // Down the right edge of the area: the red darkens.
        SendMouse(palette, QEvent::MouseButtonPress, area.topRight());
        EXPECT_EQ(dialog.CurrentColor(), 0xFFFF0000u);
        SendMouse(palette, QEvent::MouseMove, QPoint(area.right(), area.bottom()));
        EXPECT_EQ(dialog.CurrentColor(), 0xFF000000u);
        const QPoint middle(area.right(), area.top() + (area.height() - 1) / 2);
        SendMouse(palette, QEvent::MouseMove, middle);
        SendMouse(palette, QEvent::MouseButtonRelease, middle);
        const std::uint32_t picked = palette->GetSelectColor();
        EXPECT_EQ(dialog.CurrentColor(), picked);
        EXPECT_EQ(PreviewColor(dialog), picked);
        EXPECT_EQ(picked & 0xFFFF, 0u);
        const int red = int((picked >> 16) & 0xFF);
        EXPECT_NEAR(red, 128, 2);
        EXPECT_EQ(Edit(dialog, "r_edit")->text(), QString::number(red));
        EXPECT_EQ(Edit(dialog, "g_edit")->text(), QStringLiteral("0"));
        EXPECT_EQ(Edit(dialog, "b_edit")->text(), QStringLiteral("0"));
        ClickControl(dialog, QStringLiteral("confirm_btn"));
    }));
    EXPECT_EQ(stored & 0xFFFF00u, 0u);
    EXPECT_NEAR(int(stored & 0xFF), 128, 2);
}

TEST_F(DpiColorDialogTest, OpensBelowTheButtonTwoHundredPixelsToItsLeft)
{
    const QPoint windowTopLeft = owner.GetHWND()->geometry().topLeft();
    const QRect buttonInWindow(button->mapTo(owner.GetHWND(), QPoint(0, 0)), button->size());
    const QPoint expected(windowTopLeft.x() + buttonInWindow.left() - 200,
                          windowTopLeft.y() + buttonInWindow.top() + buttonInWindow.height());
    std::uint32_t stored = kStored112233;
    QPoint shownAt;
    Run(stored, [&](CDpiColorWnd& dialog) {
        shownAt = dialog.GetHWND()->geometry().topLeft();
        ClickControl(dialog, QStringLiteral("cancel_btn"));
    });
    EXPECT_EQ(shownAt, expected);
}

TEST_F(DpiColorDialogTest, StaysOnTheWorkAreaNearItsEdges)
{
    const QRect workArea(0, 0, 1920, 1040);
    // The owner near the bottom-right corner: the dialog would run off both edges.
    owner.GetHWND()->move(workArea.right() - owner.GetHWND()->width() + 150, workArea.bottom() - 60);
    ProcessPending();
    std::uint32_t stored = kStored112233;
    QRect shown;
    Run(stored, [&](CDpiColorWnd& dialog) {
        shown = dialog.GetHWND()->geometry();
        ClickControl(dialog, QStringLiteral("cancel_btn"));
    });
    EXPECT_TRUE(workArea.contains(shown)) << shown.x() << "," << shown.y();
    EXPECT_EQ(shown.bottom(), workArea.bottom());
    EXPECT_EQ(shown.right(), workArea.right());

    // And a button near the left edge keeps the dialog from starting left of the screen.
    EXPECT_EQ(CDpiColorWnd::KeepOnWorkArea({-150, 100}, {250, 200}, workArea), QPoint(0, 100));
    EXPECT_EQ(CDpiColorWnd::KeepOnWorkArea({100, 100}, {250, 200}, workArea), QPoint(100, 100));
    EXPECT_EQ(CDpiColorWnd::KeepOnWorkArea({1800, 900}, {250, 200}, QRect(1920, 0, 1280, 1024)), QPoint(1920, 824));
}

TEST_F(DpiColorDialogTest, EveryControlHasAnAccessibleNameFromTheLanguageFile)
{
    std::uint32_t stored = kStored112233;
    Run(stored, [](CDpiColorWnd& dialog) {
        QList<QWidget*> interactive;
        for (QAbstractButton* b : dialog.GetHWND()->findChildren<QAbstractButton*>())
            interactive << b;
        for (QLineEdit* e : dialog.GetHWND()->findChildren<QLineEdit*>())
            interactive << e;
        interactive << Palette(dialog);
        EXPECT_EQ(interactive.size(), 16 + 2 + 3 + 1);
        QStringList names;
        for (QWidget* control : interactive) {
            const QString key = control->property("accessibleNameKey").toString();
            EXPECT_TRUE(CResourceManager::Instance().HasText(key)) << control->objectName().toStdString();
            EXPECT_FALSE(control->accessibleName().isEmpty()) << control->objectName().toStdString();
            EXPECT_EQ(control->accessibleName(), CResourceManager::Instance().GetText(key));
            names << control->accessibleName();
        }
        names.removeDuplicates();
        EXPECT_EQ(names.size(), interactive.size());  // each tells itself apart
        ClickControl(dialog, QStringLiteral("cancel_btn"));
    });
}

TEST_F(DpiColorDialogTest, ASkinWithoutTheControlsEndsAsCancelled)
{
    // A skin folder whose colour dialog lacks its controls: nothing can be picked, nothing changes.
    QTemporaryDir skins;
    ASSERT_TRUE(skins.isValid());
    QFile skin(skins.filePath(QStringLiteral("DpiColorDialog.xml")));
    ASSERT_TRUE(skin.open(QIODevice::WriteOnly));
    skin.write(R"(<?xml version="1.0" encoding="UTF-8"?><ui version="4.0"><widget class="QWidget" name="empty">)"
               R"(<property name="geometry"><rect><x>0</x><y>0</y><width>250</width><height>200</height></rect>)"
               R"(</property></widget></ui>)");
    skin.close();
    const QString resources = CResourceManager::Instance().ResourcePath();
    CResourceManager::Instance().SetResourcePath(skins.path());
    std::uint32_t stored = kStored112233;
    const bool confirmed = Run(stored, [](CDpiColorWnd&) {});
    CResourceManager::Instance().SetResourcePath(resources);
    EXPECT_FALSE(confirmed);
    EXPECT_EQ(dialogsShown, 0);
    EXPECT_EQ(stored, kStored112233);
}

}  // namespace
