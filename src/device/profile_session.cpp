#include "device/profile_session.h"

#include <cstring>
#include <vector>

#include "core/storage/app_folders.h"
#include "core/storage/macro_store.h"
#include "core/storage/store_files.h"

namespace {

constexpr std::size_t kRecordsPerTurn = 8;  // about 260 KB copied per hold of the session's lock
constexpr int kTurnTakingTries = 3;         // then the copy is made in one hold

bool SameRecords(const ProfileList& profiles, const std::vector<const ProfileRecord*>& layout)
{
    if (profiles.size() != layout.size())
        return false;
    for (std::size_t i = 0; i < layout.size(); ++i) {
        if (profiles[i].get() != layout[i])
            return false;
    }
    return true;
}

}  // namespace

ProfileSession::ProfileSession(const QString& dataFolder) : m_dataFolder(dataFolder)
{
    m_state.header = std::make_unique<StoreHeader>();
    *m_state.header = {};
    m_state.appliedSnapshot = std::make_unique<ProfileRecord>();
    *m_state.appliedSnapshot = {};
}

ProfileSession::~ProfileSession()
{
    m_writer.SetFailureHandler({});
    m_writer.Flush();
    for (const QString& failure : m_writer.TakeFailures())
        qCWarning(lcStorage) << "not saved at exit:" << failure;
}

QString ProfileSession::DataFolder() const
{
    return m_dataFolder.isEmpty() ? GetDataFolder() : m_dataFolder;
}

void ProfileSession::Load(StoreLoadResult* profileResult, StoreLoadResult* macroResult)
{
    m_writer.Flush();  // the files as this process last asked for them
    std::lock_guard lock(m_mutex);
    const StoreLoadResult profiles = LoadProfileStore(m_state.profiles, *m_state.header, DataFolder());
    const StoreLoadResult macros = LoadMacroStore(m_state.macros, DataFolder());
    m_state.fullSend = true;
    *m_state.appliedSnapshot = m_state.Current();
    if (profileResult)
        *profileResult = profiles;
    if (macroResult)
        *macroResult = macros;
}

void ProfileSession::RequestProfileSave()
{
    m_writer.Request(ProfileStorePath(DataFolder()), [this] { return ProfileStoreImage(); });
}

void ProfileSession::RequestMacroSave()
{
    std::lock_guard lock(m_mutex);
    RequestMacroSaveLocked(m_state);
}

void ProfileSession::RequestMacroSaveLocked(const State& state)
{
    QByteArray bytes;
    bytes.reserve(qsizetype(state.macros.size() * sizeof(MacroRecord)));
    for (const auto& record : state.macros)
        bytes.append(RecordBytes(*record));
    m_writer.Request(MacroStorePath(DataFolder()), std::move(bytes));
}

void ProfileSession::FlushSaves()
{
    m_writer.Flush();
}

void ProfileSession::SetSaveFailureHandler(std::function<void()> handler)
{
    m_writer.SetFailureHandler(std::move(handler));
}

QStringList ProfileSession::TakeSaveFailures()
{
    return m_writer.TakeFailures();
}

std::optional<QByteArray> ProfileSession::ProfileStoreImage()
{
    constexpr std::size_t kHeader = sizeof(StoreHeader);
    constexpr std::size_t kRecord = sizeof(ProfileRecord);
    for (int attempt = 1;; ++attempt) {
        std::size_t count = 0;
        {
            std::lock_guard lock(m_mutex);
            count = m_state.profiles.size();
        }
        QByteArray image(qsizetype(kHeader + count * kRecord), Qt::Uninitialized);
        char* out = image.data();
        std::vector<const ProfileRecord*> layout;
        {
            std::lock_guard lock(m_mutex);
            const ProfileList& profiles = m_state.profiles;
            if (profiles.size() != count)
                continue;
            std::memcpy(out, m_state.header.get(), kHeader);
            if (attempt >= kTurnTakingTries) {
                for (std::size_t i = 0; i < count; ++i)
                    std::memcpy(out + kHeader + i * kRecord, profiles[i].get(), kRecord);
                return image;
            }
            layout.reserve(count);
            for (const auto& record : profiles)
                layout.push_back(record.get());
        }
        // A few records per turn; every record is copied whole, and a list that gained, lost or
        // reordered records meanwhile starts the copy again. A record edited meanwhile is taken
        // as it stands at its turn; the save asked for with that edit follows this one.
        bool complete = true;
        for (std::size_t first = 0; first < count && complete; first += kRecordsPerTurn) {
            std::lock_guard lock(m_mutex);
            complete = SameRecords(m_state.profiles, layout);
            for (std::size_t i = first; complete && i < std::min(count, first + kRecordsPerTurn); ++i)
                std::memcpy(out + kHeader + i * kRecord, layout[i], kRecord);
        }
        if (complete)
            return image;
    }
}
