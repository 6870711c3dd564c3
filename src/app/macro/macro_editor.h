#pragma once

#include "core/storage/record_files.h"

#include <QString>
#include <functional>
#include <memory>

#include "app/macro/macro_action_buffer.h"
#include "app/macro/macro_recorder.h"
#include "ui/window_impl_base.h"

class DesktopInputHook;
class KeyboardButtonPress;
class ProfileSession;
class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QStackedWidget;
class WindowPostTarget;
struct HookTable;
struct MacroRecord;

// The macro editor: the macros by name on the left, the selected macro's actions on the right.
// The user adds, deletes, renames, imports and exports macros, records actions from the keyboard
// and mouse, inserts clicks, moves, deletes and clears actions and edits one action at a time.
// Every change goes into the macro list at once and the macro store is saved off the window's
// thread. Run modally by the settings page.
class CMS_1_Macro final : public WindowImplBase, private MacroRecorderHost {
public:
    static constexpr int kOpeningRowHeight = 22;
    static constexpr int kAddedRowHeight = 30;
    static constexpr int kNameLimit = 23;
    static constexpr int kInsertTimerId = 6;
    static constexpr int kReloadTimerId = 28;
    static constexpr int kScrollTimerMs = 50;

    // The macro list lives in the session (shared with the device worker); saveMacroStore asks for
    // the store to be written. Without a usable hook table, recording sees this window's input
    // only. A clock of one's own replaces real time (tests).
    CMS_1_Macro(ProfileSession& session, std::function<void()> saveMacroStore, const HookTable* hooks,
                const RecordingClock* clock = nullptr);
    ~CMS_1_Macro() override;

    QString WindowClassName() const override { return QStringLiteral("MS_1_Macro"); }
    QString SkinFileName() const override { return QStringLiteral("MS/MS_1/ms_1_macropage.xml"); }
    void Notify(TNotifyUI& msg) override;

    const MacroActionBuffer& Actions() const { return m_buffer; }
    int CurrentMacroIndex() const { return m_currentIndex; }
    const MacroRecorder& Recorder() const { return *m_recorder; }
    // False when recording and key capture see only this window's input (as far as the library
    // last said).
    bool CaptureIsGlobal() const;

protected:
    void OnWindowBuilt() override;
    void OnClick(TNotifyUI& msg) override;
    LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnDestroy() override;
    void OnCloseRequest() override;
    bool ListensForKeys() const override;

private:
    // MacroRecorderHost
    MacroActionBuffer& Buffer() override { return m_buffer; }
    void SaveCurrentMacro() override;
    void RebuildActionList() override;
    void ShowRecordingState(bool recording) override;

    bool FindControls();
    void FillMacroList();
    void LoadMacro(int index);
    bool HasCurrentMacro() const;
    void RefreshActionRowPair(int a, int b);
    void ShowActionInPanel(bool on);
    void ShowPanelPage(int page);
    void SelectActionRow(int row);
    void SelectMacroRow(int row);
    void AppendMacroRow(const QString& name, int height);
    // A recording in progress ends before the editor turns to another macro.
    void StopRecordingFirst();
    QString MacroFileFilter() const;
    std::uint16_t DefaultDelayFromEdit() const;
    QWidget* ActionRowWidget(int row) const;
    void DescribeActionRow(int row);
    void CloseEditor();
    // Keeps what a field shows: the macro's name or a delay.
    void CommitField(QWidget* field);

    void OnItemSelect(TNotifyUI& msg);
    void OnCheckClick(TNotifyUI& msg);
    void OnSetFocus(TNotifyUI& msg);
    void OnKillFocus(TNotifyUI& msg);
    void OnTimer(TNotifyUI& msg);
    void OnHookInput(WPARAM wParam, LPARAM lParam);

    void AddMacro();
    void DeleteMacro();
    void RenameMacro();
    void ImportMacro();
    void FinishImport(std::unique_ptr<MacroRecord> record, const TransferError& error);
    void ExportMacro();
    void ToggleRecording();
    void CaptureKey(WPARAM virtualKey);
    void ChooseMouseButton(int item);
    void CommitDelay(QLineEdit* field);
    void CommitDefaultDelay();
    void MoveAction(int step);
    void DeleteAction();
    void ClearActions();
    void InsertClick(int button);
    void SaveEdit();
    void CancelEdit();

    ProfileSession& m_session;
    std::function<void()> m_saveMacroStore;
    SteadyRecordingClock m_steadyClock;
    std::unique_ptr<DesktopInputHook> m_hook;
    std::unique_ptr<MacroRecorder> m_recorder;
    std::unique_ptr<WindowPostTarget> m_postTarget;

    MacroActionBuffer m_buffer;
    int m_currentIndex = -1;
    bool m_editPanelOn = false;
    bool m_reloading = false;
    bool m_closing = false;

    QWidget* m_exitButton = nullptr;
    QListWidget* m_macroList = nullptr;
    QLineEdit* m_nameEdit = nullptr;
    QWidget* m_addButton = nullptr;
    QWidget* m_deleteButton = nullptr;
    QCheckBox* m_insertMouseCheck = nullptr;
    QCheckBox* m_recordButton = nullptr;
    KeyboardButtonPress* m_recordKeys = nullptr;  // owned by the record button
    QListWidget* m_actionList = nullptr;
    QWidget* m_recordDelayButton = nullptr;
    QWidget* m_defaultDelayButton = nullptr;
    QWidget* m_noDelayButton = nullptr;
    QLineEdit* m_defaultDelayEdit = nullptr;
    QWidget* m_upButton = nullptr;
    QWidget* m_downButton = nullptr;
    QWidget* m_deleteActionButton = nullptr;
    QWidget* m_clearActionButton = nullptr;
    QCheckBox* m_editCheck = nullptr;
    QLineEdit* m_actionEdit = nullptr;
    QLineEdit* m_delayEdit = nullptr;
    QStackedWidget* m_editTab = nullptr;
    QComboBox* m_mouseCombo = nullptr;
    QLineEdit* m_mouseDelayEdit = nullptr;
    QWidget* m_importButton = nullptr;
    QWidget* m_exportButton = nullptr;
    QWidget* m_nameTab = nullptr;
    QWidget* m_mouseEventTab = nullptr;
    QWidget* m_keyButtons[5] = {};
    QWidget* m_saveDataTab = nullptr;
    QWidget* m_exportOrImportTab = nullptr;
    QWidget* m_saveButton = nullptr;
    QWidget* m_cancelButton = nullptr;
    QWidget* m_editButtons = nullptr;
};

// Opens the editor modally over the owner, as the settings page's macro button does. Returns
// when it closes; the macro copies in the profiles' button records are the caller's to refresh.
// Without a clock of its own, recording measures real time.
void RunMacroEditor(WindowImplBase* owner, ProfileSession& session, std::function<void()> saveMacroStore,
                    const HookTable* hooks, const RecordingClock* clock = nullptr);
