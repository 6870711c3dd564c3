#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

QByteArray ReadFileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ADD_FAILURE() << "cannot read " << path.toStdString(), QByteArray();
    return file.readAll();
}

void WriteFileBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

void PutU8(QByteArray& bytes, int offset, std::uint8_t value) { bytes[offset] = char(value); }
void PutU16(QByteArray& bytes, int offset, std::uint16_t value) { PutU8(bytes, offset, value & 0xFF), PutU8(bytes, offset + 1, value >> 8); }

void PutI32(QByteArray& bytes, int offset, std::int32_t value) {
    for (int i = 0; i < 4; ++i)
        PutU8(bytes, offset + i, (std::uint32_t(value) >> (8 * i)) & 0xFF);
}

void PutUtf16(QByteArray& bytes, int offset, const QString& text) {
    for (int i = 0; i < text.size(); ++i)
        PutU16(bytes, offset + 2 * i, text.at(i).unicode());
}

std::uint32_t GetU32(const QByteArray& bytes, int offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | std::uint8_t(bytes.at(offset + i));
    return value;
}
