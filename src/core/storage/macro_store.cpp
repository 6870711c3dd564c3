#include "core/storage/macro_store.h"

#include <QByteArray>
#include <cstring>

#include "core/text/language_text.h"
#include "core/storage/store_files.h"
#include "core/storage/store_names.h"

namespace {

QString ParseMacros(const QByteArray& bytes, MacroList& macros)
{
    const qint64 size = bytes.size();
    const qint64 count = size / qint64(sizeof(MacroRecord));
    macros.reserve(std::size_t(count));
    for (qint64 i = 0; i < count; ++i) {
        auto record = std::make_unique<MacroRecord>();
        std::memcpy(record.get(), bytes.constData() + i * qint64(sizeof(MacroRecord)), sizeof(MacroRecord));
        macros.push_back(std::move(record));
    }
    if (size % qint64(sizeof(MacroRecord)) != 0)
        return QStringLiteral("it ends in a partial macro record of %1 bytes")
            .arg(size % qint64(sizeof(MacroRecord)));
    return {};
}

}  // namespace

StoreLoadResult LoadMacroStore(MacroList& macros, const QString& dataFolder)
{
    macros.clear();
    return LoadStoreFile(
        MacroStorePath(dataFolder), [&](const QByteArray& bytes) { return ParseMacros(bytes, macros); }, [] {},
        [&] { return SaveMacroStore(macros, dataFolder); }, [](StoreLoadResult&) {}, [&] { macros.clear(); });
}

bool SaveMacroStore(const MacroList& macros, const QString& dataFolder)
{
    if (!EnsureStoreFolder(dataFolder)) {
        qCWarning(lcStorage) << "cannot make the store folder" << StoreFolderPath(dataFolder);
        return false;
    }
    std::vector<QByteArrayView> chunks;
    chunks.reserve(macros.size());
    for (const auto& record : macros)
        chunks.push_back(RecordBytes(*record));
    return WriteFileAtomically(MacroStorePath(dataFolder), chunks);
}

MacroRecord& AddDefaultMacro(MacroList& macros, const QString& dataFolder)
{
    const QString base = LanguageText(QStringLiteral("add_macro_text")) + QString::number(macros.size() + 1);
    macros.push_back(CreateMacro(MakeUniqueName(macros, base)));
    SaveMacroStore(macros, dataFolder);
    return *macros.back();
}
