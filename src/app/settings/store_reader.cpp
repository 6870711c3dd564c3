#include "app/settings/store_reader.h"

#include <QMetaObject>
#include <QObject>

#include "device/profile_session.h"

StoreReader::~StoreReader()
{
    if (m_thread.joinable())
        m_thread.join();
}

void StoreReader::Start(ProfileSession& session, QObject* receiver, Done done)
{
    if (m_thread.joinable())
        m_thread.join();
    session.HoldSavesUntilLoaded();
    m_thread = std::thread([&session, receiver, done = std::move(done)] {
        StoreLoadResult profiles;
        StoreLoadResult macros;
        session.Load(&profiles, &macros);
        // Queued to the receiver: dropped with it when it goes first.
        QMetaObject::invokeMethod(receiver, [done, profiles, macros] { done(profiles, macros); }, Qt::QueuedConnection);
    });
}
