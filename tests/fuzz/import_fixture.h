#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The data folder an import starts from: two profiles (the second with button 4 bound to the
// store's only macro) and one macro.
struct ImportStores {
    QByteArray profiles;
    QByteArray macros;
};
const ImportStores& StartingStores();

// Writes the starting stores into the scratch folder, emptied first.
void ResetStores();

// Runs one karvoctl command against the scratch folder. False when the command refused.
bool RunCtl(const QString& command, const QStringList& arguments, QString* output = nullptr);

QByteArray ProfileStoreBytes();
QByteArray MacroStoreBytes();
