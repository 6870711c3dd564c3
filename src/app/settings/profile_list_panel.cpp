#include "app/settings/profile_list_panel.h"

#include <QListWidget>
#include <QSignalBlocker>

#include "app/settings/page_services.h"
#include "app/settings/profile_name_wnd.h"
#include "app/settings/profile_transfer.h"
#include "app/shell/msg_wnd.h"
#include "ui/controls.h"
#include "ui/file_dialogs.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"
#include "ui/window_impl_base.h"

namespace {
constexpr int kRowHeight = 22;
const QString kWarningTitle = QStringLiteral("warning_title_text");
}  // namespace

ProfileListPanel::ProfileListPanel(PageServices& page) : m_page(page) {}

void ProfileListPanel::FindControls(CPaintManagerUI& ui)
{
    m_list = ui.FindControl<QListWidget>(QStringLiteral("ms_1_list_profile"));
    m_addButton = ui.FindControl(QStringLiteral("ms_1_profile_add_btn"));
    m_deleteButton = ui.FindControl(QStringLiteral("ms_1_profile_delete_btn"));
    m_renameButton = ui.FindControl(QStringLiteral("ms_1_profile_rename_btn"));
    m_importButton = ui.FindControl(QStringLiteral("ms_1_profile_import_btn"));
    m_exportButton = ui.FindControl(QStringLiteral("ms_1_profile_export_btn"));
    m_resetButton = ui.FindControl(QStringLiteral("ms_1_profile_reset_btn"));
}

void ProfileListPanel::Fill()
{
    if (!m_list)
        return;
    // The start-up selection raises no notification, so nothing needs swallowing afterwards:
    // the user's first choice of a profile always switches to it.
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    const int current = m_page.Session().Locked([this](ProfileSession::State& state) {
        for (const auto& profile : state.profiles)
            AppendRow(ProfileName(*profile));
        return int(state.header->current_profile_index);
    });
    m_list->setCurrentRow(current);
}

bool ProfileListPanel::OnClick(TNotifyUI& msg)
{
    if (msg.pSender == m_addButton)
        Add();
    else if (msg.pSender == m_deleteButton)
        Delete();
    else if (msg.pSender == m_renameButton)
        Rename();
    else if (msg.pSender == m_resetButton)
        Reset();
    else if (msg.pSender == m_exportButton)
        Export();
    else if (msg.pSender == m_importButton)
        Import();
    else
        return false;
    return true;
}

bool ProfileListPanel::OnItemSelect(TNotifyUI& msg)
{
    if (!m_list || msg.pSender != m_list)
        return false;
    SwitchTo(msg.index);
    return true;
}

void ProfileListPanel::SwitchTo(int index)
{
    const bool switched = m_page.Session().Locked([index](ProfileSession::State& state) {
        if (index < 0 || std::size_t(index) >= state.profiles.size())
            return false;
        state.header->current_profile_index = std::uint32_t(index);
        state.fullSend = true;
        return true;
    });
    if (!switched)
        return;
    m_page.RefreshPage();
    m_page.RequestSend();
}

void ProfileListPanel::Add()
{
    const QString name = RunProfileNameDialog(m_page.MainWindow(), QStringLiteral("profile_name_1_text"), ProfileNames());
    if (name.isEmpty())
        return;
    const int row = m_page.Session().Locked([&name](ProfileSession::State& state) {
        state.profiles.push_back(CreateProfile(name));
        return int(state.profiles.size() - 1);
    });
    AppendRow(name);
    m_page.SaveStoresLater(PageServices::kProfileStore);
    SelectRowNotifying(row);
}

void ProfileListPanel::Delete()
{
    const std::size_t count = m_page.Session().Locked([](ProfileSession::State& state) { return state.profiles.size(); });
    if (count <= 1) {
        ShowWarning(QStringLiteral("one_profile_text"));
        return;
    }
    if (ShowWarning(QStringLiteral("delete_profile_text")) != 1)
        return;
    // The record goes and the index moves in one step, so the worker never meets an index past
    // the end of the list.
    const auto [removed, next] = m_page.Session().Locked([](ProfileSession::State& state) {
        const int at = int(state.header->current_profile_index);
        state.profiles.erase(state.profiles.begin() + at);
        const int target = at < int(state.profiles.size()) ? at : at - 1;
        state.header->current_profile_index = std::uint32_t(target);
        return std::pair{at, target};
    });
    if (m_list) {
        const QSignalBlocker blocker(m_list);
        delete m_list->takeItem(removed);
    }
    m_page.SaveStoresLater(PageServices::kProfileStore);
    SelectRowNotifying(next);
}

void ProfileListPanel::Rename()
{
    const QString name = RunProfileNameDialog(m_page.MainWindow(), QStringLiteral("profile_name_2_text"), ProfileNames());
    if (name.isEmpty())
        return;
    const int row = m_page.Session().Locked([&name](ProfileSession::State& state) {
        SetProfileName(state.Current(), name);
        return int(state.header->current_profile_index);
    });
    if (m_list && m_list->item(row))
        m_list->item(row)->setText(name);
    m_page.SaveStoresLater(PageServices::kProfileStore);
}

void ProfileListPanel::Reset()
{
    if (ShowWarning(QStringLiteral("restore_text")) != 1)
        return;
    m_page.Session().Locked([](ProfileSession::State& state) {
        FillProfileDefaults(state.Current());
        state.fullSend = true;
    });
    m_page.RefreshPage();
    m_page.RequestSend();
}

void ProfileListPanel::Export()
{
    WindowImplBase* window = m_page.MainWindow();
    const auto record = m_page.WithCurrent([](ProfileRecord& current) { return std::make_unique<ProfileRecord>(current); });
    const QString path = RunFileDialog({FileDialogRequest::Kind::Save, window ? window->GetHWND() : nullptr,
                                        ProfileFileFilter(), QStringLiteral("pro"), {},
                                        ProfileName(*record) + QStringLiteral(".pro")});
    if (path.isEmpty() || !m_list)
        return;
    ProfileTransfer::ExportAsync(path, m_page.Session().DataFolder(), *record, m_list, [this](TransferError error) {
        if (error)
            ShowWarning(ProfileTransfer::MessageKey(error));
    });
}

void ProfileListPanel::Import()
{
    WindowImplBase* window = m_page.MainWindow();
    const QString path = RunFileDialog({FileDialogRequest::Kind::Open, window ? window->GetHWND() : nullptr,
                                        ProfileFileFilter(), QStringLiteral("pro"), {}, {}});
    if (path.isEmpty() || !m_list)
        return;
    ProfileTransfer::ReadAsync(path, m_page.Session().DataFolder(), m_list,
                               [this](std::unique_ptr<ProfileRecord> record, TransferError error) {
                                   FinishImport(std::move(record), error);
                               });
}

void ProfileListPanel::FinishImport(std::unique_ptr<ProfileRecord> record, const TransferError& error)
{
    if (!record) {
        ShowWarning(ProfileTransfer::MessageKey(error));
        return;
    }
    // A store that could not be read is never written, so an import could not be kept: the
    // profile and the macros it brings would be lost, or point at macros the file does not hold.
    const std::optional<ProfileImport> imported = ProfileTransfer::AddImported(m_page.Session(), std::move(record));
    if (!imported) {
        ShowWarning(QStringLiteral("store_unreadable_text"));
        return;
    }
    const QString name = m_page.Session().Locked(
        [&imported](ProfileSession::State& state) { return ProfileName(*state.profiles.at(imported->profileIndex)); });
    AppendRow(name);
    SelectRowNotifying(int(imported->profileIndex));
}

QStringList ProfileListPanel::ProfileNames()
{
    return m_page.Session().Locked([](ProfileSession::State& state) {
        QStringList names;
        for (const auto& profile : state.profiles)
            names.append(ProfileName(*profile));
        return names;
    });
}

void ProfileListPanel::AppendRow(const QString& name)
{
    if (!m_list)
        return;
    auto* item = new QListWidgetItem(name, m_list);
    item->setSizeHint(QSize(0, kRowHeight));
}

void ProfileListPanel::SelectRowNotifying(int row)
{
    if (!m_list)
        return;
    {
        const QSignalBlocker blocker(m_list);
        m_list->setCurrentRow(-1);
    }
    SelectItem(m_list, row, true);
}

int ProfileListPanel::ShowWarning(const QString& textKey)
{
    return ShowMessageBox(m_page.MainWindow(), kWarningTitle, textKey);
}

QString ProfileListPanel::ProfileFileFilter() const
{
    return CResourceManager::Instance().GetText(QStringLiteral("profile_file_text")) + QStringLiteral(" (*.pro *.PRO)");
}
