#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "core/macro/macro_record.h"

// *.macro files in and out. Reading and writing happen on a pool thread; the result comes back on
// the thread of the context object (the window's), and not at all when that object is gone.
namespace MacroTransfer {

// Writes a copy of the record; done gets true when the file holds all 240 bytes.
void ExportAsync(const QString& path, const MacroRecord& record, QObject* context,
                 std::function<void(bool written)> done);

// Reads a *.macro file; done gets the record, or nothing and the language key of the reason.
void ReadAsync(const QString& path, QObject* context,
               std::function<void(std::unique_ptr<MacroRecord> record, QString errorKey)> done);

}  // namespace MacroTransfer
