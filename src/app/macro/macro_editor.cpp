#include "app/macro/macro_editor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QLoggingCategory>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <algorithm>

#include "app/macro/macro_action_rows.h"
#include "app/macro/desktop_input_hook.h"
#include "app/macro/keyboard_button_press.h"
#include "app/shell/hook_library.h"
#include "app/shell/window_messages.h"
#include "device/profile_session.h"
#include "ui/controls.h"
#include "ui/resource_manager.h"
#include "ui/window_post_target.h"

Q_LOGGING_CATEGORY(lcMacroEditor, "karvo.macro.editor")

CMS_1_Macro::CMS_1_Macro(ProfileSession& session, std::function<void()> saveMacroStore, const HookTable* hooks,
                         const RecordingClock* clock)
    : m_session(session), m_saveMacroStore(std::move(saveMacroStore))
{
    ActionRow::RegisterWidgets();
    m_hook = std::make_unique<DesktopInputHook>(hooks);
    m_recorder = std::make_unique<MacroRecorder>(static_cast<MacroRecorderHost&>(*this), *m_hook, clock ? *clock : m_steadyClock);
}

CMS_1_Macro::~CMS_1_Macro()
{
    // Nothing may post to the window once it is gone.
    m_closing = true;
    m_recorder->Shutdown();
    DestroyWindow();
}

bool CMS_1_Macro::CaptureIsGlobal() const
{
    return m_hook->IsGlobal();
}

bool CMS_1_Macro::FindControls()
{
    CPaintManagerUI& ui = PaintManager();
    const auto find = [&ui](const char* name) { return ui.FindControl(QLatin1String(name)); };
    m_exitButton = find("btn_exit");
    m_macroList = ui.FindControl<QListWidget>(QStringLiteral("ms_1_macro_list"));
    m_nameEdit = ui.FindControl<QLineEdit>(QStringLiteral("ms_1_macro_name_edit"));
    m_addButton = find("ms_1_macro_add_btn");
    m_deleteButton = find("ms_1_macro_delete_btn");
    m_insertMouseCheck = ui.FindControl<QCheckBox>(QStringLiteral("ms_1_macro_insert_mouse_btn"));
    m_recordButton = ui.FindControl<QCheckBox>(QStringLiteral("ms_1_macro_record_btn"));
    m_actionList = ui.FindControl<QListWidget>(QStringLiteral("ms_1_macro_action_list"));
    m_recordDelayButton = find("ms_1_record_delay_btn");
    m_defaultDelayButton = find("ms_1_default_delay_btn");
    m_noDelayButton = find("ms_1_no_delay_btn");
    m_defaultDelayEdit = ui.FindControl<QLineEdit>(QStringLiteral("ms_1_default_delay_edit"));
    m_upButton = find("ms_1_macro_up_btn");
    m_downButton = find("ms_1_macro_down_btn");
    m_deleteActionButton = find("ms_1_macro_delete_action_btn");
    m_clearActionButton = find("ms_1_macro_clear_action_btn");
    m_editCheck = ui.FindControl<QCheckBox>(QStringLiteral("ms_1_macro_action_edit_check"));
    m_actionEdit = ui.FindControl<QLineEdit>(QStringLiteral("ms_1_macro_action_edit"));
    m_delayEdit = ui.FindControl<QLineEdit>(QStringLiteral("ms_1_macro_delay_edit"));
    m_editTab = ui.FindControl<QStackedWidget>(QStringLiteral("ms_1_macro_action_edit_tab"));
    m_mouseCombo = ui.FindControl<QComboBox>(QStringLiteral("ms_1_macro_mouse_action_combo"));
    m_mouseDelayEdit = ui.FindControl<QLineEdit>(QStringLiteral("ms_1_macro_mouseaction_delay_edit"));
    m_importButton = find("ms_1_macro_import_btn");
    m_exportButton = find("ms_1_macro_export_btn");
    m_nameTab = find("ms_1_macro_name_tab");
    m_mouseEventTab = find("ms_1_macro_mouse_event_tab");
    for (int i = 0; i < 5; ++i)
        m_keyButtons[i] = ui.FindControl(QStringLiteral("ms_1_macro_key%1_btn").arg(i + 1));
    m_saveDataTab = find("ms_1_macro_savedata_tab");
    m_exportOrImportTab = find("ms_1_macro_exportorimport_tab");
    m_saveButton = find("ms_1_macro_save_btn");
    m_cancelButton = find("ms_1_macro_cancel_btn");
    m_editButtons = find("ms_1_macro_edit_buttons");

    const QWidget* required[] = {m_exitButton, m_macroList, m_nameEdit, m_addButton, m_deleteButton,
                                 m_insertMouseCheck, m_recordButton, m_actionList, m_recordDelayButton,
                                 m_defaultDelayButton, m_noDelayButton, m_defaultDelayEdit, m_upButton,
                                 m_downButton, m_deleteActionButton, m_clearActionButton, m_editCheck,
                                 m_actionEdit, m_delayEdit, m_editTab, m_mouseCombo, m_mouseDelayEdit,
                                 m_importButton, m_exportButton, m_nameTab, m_mouseEventTab, m_saveDataTab,
                                 m_exportOrImportTab, m_saveButton, m_cancelButton};
    return std::find(std::begin(required), std::end(required), nullptr) == std::end(required)
           && std::find(std::begin(m_keyButtons), std::end(m_keyButtons), nullptr) == std::end(m_keyButtons);
}

void CMS_1_Macro::OnWindowBuilt()
{
    if (!FindControls()) {
        // A skin without the editor's controls cannot edit anything: the editor closes again.
        qCWarning(lcMacroEditor, "%s: the skin lacks some of the macro editor's controls", qPrintable(SkinFileName()));
        DestroyWindow();
        return;
    }
    GetHWND()->setWindowTitle(CResourceManager::Instance().GetText(QStringLiteral("macro_title_text")));
    m_postTarget = std::make_unique<WindowPostTarget>(GetHWND());
    m_recorder->SetTarget(m_postTarget->Target());
    m_hook->SetWindow(GetHWND());
    m_hook->Probe(m_postTarget->Target());

    m_nameEdit->setMaxLength(kNameLimit);
    m_mouseEventTab->setVisible(false);
    m_nameTab->setVisible(true);
    ShowPanelPage(0);
    if (auto* option = qobject_cast<QAbstractButton*>(m_defaultDelayButton))
        option->setChecked(true);
    ShowRecordingState(false);
    m_recordKeys = new KeyboardButtonPress(m_recordButton);

    // Return in a field keeps what it shows, as leaving it does.
    for (QLineEdit* field : {m_nameEdit, m_delayEdit, m_mouseDelayEdit, m_defaultDelayEdit})
        QObject::connect(field, &QLineEdit::returnPressed, GetHWND(), [this, field] { CommitField(field); });

    FillMacroList();
    // The list would pick its first macro on taking the focus; nothing is selected at first.
    m_addButton->setFocus(Qt::OtherFocusReason);
}

void CMS_1_Macro::Notify(TNotifyUI& msg)
{
    if (!msg.pSender || !IsWindow())
        return;
    if (msg.sType == NotifyType::kClick)
        OnClick(msg);
    else if (msg.sType == NotifyType::kCheckClick)
        OnCheckClick(msg);
    else if (msg.sType == NotifyType::kKillFocus)
        OnKillFocus(msg);
    else if (msg.sType == NotifyType::kItemSelect)
        OnItemSelect(msg);
    else if (msg.sType == NotifyType::kMouseEnter && msg.pSender == m_recordButton)
        m_recorder->OnRecordButtonHover(true);
    else if (msg.sType == NotifyType::kMouseLeave && msg.pSender == m_recordButton)
        m_recorder->OnRecordButtonHover(false);
    else if (msg.sType == NotifyType::kTimer)
        OnTimer(msg);
    else if (msg.sType == NotifyType::kSetFocus)
        OnSetFocus(msg);
}

void CMS_1_Macro::OnClick(TNotifyUI& msg)
{
    QWidget* sender = msg.pSender;
    if (sender == m_exitButton)
        CloseEditor();
    else if (sender == m_addButton)
        AddMacro();
    else if (sender == m_deleteButton)
        DeleteMacro();
    else if (sender == m_importButton)
        ImportMacro();
    else if (sender == m_exportButton)
        ExportMacro();
    else if (sender == m_recordDelayButton)
        m_recorder->SetDelayMode(MacroRecorder::DelayMode::Recorded);
    else if (sender == m_defaultDelayButton)
        m_recorder->SetDelayMode(MacroRecorder::DelayMode::Default);
    else if (sender == m_noDelayButton)
        m_recorder->SetDelayMode(MacroRecorder::DelayMode::None);
    else if (sender == m_upButton)
        MoveAction(-1);
    else if (sender == m_downButton)
        MoveAction(1);
    else if (sender == m_deleteActionButton)
        DeleteAction();
    else if (sender == m_clearActionButton)
        ClearActions();
    else if (sender == m_saveButton)
        SaveEdit();
    else if (sender == m_cancelButton)
        CancelEdit();
    else if (const auto key = std::find(std::begin(m_keyButtons), std::end(m_keyButtons), sender);
             key != std::end(m_keyButtons))
        InsertClick(int(key - std::begin(m_keyButtons)) + 1);
}

void CMS_1_Macro::OnItemSelect(TNotifyUI& msg)
{
    if (msg.pSender == m_macroList) {
        if (msg.index != m_currentIndex) {
            StopRecordingFirst();
            // Another macro: where the last one was inserting into means nothing here.
            m_buffer.insertMode = false;
            m_buffer.insertPosition = -1;
            m_buffer.recordingStartPosition = -1;
            m_buffer.selected = -1;
        }
        m_currentIndex = msg.index;
        LoadMacro(msg.index);
        qCDebug(lcMacroEditor, "iActionIndex=%d, iNextActionIndex=%d", m_buffer.selected, -1);
    } else if (msg.pSender == m_actionList) {
        m_buffer.selected = msg.index;
        if (m_editPanelOn)
            ShowActionInPanel(true);
    } else if (msg.pSender == m_mouseCombo) {
        ChooseMouseButton(msg.index);
    }
}

void CMS_1_Macro::OnCheckClick(TNotifyUI& msg)
{
    if (msg.pSender == m_recordButton) {
        ToggleRecording();
    } else if (msg.pSender == m_editCheck) {
        m_editPanelOn = m_editCheck->isChecked();
        if (m_buffer.selected == -1) {
            m_editPanelOn = false;
            SetSelected(m_editCheck, false, false);
        } else {
            ShowActionInPanel(m_editPanelOn);
        }
    } else if (msg.pSender == m_insertMouseCheck) {
        const bool clicks = m_insertMouseCheck->isChecked();
        m_mouseEventTab->setVisible(clicks);
        m_nameTab->setVisible(!clicks);
    }
}

void CMS_1_Macro::OnSetFocus(TNotifyUI& msg)
{
    if (msg.pSender == m_actionEdit)
        m_recorder->StartKeyCapture();
}

void CMS_1_Macro::OnKillFocus(TNotifyUI& msg)
{
    if (msg.pSender == m_actionEdit)
        m_recorder->EndKeyCapture();
    else
        CommitField(msg.pSender);
}

void CMS_1_Macro::CommitField(QWidget* field)
{
    if (field == m_nameEdit)
        RenameMacro();
    else if (field == m_delayEdit || field == m_mouseDelayEdit)
        CommitDelay(static_cast<QLineEdit*>(field));
    else if (field == m_defaultDelayEdit)
        CommitDefaultDelay();
}

bool CMS_1_Macro::ListensForKeys() const
{
    return m_recorder->CapturesKey() || m_recorder->IsRecording();
}

void CMS_1_Macro::OnTimer(TNotifyUI& msg)
{
    const int id = int(msg.wParam);
    if (id == kInsertTimerId) {
        PaintManager().KillTimer(PaintManager().Root(), kInsertTimerId);
        if (m_buffer.insertPosition >= 1 && m_actionList->item(m_buffer.insertPosition - 1))
            m_actionList->scrollToItem(m_actionList->item(m_buffer.insertPosition - 1));
    } else if (id == kReloadTimerId) {
        PaintManager().KillTimer(PaintManager().Root(), kReloadTimerId);
        if (m_buffer.recordingStartPosition >= 0 && m_actionList->item(m_buffer.recordingStartPosition))
            m_actionList->scrollToItem(m_actionList->item(m_buffer.recordingStartPosition));
    }
}

LRESULT CMS_1_Macro::HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled)
{
    handled = false;
    if (message == Msg::UM_HOOK_INPUT)
        OnHookInput(wParam, lParam);
    return 0;
}

void CMS_1_Macro::OnHookInput(WPARAM wParam, LPARAM lParam)
{
    if (m_recorder->RoutesToRecording())
        m_recorder->RecordEvent(wParam, lParam);
    else if (m_recorder->CapturesKey())
        CaptureKey(wParam);
}

void CMS_1_Macro::ShowRecordingState(bool recording)
{
    // Once the window is gone its controls are too.
    if (!m_recordButton || !IsWindow())
        return;
    SetControlTextKey(m_recordButton, recording ? QStringLiteral("stop_recording_text")
                                                : QStringLiteral("start_recording_text"));
    SetSelected(m_recordButton, recording, false);
    // Where only this window's input is seen, the record button says so (the library answers
    // afresh at every start).
    const QString tip = CResourceManager::Instance().GetText(
        CaptureIsGlobal() ? QStringLiteral("record_global_text") : QStringLiteral("record_window_only_text"));
    m_recordButton->setToolTip(tip);
    m_recordButton->setAccessibleDescription(tip);
}

void CMS_1_Macro::StopRecordingFirst()
{
    if (m_recorder->IsRecording())
        m_recorder->StopRecording();
}

void CMS_1_Macro::CloseEditor()
{
    if (!IsWindow())
        return;
    // However the editor closes (its ×, Escape, the desktop's close), the field being edited keeps
    // what it shows, as it does when the focus leaves it for the ×.
    if (QWidget* focused = GetHWND()->focusWidget())
        CommitField(focused);
    // A recording running when the editor closes is stopped and saved; no hook stays behind.
    m_recorder->Shutdown();
    m_closing = true;
    Close(1);
}

void CMS_1_Macro::OnCloseRequest()
{
    CloseEditor();
}

void CMS_1_Macro::OnDestroy()
{
    m_closing = true;
    m_recorder->Shutdown();
}

bool CMS_1_Macro::HasCurrentMacro() const
{
    return m_currentIndex >= 0;
}

void CMS_1_Macro::ToggleRecording()
{
    if (!HasCurrentMacro())
        AddMacro();
    if (!HasCurrentMacro()) {
        SetSelected(m_recordButton, false, false);
        return;
    }
    m_recorder->ToggleRecording(DefaultDelayFromEdit(), m_recordButton->underMouse(),
                                m_recordKeys ? m_recordKeys->PressingKey() : 0);
}

std::uint16_t CMS_1_Macro::DefaultDelayFromEdit() const
{
    return MacroActionBuffer::ParseDelay(m_defaultDelayEdit ? m_defaultDelayEdit->text() : QString());
}

void CMS_1_Macro::CommitDefaultDelay()
{
    const long long typed = MacroActionBuffer::LeadingNumber(m_defaultDelayEdit->text());
    if (typed < MacroActionBuffer::kMinDelayMs || typed > MacroActionBuffer::kMaxDelayMs)
        SetControlText(m_defaultDelayEdit, QString::number(MacroActionBuffer::ParseDelay(m_defaultDelayEdit->text())));
}

void RunMacroEditor(WindowImplBase* owner, ProfileSession& session, std::function<void()> saveMacroStore,
                    const HookTable* hooks, const RecordingClock* clock)
{
    CMS_1_Macro editor(session, std::move(saveMacroStore), hooks, clock);
    editor.SetSelfDelete(false);
    if (!editor.Create(owner, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow))
        return;
    editor.CenterWindow();
    editor.ShowModal();
}
