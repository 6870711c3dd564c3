#include "core/storage/store_pair.h"

#include <QFile>

#include "core/storage/macro_store.h"
#include "core/storage/store_access.h"
#include "core/storage/store_files.h"

bool SaveProfileAndMacroStores(const ProfileList& profiles, const StoreHeader& header, const MacroList& macros,
                               QString* error, const QString& dataFolder)
{
    const QString macroPath = MacroStorePath(dataFolder);
    QByteArray previous;
    QString reason;
    const StoreFileState before = ReadStoreBytes(macroPath, &previous, &reason);
    if (before == StoreFileState::Unreadable) {
        *error = QStringLiteral("cannot read macro.data in %1 (%2); nothing was changed").arg(dataFolder, reason);
        return false;
    }
    if (!SaveMacroStore(macros, dataFolder)) {
        *error = QStringLiteral("cannot write macro.data in %1; nothing was changed").arg(dataFolder);
        return false;
    }
    if (SaveProfileStore(profiles, header, dataFolder))
        return true;

    const bool restored = before == StoreFileState::Missing ? QFile::remove(macroPath)
                                                            : WriteFileAtomically(macroPath, {QByteArrayView(previous)});
    if (restored) {
        *error = QStringLiteral("cannot write pro.data in %1; nothing was changed").arg(dataFolder);
    } else {
        qCWarning(lcStorage) << "could not put back" << macroPath;
        *error = QStringLiteral("cannot write pro.data in %1; macro.data keeps the new macros, which no "
                                "profile uses")
                     .arg(dataFolder);
    }
    return false;
}
