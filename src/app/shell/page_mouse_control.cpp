#include "app/shell/page_mouse_control.h"

#include <QListWidget>
#include <QLoggingCategory>

#include "app/shell/background_queue.h"
#include "app/shell/main_wnd.h"
#include "app/shell/window_messages.h"
#include "core/macro/macro_file.h"
#include "core/profile/profile_file.h"
#include "core/profile/profile_import.h"
#include "core/storage/macro_store.h"
#include "ui/controls.h"

Q_LOGGING_CATEGORY(lcControl, "karvo.app.control", QtInfoMsg)

namespace {

constexpr int kDpiUnit = 40;
constexpr int kBatteryPercentPerLevel = 10;
constexpr int kProfileEntryHeight = 22;

template <typename Record>
struct FileRead {
    std::shared_ptr<Record> record;
    QString error;
};

}  // namespace

PageMouseControl::PageMouseControl(CMainWnd& window)
    : m_window(window), m_dataFolder(window.Page().Session().DataFolder())
{
}

PageMouseControl::~PageMouseControl()
{
    BackgroundQueue::Shell().WaitForDone();
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
    SelectItem(list, index, false);
}

void PageMouseControl::ImportProfile(const QString& path, std::function<void(const ImportOutcome&)> done)
{
    ProfileSession& session = m_window.Page().Session();
    BackgroundQueue::Shell().Run<FileRead<ProfileRecord>>(
        [path] {
            QString error;
            std::shared_ptr<ProfileRecord> record(ReadProfileFile(path, &error).release());
            return FileRead<ProfileRecord>{record, error};
        },
        this,
        [this, &session, done](FileRead<ProfileRecord> read) {
            if (!read.record) {
                done({read.error, -1, {}});
                return;
            }
            const auto imported = session.Locked([&read](ProfileSession::State& state) {
                const ProfileImport result = ImportProfileRecord(state.profiles, state.macros,
                                                                 std::make_unique<ProfileRecord>(*read.record));
                state.header->current_profile_index = std::uint32_t(result.profileIndex);
                return std::pair{result, ProfileName(*state.profiles[result.profileIndex])};
            });
            ShowProfileInList(int(imported.first.profileIndex), imported.second);
            m_window.PostMessage(Msg::UM_APPLY, 0, 0);
            // The store writer keeps the order of the stores: macros first, so a crash between the
            // two leaves at most unused macros, never a profile pointing at macros that are not
            // there. A failed save reaches the window as a message of its own.
            if (imported.first.macrosCreated > 0)
                session.RequestMacroSave();
            session.RequestProfileSave();
            done({QString(), int(imported.first.profileIndex), imported.second});
        });
}

void PageMouseControl::ImportMacro(const QString& path, std::function<void(const ImportOutcome&)> done)
{
    ProfileSession& session = m_window.Page().Session();
    BackgroundQueue::Shell().Run<FileRead<MacroRecord>>(
        [path] {
            QString error;
            std::shared_ptr<MacroRecord> record(ReadMacroFile(path, &error).release());
            return FileRead<MacroRecord>{record, error};
        },
        this,
        [this, &session, done](FileRead<MacroRecord> read) {
            if (!read.record) {
                done({read.error, -1, {}});
                return;
            }
            const auto imported = session.Locked([&read](ProfileSession::State& state) {
                const std::size_t index = AppendImportedMacro(state.macros, std::make_unique<MacroRecord>(*read.record));
                return std::pair{int(index), MacroName(*state.macros[index])};
            });
            session.RequestMacroSave();
            done({QString(), imported.first, imported.second});
        });
}
