#include "fuzz_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>

namespace {

QString ScratchTemplate()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    const QString base = shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
    return base + QStringLiteral("/karvo-fuzz-XXXXXX");
}

}  // namespace

ScratchFolder::ScratchFolder() : m_dir(ScratchTemplate())
{
    Check(m_dir.isValid(), "the scratch folder could be made");
}

void ScratchFolder::Clear() const
{
    QDir dir(m_dir.path());
    for (const QFileInfo& entry : dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        if (entry.isDir() && !entry.isSymLink())
            QDir(entry.filePath()).removeRecursively();
        else
            QFile::remove(entry.filePath());
    }
}

ScratchFolder& Scratch()
{
    static ScratchFolder folder;
    return folder;
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    Check(file.open(QIODevice::ReadOnly), "a file the test wrote can be read");
    return file.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    Check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the scratch folder takes a file");
    Check(file.write(bytes) == bytes.size(), "the scratch folder takes every byte");
}

void Check(bool condition, const char* what)
{
    if (condition)
        return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

void QuietQtMessages()
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtFatalMsg) {
            std::fprintf(stderr, "%s\n", qPrintable(message));
            std::abort();
        }
    });
}
