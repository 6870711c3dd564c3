#include "app/shell/page_mouse_control.h"

#include <QListWidget>
#include <QLoggingCategory>

#include "app/macro/macro_transfer.h"
#include "app/settings/profile_transfer.h"
#include "app/shell/main_wnd.h"
#include "app/shell/window_messages.h"
#include "ui/controls.h"

Q_LOGGING_CATEGORY(lcControl, "karvo.app.control", QtInfoMsg)

namespace {

constexpr int kDpiUnit = 40;
constexpr int kBatteryPercentPerLevel = 10;
constexpr int kProfileEntryHeight = 22;

const QString kStoreOutOfReach = QStringLiteral("a store cannot be read, so nothing can be added to it; nothing was imported");

}  // namespace

PageMouseControl::PageMouseControl(CMainWnd& window)
    : m_window(window), m_dataFolder(window.Page().Session().DataFolder())
{
}

PageMouseControl::~PageMouseControl()
{
    // Saves asked for here tell this object when they are done: none may be left to tell.
    m_window.Page().Session().FlushSaves();
}

QStringList PageMouseControl::ProfileNames() const
{
    return m_window.Page().Session().Locked([](ProfileSession::State& state) {
        QStringList names;
        for (const auto& profile : state.profiles)
            names << ProfileName(*profile);
        return names;
    });
}

MouseStatus PageMouseControl::Status() const
{
    MouseStatus status = m_window.Page().Session().Locked([](ProfileSession::State& state) {
        MouseStatus s;
        if (!state.header || state.profiles.empty())
            return s;
        const std::size_t index = std::min<std::size_t>(state.header->current_profile_index, state.profiles.size() - 1);
        const ProfileRecord& profile = *state.profiles[index];
        s.currentProfile = ProfileName(profile);
        s.currentProfileIndex = int(index);
        const int stage = std::clamp(profile.current_stage, 0, int(std::size(profile.dpi_value)) - 1);
        s.currentStage = stage + 1;
        s.currentDpi = int(std::uint32_t(profile.dpi_value[stage]) * kDpiUnit);
        return s;
    });
    if (DeviceLinks* links = m_window.Page().Links()) {
        if (links->CableState() == LinkState::Open)
            status.links << QStringLiteral("cable");
        if (links->ReceiverState() == LinkState::Open && links->MouseOnline())
            status.links << QStringLiteral("receiver");
        if (links->BlePresent())
            status.links << QStringLiteral("bluetooth");
        if (!status.links.isEmpty() && links->BatteryLevel() > 0)
            status.batteryLevel = links->BatteryLevel() * kBatteryPercentPerLevel;
    }
    // Charging shows as the running animation of the power bar.
    if (QWidget* power = m_window.PaintManager().FindControl(QStringLiteral("ms_1_progress_power")))
        status.charging = m_window.PaintManager().IsTimerActive(power, TimerId::kChargingAnimation);
    if (status.charging)
        status.batteryLevel = -1;
    return status;
}

QString PageMouseControl::DataFolder() const
{
    return m_dataFolder;
}

bool PageMouseControl::SwitchProfile(int index)
{
    ProfileSession& session = m_window.Page().Session();
    const int count = session.Locked([](ProfileSession::State& state) { return int(state.profiles.size()); });
    if (index < 0 || index >= count)
        return false;
    // The list is the user's way to switch: selecting there lets the page do what a click does.
    if (auto* list = m_window.PaintManager().FindControl<QListWidget>(QStringLiteral("ms_1_list_profile")))
        SelectItem(list, index, true);
    const bool switchedByPage = session.Locked([index](ProfileSession::State& state) {
        return int(state.header->current_profile_index) == index;
    });
    if (!switchedByPage) {
        session.Locked([index](ProfileSession::State& state) { state.header->current_profile_index = std::uint32_t(index); });
        m_window.PostMessage(Msg::UM_APPLY, 0, 0);
    }
    // Saved now, whether or not the mouse can be reached to take it.
    session.RequestProfileSave();
    qCInfo(lcControl) << "profile" << index << "is current";
    return true;
}

void PageMouseControl::Apply()
{
    m_window.Page().Session().Locked([](ProfileSession::State& state) { state.fullSend = true; });
    m_window.PostMessage(Msg::UM_APPLY, 0, 0);
}

void PageMouseControl::ShowProfileInList(int index, const QString& name)
{
    auto* list = m_window.PaintManager().FindControl<QListWidget>(QStringLiteral("ms_1_list_profile"));
    if (!list)
        return;
    if (list->count() == index) {
        auto* item = new QListWidgetItem(name, list);
        item->setSizeHint(QSize(0, kProfileEntryHeight));
    }
    // As a click on the row: the page shows the imported profile and sends it.
    SelectItem(list, index, true);
}

void PageMouseControl::ImportProfile(const QString& path, std::function<void(const ImportOutcome&)> done)
{
    const auto read = [this, done](std::unique_ptr<ProfileRecord> record, TransferError error) {
        if (!record) {
            done({error.message, -1, {}, false});
            return;
        }
        auto outcome = std::make_shared<ImportOutcome>();
        ProfileSession& session = m_window.Page().Session();
        const std::optional<ProfileImport> imported =
            ProfileTransfer::AddImported(session, std::move(record), WhenImportSaved(done, outcome));
        if (!imported) {
            done({kStoreOutOfReach, -1, {}, true});
            return;
        }
        outcome->index = int(imported->profileIndex);
        outcome->name = session.Locked(
            [&](ProfileSession::State& state) { return ProfileName(*state.profiles.at(imported->profileIndex)); });
        ShowProfileInList(outcome->index, outcome->name);
        m_window.PostMessage(Msg::UM_APPLY, 0, 0);
    };
    ProfileTransfer::ReadAsync(path, m_dataFolder, this, read);
}

void PageMouseControl::ImportMacro(const QString& path, std::function<void(const ImportOutcome&)> done)
{
    const auto read = [this, done](std::unique_ptr<MacroRecord> record, TransferError error) {
        if (!record) {
            done({error.message, -1, {}, false});
            return;
        }
        auto outcome = std::make_shared<ImportOutcome>();
        ProfileSession& session = m_window.Page().Session();
        const std::optional<std::size_t> index =
            MacroTransfer::AddImported(session, std::move(record), WhenImportSaved(done, outcome));
        if (!index) {
            done({kStoreOutOfReach, -1, {}, true});
            return;
        }
        outcome->index = int(*index);
        outcome->name = session.Locked([&](ProfileSession::State& state) { return MacroName(*state.macros.at(*index)); });
    };
    MacroTransfer::ReadAsync(path, m_dataFolder, this, read);
}

void PageMouseControl::SaveProfiles(std::function<void(const QString& error)> done)
{
    m_window.Page().Session().RequestProfileSave(OnUiThread(std::move(done)));
}

StoreWriter::Done PageMouseControl::WhenImportSaved(std::function<void(const ImportOutcome&)> done,
                                                   std::shared_ptr<ImportOutcome> outcome)
{
    // The outcome is filled in before the news can be heard: it comes through this thread's queue.
    return OnUiThread([done = std::move(done), outcome = std::move(outcome)](const QString& saveError) {
        outcome->error = saveError;
        outcome->notSaved = !saveError.isEmpty();
        done(*outcome);
    });
}

StoreWriter::Done PageMouseControl::OnUiThread(std::function<void(const QString& error)> done)
{
    // Runs on the writer thread. This object outlives every save it asked for: its destructor
    // waits for the writer.
    return [this, done = std::move(done)](const QString& error) {
        QMetaObject::invokeMethod(this, [done, error] { done(error); }, Qt::QueuedConnection);
    };
}
