// The colour dialog, run as the settings page runs it, driven through its real controls.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <functional>

#include "app/settings/dpi_color_wnd.h"
#include "app/shell/msg_wnd.h"
#include "support/ui_test_support.h"
#include "ui/color_palette.h"
#include "ui/controls.h"
#include "ui/resource_manager.h"
#include "ui/work_area.h"

namespace {

constexpr std::uint32_t kStored112233 = 0x00332211;  // bytes R 0x11, G 0x22, B 0x33, 0

TEST(DpiColorForms, ColoursPresetsParseAndPlacement)
{
    // Stored red; always opaque on the way in; alpha dropped on the way back.
    EXPECT_EQ(std::tuple(CDpiColorWnd::ArgbFromStored(0x000000FF), CDpiColorWnd::ArgbFromStored(0xAB000000),
                         CDpiColorWnd::StoredFromArgb(0x40102030)),
              std::tuple(0xFFFF0000u, 0xFF000000u, 0x00302010u));
    const std::array<std::uint32_t, 16> presets = {
        0xFF00FFFF, 0xFF6CFF00, 0xFF7F00FF, 0xFF007FFF, 0xFF0000FF, 0xFF7FFF00, 0xFFFF5400, 0xFFFF7F00,
        0xFFFFB400, 0xFFFFFF00, 0xFFFF0000, 0xFFFF00FF, 0xFF1EB40A, 0xFF48B1FF, 0xFFFF48B0, 0xFFFFFFFF};
    EXPECT_EQ(CDpiColorWnd::kPresetColors, presets);
    const std::pair<const char*, long long> kParsed[] = {{"300", 300}, {"-5", -5}, {"12ab", 12}, {"", 0}, {"abc", 0},
                                                         {"  42", 42}, {"+7", 7},   {"-", 0},     {"1 2", 1}, {"007", 7}};
    for (const auto& [text, value] : kParsed)
        EXPECT_EQ(CDpiColorWnd::ParseLenientDecimal(QLatin1String(text)), value) << text;
    // A number longer than any integer saturates instead of wrapping round to something small.
    EXPECT_TRUE(CDpiColorWnd::ParseLenientDecimal(QStringLiteral("99999999999999999999999")) > 255
                && CDpiColorWnd::ParseLenientDecimal(QStringLiteral("-99999999999999999999999")) < 0);
    // The dialog never starts left of or below the work area, on the first screen or another.
    const QRect area(0, 0, 1920, 1040);
    const std::tuple<QPoint, QRect, QPoint> kPlaced[] = {{{-150, 100}, area, {0, 100}}, {{100, 100}, area, {100, 100}},
        {{1800, 900}, area, {1670, 840}}, {{1800, 900}, QRect(1920, 0, 1280, 1024), {1920, 824}}};
    for (const auto& [at, workArea, placed] : kPlaced)
        EXPECT_EQ(CDpiColorWnd::KeepOnWorkArea(at, {250, 200}, workArea), placed) << at.x() << "," << workArea.x();
}

QLineEdit* Edit(WindowImplBase& d, const char* name) { return d.PaintManager().FindControl<QLineEdit>(QLatin1String(name)); }
CColorPaletteUI* Palette(WindowImplBase& d) { return d.PaintManager().FindControl<CColorPaletteUI>(QStringLiteral("ColorPallet")); }
std::uint32_t PreviewColor(WindowImplBase& d)
{
    return d.PaintManager().FindControl(QStringLiteral("color_show_control"))->property("bkColor").toUInt();
}
// What the dialog shows everywhere: the three edits, the current colour, palette and preview.
auto Showing(CDpiColorWnd& d)
{
    return std::tuple(Edit(d, "r_edit")->text(), Edit(d, "g_edit")->text(), Edit(d, "b_edit")->text(), d.CurrentColor(),
                      Palette(d)->GetSelectColor(), PreviewColor(d));
}
auto Expected(const char* r, const char* g, const char* b, std::uint32_t argb)
{
    return std::tuple(QLatin1String(r), QLatin1String(g), QLatin1String(b), argb, argb, argb);
}

// Types as the user does: the first key replaces what the edit holds; "" is a Backspace over it.
void Type(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty()) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
        QApplication::sendEvent(edit, &press);
    }
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
    }
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
        ScopedModalDriver driver([&](WindowImplBase& window) { script(dynamic_cast<CDpiColorWnd&>(window)); });
        return RunDpiColorDialog(&owner, button, stored);
    }
    QRect ShownAt()
    {
        std::uint32_t stored = kStored112233;
        QRect shown;
        Run(stored, [&](CDpiColorWnd& dialog) { shown = dialog.GetHWND()->geometry(); });
        return shown;
    }

    CMsgWnd owner{QStringLiteral("warning_title_text"), QStringLiteral("no_device_text")};
    QWidget* button = nullptr;
};

// Opens with the stored colour everywhere; a preset then selects its own everywhere and is kept.
TEST_F(DpiColorDialogTest, OpensWithTheStoredColourAndAPresetSelectsItsOwn)
{
    std::uint32_t stored = kStored112233;
    EXPECT_TRUE(Run(stored, [](CDpiColorWnd& dialog) {
        EXPECT_EQ(Showing(dialog), Expected("17", "34", "51", 0xFF112233u));
        EXPECT_EQ(dialog.GetHWND()->size(), QSize(CDpiColorWnd::kWidth, CDpiColorWnd::kHeight));
        ASSERT_TRUE(ClickControl(dialog, QStringLiteral("mouse_dpi_color_13")));
        EXPECT_EQ(Showing(dialog), Expected("30", "180", "10", 0xFF1EB40Au));
        ClickControl(dialog, QStringLiteral("confirm_btn"));
    }));
    EXPECT_EQ(stored, 0x000AB41Eu);
}

TEST_F(DpiColorDialogTest, TypedComponentIsClampedShownAndStored)
{
    struct Typed {
        const char *edit, *keys, *shown;
        std::uint32_t argb, stored;
    };
    const Typed kTyped[] = {// each from stored 0x00332211
                            {"r_edit", "300", "255", 0xFFFF2233, 0x003322FF},        {"g_edit", "-5", "0", 0xFF110033, 0x00330011},
                            {"b_edit", "4294967301", "255", 0xFF1122FF, 0x00FF2211}, {"b_edit", "12ab", "12ab", 0xFF11220C, 0x000C2211},
                            {"r_edit", "", "", 0xFF002233, 0x00332200}};
    for (const Typed& row : kTyped) {
        SCOPED_TRACE(row.keys);
        std::uint32_t stored = kStored112233;
        EXPECT_TRUE(Run(stored, [&](CDpiColorWnd& d) {
            Type(Edit(d, row.edit), QLatin1String(row.keys));
            EXPECT_EQ(Edit(d, row.edit)->text(), QLatin1String(row.shown));
            EXPECT_EQ(std::tuple(d.CurrentColor(), Palette(d)->GetSelectColor(), PreviewColor(d)), std::tuple(row.argb, row.argb, row.argb));
            ClickControl(d, QStringLiteral("confirm_btn"));
        }));
        EXPECT_EQ(stored, row.stored);
    }
}

TEST_F(DpiColorDialogTest, OpensBelowTheButtonTwoHundredPixelsToItsLeftAndStaysOnTheWorkArea)
{
    const QPoint buttonInWindow = button->mapTo(owner.GetHWND(), QPoint(0, 0));
    EXPECT_EQ(ShownAt().topLeft(), owner.GetHWND()->geometry().topLeft() + buttonInWindow + QPoint(-200, button->height()));
    // The owner near the bottom-right corner: the dialog would run off both edges.
    const QRect workArea(0, 0, 1920, 1040);
    owner.GetHWND()->move(workArea.right() - owner.GetHWND()->width() + 150, workArea.bottom() - 60);
    ProcessPending();
    const QRect shown = ShownAt();
    EXPECT_TRUE(workArea.contains(shown)) << shown.x() << "," << shown.y();
    EXPECT_EQ(shown.bottomRight(), workArea.bottomRight());
}

}  // namespace
