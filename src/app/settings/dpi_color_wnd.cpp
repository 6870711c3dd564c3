#include "app/settings/dpi_color_wnd.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <QWidget>
#include <algorithm>
#include <limits>

#include "core/text/leading_number.h"
#include "ui/color_palette.h"
#include "ui/resource_manager.h"
#include "ui/work_area.h"

namespace {

// The preview keeps the colour it shows, so that it can be read back like any control's colour.
constexpr char kBkColorProperty[] = "bkColor";
// How far the dialog opens to the left of the clicked button.
constexpr int kLeftOfButton = 200;

// The preset's own colour; frame, hover and focus come from the application's style sheet, as
// for the page's colour buttons.
QString PresetStyle(std::uint32_t argb)
{
    return QStringLiteral("background: %1;").arg(ColorName(argb));
}

}  // namespace

const std::array<std::uint32_t, CDpiColorWnd::kPresetCount> CDpiColorWnd::kPresetColors = {
    0xFF00FFFF, 0xFF6CFF00, 0xFF7F00FF, 0xFF007FFF, 0xFF0000FF, 0xFF7FFF00, 0xFFFF5400, 0xFFFF7F00,
    0xFFFFB400, 0xFFFFFF00, 0xFFFF0000, 0xFFFF00FF, 0xFF1EB40A, 0xFF48B1FF, 0xFFFF48B0, 0xFFFFFFFF,
};

std::uint32_t CDpiColorWnd::ArgbFromStored(std::uint32_t storedRgb0)
{
    const std::uint32_t red = storedRgb0 & 0xFF;
    const std::uint32_t green = (storedRgb0 >> 8) & 0xFF;
    const std::uint32_t blue = (storedRgb0 >> 16) & 0xFF;
    return 0xFF000000u | red << 16 | green << 8 | blue;
}

std::uint32_t CDpiColorWnd::StoredFromArgb(std::uint32_t argb)
{
    const std::uint32_t red = (argb >> 16) & 0xFF;
    const std::uint32_t green = (argb >> 8) & 0xFF;
    const std::uint32_t blue = argb & 0xFF;
    return red | green << 8 | blue << 16;
}

long long CDpiColorWnd::ParseLenientDecimal(const QString& text)
{
    return ParseLeadingDecimal(text);
}

QPoint CDpiColorWnd::KeepOnWorkArea(const QPoint& topLeft, const QSize& size, const QRect& workArea)
{
    if (!workArea.isValid())
        return topLeft;
    QPoint placed = topLeft;
    placed.setX(std::min(placed.x(), workArea.left() + workArea.width() - size.width()));
    placed.setY(std::min(placed.y(), workArea.top() + workArea.height() - size.height()));
    placed.setX(std::max(placed.x(), workArea.left()));
    placed.setY(std::max(placed.y(), workArea.top()));
    return placed;
}

void CDpiColorWnd::OnWindowBuilt()
{
    const QSize size(kWidth, kHeight);
    GetHWND()->setGeometry(QRect(KeepOnWorkArea(m_position, size, WorkAreaAt(m_position)), size));
    GetHWND()->setWindowTitle(CResourceManager::Instance().GetText(QStringLiteral("color_title_text")));

    m_confirmButton = PaintManager().FindControl(QStringLiteral("confirm_btn"));
    m_cancelButton = PaintManager().FindControl(QStringLiteral("cancel_btn"));
    m_preview = PaintManager().FindControl(QStringLiteral("color_show_control"));
    m_palette = PaintManager().FindControl<CColorPaletteUI>(QStringLiteral("ColorPallet"));
    m_redEdit = PaintManager().FindControl<QLineEdit>(QStringLiteral("r_edit"));
    m_greenEdit = PaintManager().FindControl<QLineEdit>(QStringLiteral("g_edit"));
    m_blueEdit = PaintManager().FindControl<QLineEdit>(QStringLiteral("b_edit"));
    for (int i = 0; i < kPresetCount; ++i) {
        m_presetButtons[i] = PaintManager().FindControl(QStringLiteral("mouse_dpi_color_%1").arg(i + 1));
        if (m_presetButtons[i]) {
            m_presetButtons[i]->setProperty("colorButton", true);
            m_presetButtons[i]->setStyleSheet(PresetStyle(kPresetColors[i]));
        }
    }
    if (!m_confirmButton || !m_cancelButton || !m_preview || !m_palette || !m_redEdit || !m_greenEdit || !m_blueEdit
        || std::find(m_presetButtons.begin(), m_presetButtons.end(), nullptr) != m_presetButtons.end()) {
        // A skin without the dialog's controls cannot pick anything: end as cancelled.
        qWarning("%s: the skin lacks some of the colour dialog's controls", qPrintable(SkinFileName()));
        DestroyWindow();
        return;
    }

    ShowColor(m_currentColor);
    // Typing a red value is the quickest way to a colour; Enter then confirms it.
    m_redEdit->setFocus();
    m_redEdit->selectAll();
}

void CDpiColorWnd::Notify(TNotifyUI& msg)
{
    if (msg.sType == NotifyType::kClick) {
        OnClick(msg);
    } else if ((msg.sType == NotifyType::kColorChanged || msg.sType == NotifyType::kColorChangedButtonUp)
               && msg.pSender == m_palette && m_palette) {
        m_currentColor = m_palette->GetSelectColor();
        PaintPreview(m_currentColor);
        FillEdits(m_currentColor);
    } else if (msg.sType == NotifyType::kTextChanged) {
        OnTextChanged(msg);
    }
}

void CDpiColorWnd::OnClick(TNotifyUI& msg)
{
    if (!msg.pSender)
        return;
    if (msg.pSender == m_confirmButton) {
        Close(1);
        return;
    }
    if (msg.pSender == m_cancelButton) {
        Close(0);
        return;
    }
    const auto preset = std::find(m_presetButtons.begin(), m_presetButtons.end(), msg.pSender);
    if (preset == m_presetButtons.end())
        return;
    m_currentColor = kPresetColors[std::size_t(preset - m_presetButtons.begin())];
    ShowColor(m_currentColor);
}

void CDpiColorWnd::OnTextChanged(TNotifyUI& msg)
{
    int shift = -1;
    if (msg.pSender == m_redEdit)
        shift = 16;
    else if (msg.pSender == m_greenEdit)
        shift = 8;
    else if (msg.pSender == m_blueEdit)
        shift = 0;
    if (shift >= 0) {
        auto* edit = static_cast<QLineEdit*>(msg.pSender);
        const long long typed = ParseLenientDecimal(edit->text());
        const long long component = std::clamp(typed, 0LL, 255LL);
        if (component != typed) {
            // Only a value out of range is corrected; anything else stays as typed.
            const QSignalBlocker blocker(edit);
            edit->setText(QString::number(component));
        }
        m_currentColor = (m_currentColor & ~(0xFFu << shift)) | std::uint32_t(component) << shift;
    }
    m_currentColor |= 0xFF000000u;
    if (m_palette)
        m_palette->SetSelectColor(m_currentColor);
    PaintPreview(m_currentColor);
}

void CDpiColorWnd::ShowColor(std::uint32_t argb)
{
    m_palette->SetSelectColor(argb);
    PaintPreview(argb);
    FillEdits(argb);
}

void CDpiColorWnd::PaintPreview(std::uint32_t argb)
{
    if (!m_preview)
        return;
    m_preview->setProperty(kBkColorProperty, QVariant::fromValue(argb));
    m_preview->setStyleSheet(QStringLiteral("background-color: rgba(%1, %2, %3, %4);")
                                 .arg((argb >> 16) & 0xFF)
                                 .arg((argb >> 8) & 0xFF)
                                 .arg(argb & 0xFF)
                                 .arg(argb >> 24));
    m_preview->setAccessibleDescription(ColorName(argb));
}

void CDpiColorWnd::FillEdits(std::uint32_t argb)
{
    const std::uint32_t red = (argb >> 16) & 0xFF;
    const std::uint32_t green = (argb >> 8) & 0xFF;
    const std::uint32_t blue = argb & 0xFF;
    // Filling is no typing: the edits stay quiet.
    for (const auto& [edit, component] : {std::pair{m_redEdit, red}, {m_greenEdit, green}, {m_blueEdit, blue}}) {
        const QSignalBlocker blocker(edit);
        edit->setText(QString::number(component));
    }
    PaintPreview(0xFF000000u | red << 16 | green << 8 | blue);
}

bool RunDpiColorDialog(WindowImplBase* mainWindow, QWidget* clickedButton, std::uint32_t& storedColor)
{
    CDpiColorWnd dialog;
    dialog.SetCurrentColor(CDpiColorWnd::ArgbFromStored(storedColor));
    if (clickedButton) {
        // Just below the button, starting 200 pixels to its left.
        const QPoint buttonBottomLeft = clickedButton->mapToGlobal(QPoint(0, clickedButton->height()));
        dialog.SetPosition(buttonBottomLeft - QPoint(kLeftOfButton, 0));
    }
    if (!dialog.Create(mainWindow, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow))
        return false;
    if (dialog.ShowModal() != 1)
        return false;
    storedColor = CDpiColorWnd::StoredFromArgb(dialog.CurrentColor());
    return true;
}
