#include "device/profile_session.h"

#include <cstring>
#include <vector>

#include "core/storage/app_folders.h"
#include "core/storage/macro_store.h"
#include "core/storage/store_files.h"

namespace {

constexpr std::size_t kHeaderBytes = sizeof(StoreHeader);
constexpr std::size_t kRecordBytes = sizeof(ProfileRecord);
// A list that keeps changing shape this often while it is copied is copied in one hold.
constexpr int kStructureChangeTries = 8;

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
    ++m_generation;
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
    if (!UpdateCurrentProfileInImage())
        BuildWholeImage();
    return m_image;
}

bool ProfileSession::UpdateCurrentProfileInImage()
{
    if (m_image.isEmpty())
        return false;
    m_image.detach();  // the writer keeps the last image; the copy is made here, not under the lock
    char* out = m_image.data();
    std::lock_guard lock(m_mutex);
    // Only LockedCurrentProfile() was used since the last build: nothing but the current profile
    // can differ from the image.
    if (m_generation != m_imageGeneration)
        return false;
    const std::size_t index = m_state.header->current_profile_index;
    if (m_image.size() != qsizetype(kHeaderBytes + m_state.profiles.size() * kRecordBytes)
        || index >= m_state.profiles.size())
        return false;
    std::memcpy(out, m_state.header.get(), kHeaderBytes);
    std::memcpy(out + kHeaderBytes + index * kRecordBytes, m_state.profiles[index].get(), kRecordBytes);
    return true;
}

void ProfileSession::BuildWholeImage()
{
    for (int attempt = 1;; ++attempt) {
        std::size_t count = 0;
        {
            std::lock_guard lock(m_mutex);
            count = m_state.profiles.size();
        }
        // Filled here, outside the lock, so that copying under it touches no fresh memory.
        QByteArray image(qsizetype(kHeaderBytes + count * kRecordBytes), '\0');
        char* out = image.data();
        std::uint64_t generation = 0;
        std::vector<const ProfileRecord*> layout;
        layout.reserve(count);
        {
            std::lock_guard lock(m_mutex);
            if (m_state.profiles.size() != count)
                continue;
            generation = m_generation;
            std::memcpy(out, m_state.header.get(), kHeaderBytes);
            if (attempt >= kStructureChangeTries) {
                for (std::size_t i = 0; i < count; ++i)
                    std::memcpy(out + kHeaderBytes + i * kRecordBytes, m_state.profiles[i].get(), kRecordBytes);
                m_image = std::move(image);
                m_imageGeneration = generation;
                return;
            }
            for (const auto& record : m_state.profiles)
                layout.push_back(record.get());
        }
        // A record per turn. A list that gained, lost or reordered records meanwhile starts the
        // copy again; a record edited meanwhile is taken whole as it stands at its turn. Since
        // the image is marked with the generation it started at, any such edit makes the next
        // save copy every record again, so the file catches up.
        bool complete = true;
        for (std::size_t i = 0; i < count && complete; ++i) {
            std::lock_guard lock(m_mutex);
            complete = m_generation == generation || SameRecords(m_state.profiles, layout);
            if (complete)
                std::memcpy(out + kHeaderBytes + i * kRecordBytes, layout[i], kRecordBytes);
        }
        if (complete) {
            m_image = std::move(image);
            m_imageGeneration = generation;
            return;
        }
    }
}
