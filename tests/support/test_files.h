#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>

// A fresh data folder for one test, removed afterwards. path() ends in a separator, as the data
// folder does.
class TempDataFolder {
public:
    QString path() const { return m_dir.path() + QLatin1Char('/'); }
    QString file(const QString& relative) const { return path() + relative; }
    QString storeFile(const char* name) const { return path() + QStringLiteral("ms_1/") + QLatin1String(name); }

private:
    QTemporaryDir m_dir;
};

QByteArray ReadFileBytes(const QString& path);
void WriteFileBytes(const QString& path, const QByteArray& bytes);

// Little-endian writes at a byte offset, for building expected images independently of the
// record structs.
void PutU8(QByteArray& bytes, int offset, std::uint8_t value);
void PutU16(QByteArray& bytes, int offset, std::uint16_t value);
void PutI32(QByteArray& bytes, int offset, std::int32_t value);
void PutUtf16(QByteArray& bytes, int offset, const QString& text);

std::uint32_t GetU32(const QByteArray& bytes, int offset);
