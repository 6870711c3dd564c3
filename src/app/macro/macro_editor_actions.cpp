// The macro editor's action side: loading and saving the working copy, the action list, the edit
// panel and the changes made to single actions.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QLoggingCategory>
#include <QSignalBlocker>
#include <QStackedWidget>

#include "app/macro/macro_action_rows.h"
#include "app/macro/macro_editor.h"
#include "app/shell/msg_wnd.h"
#include "core/keys/key_tables.h"
#include "device/profile_session.h"
#include "ui/controls.h"
#include "ui/resource_manager.h"

Q_DECLARE_LOGGING_CATEGORY(lcMacroEditor)

namespace {

// Mouse combo items in order: left, right, middle, then the side buttons.
constexpr std::uint8_t kComboCodes[] = {MouseButtonCode::kLeft, MouseButtonCode::kRight, MouseButtonCode::kMiddle,
                                        MouseButtonCode::kForward, MouseButtonCode::kBackward};
// The click buttons 1 to 5 in order.
constexpr std::uint8_t kClickCodes[] = {MouseButtonCode::kLeft, MouseButtonCode::kRight, MouseButtonCode::kMiddle,
                                        MouseButtonCode::kForward, MouseButtonCode::kBackward};

int ComboItemOf(std::uint8_t code)
{
    for (int i = 0; i < 5; ++i) {
        if (kComboCodes[i] == code)
            return i;
    }
    return 0;
}

bool IsMouseCode(std::uint8_t code)
{
    return code >= MouseButtonCode::kLeft && code <= MouseButtonCode::kForward;
}

}  // namespace

void CMS_1_Macro::LoadMacro(int index)
{
    auto record = m_session.Locked([index](ProfileSession::State& state) -> std::unique_ptr<MacroRecord> {
        if (index < 0 || index >= int(state.macros.size()))
            return nullptr;
        return std::make_unique<MacroRecord>(*state.macros[std::size_t(index)]);
    });
    if (!record) {
        // Nothing to show: no macro is current.
        m_currentIndex = -1;
        return;
    }
    m_buffer.LoadFrom(*record);
    if (m_buffer.count == 0)
        m_buffer.selected = -1;
    if (!IsWindow())
        return;
    SetControlText(m_nameEdit, MacroName(*record));
    RebuildActionList();
}

void CMS_1_Macro::SaveCurrentMacro()
{
    const int steps = m_buffer.StepCount();
    qCDebug(lcMacroEditor, "iTotalNum = %d", steps);
    if (steps > MacroActionBuffer::kStepLimit) {
        // Too long for the mouse: the stored macro comes back, and the user learns why.
        if (m_currentIndex >= 0)
            LoadMacro(m_currentIndex);
        m_reloading = false;
        if (IsWindow() && !m_closing)
            ShowMessageBox(this, QStringLiteral("warning_title_text"), QStringLiteral("save_macro_text"));
        return;
    }
    if (m_currentIndex < 0)
        return;
    const int index = m_currentIndex;
    const bool stored = m_session.Locked([&](ProfileSession::State& state) {
        if (index >= int(state.macros.size()))
            return false;
        m_buffer.StoreInto(*state.macros[std::size_t(index)]);
        return true;
    });
    if (stored && m_saveMacroStore)
        m_saveMacroStore();
}

void CMS_1_Macro::DescribeActionRow(int row)
{
    // The row's pictures and labels read out as one sentence: key, press or release, delay.
    QListWidgetItem* item = m_actionList ? m_actionList->item(row) : nullptr;
    if (!item || !m_buffer.Contains(row))
        return;
    const MacroActionSlot& slot = m_buffer.actions[std::size_t(row)];
    const CResourceManager& texts = CResourceManager::Instance();
    const QString kind = texts.GetText(slot.kind == std::uint8_t(MacroActionKind::Press) ? QStringLiteral("key_down_action")
                                                                                        : QStringLiteral("key_up_action"));
    item->setData(Qt::AccessibleTextRole, texts.GetText(QStringLiteral("acc_macro_action_row_text"))
                                              .arg(UsageName(slot.key_code), kind)
                                              .arg(m_buffer.ShownDelay(row)));
}

QWidget* CMS_1_Macro::ActionRowWidget(int row) const
{
    QListWidgetItem* item = m_actionList ? m_actionList->item(row) : nullptr;
    return item ? m_actionList->itemWidget(item) : nullptr;
}

void CMS_1_Macro::RebuildActionList()
{
    if (!m_actionList || !IsWindow())
        return;
    {
        const QSignalBlocker blocker(m_actionList);
        m_actionList->clear();
        for (int i = 0; i < m_buffer.count; ++i) {
            QString error;
            QWidget* row = ActionRow::Create(&error);
            auto* item = new QListWidgetItem(m_actionList);
            item->setSizeHint(QSize(0, ActionRow::kHeight));
            if (!row) {
                qCWarning(lcMacroEditor) << error;
                continue;
            }
            ActionRow::Fill(row, m_buffer, i);
            m_actionList->setItemWidget(item, row);
            DescribeActionRow(i);
        }
    }
    m_actionList->repaint();
    if (m_reloading && m_buffer.recordingStartPosition >= 0) {
        SelectActionRow(m_buffer.recordingStartPosition);
        PaintManager().SetTimer(PaintManager().Root(), kReloadTimerId, kScrollTimerMs);
    } else if (m_buffer.insertMode) {
        SelectActionRow(m_buffer.insertPosition - 1);
        PaintManager().SetTimer(PaintManager().Root(), kInsertTimerId, kScrollTimerMs);
    } else {
        SelectActionRow(m_buffer.count - 1);
        m_actionList->scrollToBottom();
    }
}

void CMS_1_Macro::SelectActionRow(int row)
{
    if (row < 0 || row >= m_actionList->count()) {
        // No such row: nothing stays selected.
        const QSignalBlocker blocker(m_actionList);
        m_actionList->setCurrentRow(-1);
        m_buffer.selected = -1;
        return;
    }
    {
        const QSignalBlocker blocker(m_actionList);
        m_actionList->setCurrentRow(-1);
    }
    SelectItem(m_actionList, row, true);
}

void CMS_1_Macro::RefreshActionRowPair(int a, int b)
{
    ActionRow::Fill(ActionRowWidget(a), m_buffer, a, true);
    ActionRow::Fill(ActionRowWidget(b), m_buffer, b, true);
    DescribeActionRow(a);
    DescribeActionRow(b);
}

void CMS_1_Macro::ShowPanelPage(int page)
{
    if (m_editTab)
        SelectTabItem(m_editTab, page);
    if (m_editButtons)
        m_editButtons->setVisible(page != 0);
}

void CMS_1_Macro::ShowActionInPanel(bool on)
{
    if (!on) {
        ShowPanelPage(0);
        return;
    }
    const int s = m_buffer.selected;
    if (!m_buffer.Contains(s))
        return;
    const MacroActionSlot& slot = m_buffer.actions[std::size_t(s)];
    const bool last = m_buffer.IsLast(s);
    const QString delay = last ? QString::number(MacroActionBuffer::kLastDelayMs) : QString::number(slot.delay_ms);
    if (IsMouseCode(slot.key_code)) {
        ShowPanelPage(2);
        SelectItem(m_mouseCombo, ComboItemOf(slot.key_code), false);
        SetControlText(m_mouseDelayEdit, delay);
        m_mouseDelayEdit->setEnabled(!last);
    } else {
        ShowPanelPage(1);
        SetControlText(m_actionEdit, UsageName(slot.key_code));
        SetControlText(m_delayEdit, delay);
        m_delayEdit->setEnabled(!last);
    }
}

void CMS_1_Macro::CaptureKey(WPARAM virtualKey)
{
    const std::uint8_t code = VirtualKeyToUsage(std::uint32_t(virtualKey)).code;
    SetControlText(m_actionEdit, UsageName(code));
    const int s = m_buffer.selected;
    if (QWidget* row = ActionRowWidget(s); row && m_buffer.Contains(s)) {
        m_buffer.actions[std::size_t(s)].key_code = code;
        ActionRow::FillKey(row, code);
        DescribeActionRow(s);
    }
    SaveCurrentMacro();
}

void CMS_1_Macro::ChooseMouseButton(int item)
{
    if (item < 0 || item >= 5)
        return;
    const std::uint8_t code = kComboCodes[item];
    const int s = m_buffer.selected;
    if (QWidget* row = ActionRowWidget(s); row && m_buffer.Contains(s)) {
        m_buffer.actions[std::size_t(s)].key_code = code;
        ActionRow::FillKey(row, code);
        DescribeActionRow(s);
    }
    SaveCurrentMacro();
}

void CMS_1_Macro::CommitDelay(QLineEdit* field)
{
    const std::uint16_t delay = MacroActionBuffer::ParseDelay(field->text());
    const int s = m_buffer.selected;
    if (s >= 0 && s < m_buffer.count - 1) {
        m_buffer.actions[std::size_t(s)].delay_ms = delay;
        if (QWidget* row = ActionRowWidget(s))
            ActionRow::Fill(row, m_buffer, s);
        DescribeActionRow(s);
        // The field shows what was kept, not what was typed.
        SetControlText(field, QString::number(delay));
    }
    SaveCurrentMacro();
}

void CMS_1_Macro::MoveAction(int step)
{
    const int s = SelectedItem(m_actionList);
    const int other = s + step;
    if (s < 0 || !m_buffer.Contains(s) || !m_buffer.Contains(other))
        return;
    m_buffer.Swap(s, other);
    RefreshActionRowPair(s, other);
    SelectActionRow(other);
    SaveCurrentMacro();
}

void CMS_1_Macro::DeleteAction()
{
    const int s = m_buffer.selected;
    if (!m_buffer.Contains(s))
        return;
    m_buffer.Remove(s);
    {
        const QSignalBlocker blocker(m_actionList);
        delete m_actionList->takeItem(s);
    }
    if (m_buffer.count == 0) {
        m_buffer.selected = -1;
        m_editPanelOn = false;
        SetSelected(m_editCheck, false, false);
        ShowPanelPage(0);
    } else {
        // The last row shows 10 whatever it keeps; the new last one may have changed.
        const int last = m_buffer.count - 1;
        ActionRow::Fill(ActionRowWidget(last), m_buffer, last);
        DescribeActionRow(last);
        SelectActionRow(s >= m_buffer.count ? last : s);
    }
    SaveCurrentMacro();
}

void CMS_1_Macro::ClearActions()
{
    if (!HasCurrentMacro())
        return;
    m_buffer.Clear();
    m_buffer.insertMode = false;
    m_buffer.insertPosition = -1;
    m_buffer.selected = -1;
    SaveCurrentMacro();
    RebuildActionList();
}

void CMS_1_Macro::InsertClick(int button)
{
    if (!HasCurrentMacro() || m_buffer.count > MacroActionLimit - 1 || button < 1 || button > 5)
        return;
    const std::uint8_t code = kClickCodes[button - 1];
    m_buffer.insertMode = true;
    m_buffer.insertPosition = m_buffer.selected + 1;
    const std::uint16_t delay = m_recorder->GetDelayMode() == MacroRecorder::DelayMode::Default
                                    ? DefaultDelayFromEdit()
                                    : MacroActionBuffer::kMinDelayMs;
    if (m_buffer.count + 2 > MacroActionLimit) {
        m_buffer.insertMode = false;
        return;
    }
    m_buffer.InsertAction({code, std::uint8_t(MacroActionKind::Press), delay});
    m_buffer.InsertAction({code, std::uint8_t(MacroActionKind::Release), delay});
    RebuildActionList();
    SaveCurrentMacro();
    m_buffer.insertMode = false;
}

void CMS_1_Macro::SaveEdit()
{
    SaveCurrentMacro();
    m_editPanelOn = false;
    SetSelected(m_editCheck, false, false);
    ShowPanelPage(0);
}

void CMS_1_Macro::CancelEdit()
{
    m_reloading = true;
    m_editPanelOn = false;
    SetSelected(m_editCheck, false, false);
    ShowPanelPage(0);
    if (m_currentIndex >= 0)
        LoadMacro(m_currentIndex);
    m_reloading = false;
}
