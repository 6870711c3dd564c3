// The macro editor's macro side: the list of macros, adding, deleting, renaming, import and export.
#include <QLineEdit>
#include <QListWidget>
#include <QLoggingCategory>
#include <QSignalBlocker>
#include <QCheckBox>

#include "app/macro/macro_editor.h"
#include "app/macro/macro_recorder.h"
#include "app/macro/macro_transfer.h"
#include "app/shell/msg_wnd.h"
#include "core/macro/macro_file.h"
#include "core/storage/store_names.h"
#include "core/text/language_text.h"
#include "core/text/name_field.h"
#include "device/profile_session.h"
#include "ui/controls.h"
#include "ui/file_dialogs.h"
#include "ui/resource_manager.h"

namespace {
const QString kWarningTitle = QStringLiteral("warning_title_text");
}  // namespace

void CMS_1_Macro::FillMacroList()
{
    const QStringList names = m_session.Locked([](ProfileSession::State& state) {
        QStringList list;
        for (const auto& macro : state.macros)
            list << MacroName(*macro);
        return list;
    });
    const QSignalBlocker blocker(m_macroList);
    m_macroList->clear();
    for (const QString& name : names)
        AppendMacroRow(name, kOpeningRowHeight);
    m_macroList->setCurrentRow(-1);
}

void CMS_1_Macro::AppendMacroRow(const QString& name, int height)
{
    const QSignalBlocker blocker(m_macroList);
    auto* item = new QListWidgetItem(name, m_macroList);
    item->setSizeHint(QSize(0, height));
}

void CMS_1_Macro::SelectMacroRow(int row)
{
    {
        // Selecting the row that is current again still loads it.
        const QSignalBlocker blocker(m_macroList);
        m_macroList->setCurrentRow(-1);
    }
    SelectItem(m_macroList, row, true);
}

void CMS_1_Macro::AddMacro()
{
    StopRecordingFirst();
    const QString name = m_session.Locked([](ProfileSession::State& state) {
        const QString base = LanguageText(QStringLiteral("add_macro_text")) + QString::number(state.macros.size() + 1);
        state.macros.push_back(CreateMacro(MakeUniqueName(state.macros, base)));
        return MacroName(*state.macros.back());
    });
    m_saveMacroStore();
    AppendMacroRow(name, kAddedRowHeight);
    SelectMacroRow(m_macroList->count() - 1);
    m_macroList->scrollToBottom();
}

void CMS_1_Macro::DeleteMacro()
{
    if (ShowMessageBox(this, kWarningTitle, QStringLiteral("delete_macro_text")) != 1 || !IsWindow())
        return;
    const int row = SelectedItem(m_macroList);
    if (row < 0)
        return;
    StopRecordingFirst();
    const bool removed = m_session.Locked([row](ProfileSession::State& state) {
        if (row >= int(state.macros.size()))
            return false;
        state.macros.erase(state.macros.begin() + row);
        return true;
    });
    if (!removed)
        return;
    m_saveMacroStore();
    {
        const QSignalBlocker blocker(m_macroList);
        delete m_macroList->takeItem(row);
        m_macroList->setCurrentRow(-1);
    }
    const int next = row < m_macroList->count() ? row : row - 1;
    m_currentIndex = -2;  // the selection below loads afresh
    if (next >= 0) {
        SelectMacroRow(next);
        return;
    }
    // No macro left: nothing is current and nothing shows.
    m_currentIndex = -1;
    LoadMacro(-1);
    m_buffer.Clear();
    m_buffer.selected = -1;
    m_buffer.insertPosition = m_buffer.recordingStartPosition = -1;
    m_buffer.insertMode = false;
    SetControlText(m_nameEdit, QString());
    m_editPanelOn = false;
    SetSelected(m_editCheck, false, false);
    ShowPanelPage(0);
    RebuildActionList();
}

void CMS_1_Macro::RenameMacro()
{
    if (!HasCurrentMacro())
        return;
    const QString typed = CleanName(m_nameEdit->text()).left(kNameLimit);
    const int index = m_currentIndex;
    const QString current = m_session.Locked([index](ProfileSession::State& state) {
        return index < int(state.macros.size()) ? MacroName(*state.macros[std::size_t(index)]) : QString();
    });
    if (typed.compare(current, Qt::CaseInsensitive) == 0) {
        // The same name, perhaps in other letters' case: the name stays as it is.
        SetControlText(m_nameEdit, current);
        return;
    }
    const bool renamed = m_session.Locked([&](ProfileSession::State& state) {
        // A blank name could not be told apart in the lists; a used one is refused.
        if (typed.isEmpty() || NameExists(state.macros, typed) || index >= int(state.macros.size()))
            return false;
        SetMacroName(*state.macros[std::size_t(index)], typed);
        return true;
    });
    if (!renamed) {
        SetControlText(m_nameEdit, current);
        return;
    }
    m_saveMacroStore();
    SaveCurrentMacro();
    SetControlText(m_nameEdit, typed);  // as kept: without what cleaning took away
    if (QListWidgetItem* item = m_macroList->item(index))
        item->setText(typed);
}

QString CMS_1_Macro::MacroFileFilter() const
{
    return CResourceManager::Instance().GetText(QStringLiteral("macro_file_text")) + QStringLiteral(" (*.macro *.MACRO)");
}

void CMS_1_Macro::ImportMacro()
{
    const QString path = RunFileDialog({FileDialogRequest::Kind::Open, GetHWND(), MacroFileFilter(), {}, {}, {}});
    if (path.isEmpty() || !IsWindow())
        return;
    MacroTransfer::ReadAsync(path, m_session.DataFolder(), GetHWND(),
                             [this](std::unique_ptr<MacroRecord> record, TransferError error) {
                                 FinishImport(std::move(record), error);
                             });
}

void CMS_1_Macro::FinishImport(std::unique_ptr<MacroRecord> record, const TransferError& error)
{
    if (!record) {
        ShowMessageBox(this, kWarningTitle, MacroTransfer::MessageKey(error));
        return;
    }
    StopRecordingFirst();
    // A macro store out of reach is never written, so an import could not be kept.
    const std::optional<std::size_t> at = MacroTransfer::AddImported(m_session, std::move(record));
    if (!at) {
        ShowMessageBox(this, kWarningTitle, QStringLiteral("store_unreadable_text"));
        return;
    }
    const QString name = m_session.Locked([at](ProfileSession::State& state) { return MacroName(*state.macros.at(*at)); });
    AppendMacroRow(name, kAddedRowHeight);
    SelectMacroRow(m_macroList->count() - 1);
    m_macroList->scrollToBottom();
}

void CMS_1_Macro::ExportMacro()
{
    if (!HasCurrentMacro())
        return;
    const int index = m_currentIndex;
    const auto record = m_session.Locked([index](ProfileSession::State& state) -> std::unique_ptr<MacroRecord> {
        if (index >= int(state.macros.size()))
            return nullptr;
        return std::make_unique<MacroRecord>(*state.macros[std::size_t(index)]);
    });
    if (!record)
        return;
    const QString path = RunFileDialog({FileDialogRequest::Kind::Save, GetHWND(), MacroFileFilter(),
                                        QStringLiteral("macro"), {}, MacroName(*record) + QStringLiteral(".macro")});
    if (path.isEmpty() || !IsWindow())
        return;
    MacroTransfer::ExportAsync(path, m_session.DataFolder(), *record, GetHWND(), [this](TransferError error) {
        if (error)
            ShowMessageBox(this, kWarningTitle, MacroTransfer::MessageKey(error));
    });
}
