#pragma once

// What the fuzz targets share: a scratch data folder (on a memory file system where there is one),
// checks that stop the run with a message (libFuzzer keeps the input), the checks every store load
// owes, and karvoctl run against the scratch folder. Qt's log output is dropped: damaged input
// warns on nearly every run.
#include <QByteArray>
#include <QStringList>
#include <cstdint>
#include <functional>

#include "core/storage/store_load_result.h"

QString Scratch(const QString& relative = {});  // the data folder, or a file in it
void ClearScratch();                            // so each input starts from an empty folder
QByteArray ReadAll(const QString& path);
void WriteAll(const QString& path, const QByteArray& bytes);
void Check(bool condition, const char* what);
template <typename Record>
QByteArray ImageOf(const Record& record) { return QByteArray(reinterpret_cast<const char*>(&record), sizeof(Record)); }

// Writes the input as the store file ms_1/<store> and loads it with load(), which gives the result
// and the image of what it loaded. A sound store is left as it was; a damaged one is kept aside (or
// left in place when no copy could be made) and, once written back, loads again as it stands.
using StoreLoad = std::function<std::pair<StoreLoadResult, QByteArray>()>;
void FuzzStoreLoad(const char* store, const std::uint8_t* data, std::size_t size, const StoreLoad& load);

// The data folder an import starts from: karvoctl's default pro.data and a macro.data whose only
// macro is "Burst", so that imported names meet a taken one. Gives the two stores' bytes.
std::pair<QByteArray, QByteArray> ResetStores();
// Runs one karvoctl command against the scratch folder; false when it refused (saying why).
bool RunCtl(const QString& command, const QStringList& arguments = {});
