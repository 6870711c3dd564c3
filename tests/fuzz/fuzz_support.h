#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

// The data folder one fuzzing process works in, on a memory file system where there is one.
// path() ends in a separator, as a data folder does.
class ScratchFolder {
public:
    ScratchFolder();
    QString path() const { return m_dir.path() + QLatin1Char('/'); }
    QString file(const QString& relative) const { return path() + relative; }
    QString storeFile(const char* name) const { return path() + QStringLiteral("ms_1/") + QLatin1String(name); }
    // Removes everything inside, so each input starts from the same folder.
    void Clear() const;

private:
    QTemporaryDir m_dir;
};

ScratchFolder& Scratch();

QByteArray ReadAll(const QString& path);
void WriteAll(const QString& path, const QByteArray& bytes);
inline QByteArray InputBytes(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Stops the run with a message when an invariant does not hold; libFuzzer keeps the input.
void Check(bool condition, const char* what);

// Drops Qt's log output: warnings about damaged input are expected on nearly every run.
void QuietQtMessages();

// The byte image of a record, as it lies in a store or file.
template <typename Record>
QByteArray ImageOf(const Record& record)
{
    return QByteArray(reinterpret_cast<const char*>(&record), sizeof(Record));
}
