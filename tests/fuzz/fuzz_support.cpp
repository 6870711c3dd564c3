#include "fuzz_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/macro/macro_record.h"
#include "karvoctl_commands.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {  // Qt still aborts after a fatal message
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    return 0;
}

QString Scratch(const QString& relative) {
    static const QTemporaryDir dir(
        (QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm") : QDir::tempPath()) + "/karvo-fuzz-XXXXXX");
    Check(dir.isValid(), "the scratch folder could be made");
    return dir.path() + QLatin1Char('/') + relative;
}

void ClearScratch() {
    for (const QFileInfo& entry : QDir(Scratch()).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        entry.isDir() && !entry.isSymLink() ? void(QDir(entry.filePath()).removeRecursively()) : void(QFile::remove(entry.filePath()));
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    Check(file.open(QIODevice::ReadOnly), "a file the test wrote can be read");
    return file.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    Check(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size(), "the scratch folder takes every byte");
}

void Check(bool condition, const char* what) {
    if (!condition)
        std::fprintf(stderr, "invariant broken: %s\n", what), std::abort();
}

void FuzzStoreLoad(const char* store, const std::uint8_t* data, std::size_t size, const StoreLoad& load) {
    using Outcome = StoreLoadResult::Outcome;
    ClearScratch();
    const QString path = Scratch(QStringLiteral("ms_1/") + QLatin1String(store));
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    WriteAll(path, input);
    const auto [result, loaded] = load();
    Check(result.outcome != Outcome::Missing, "an existing store is not taken for a missing one");
    Check(result.problem.isEmpty() == (result.outcome == Outcome::Loaded), "a repaired store, and only one, says what was wrong");
    if (result.outcome == Outcome::Loaded)
        return Check(ReadAll(path) == input && loaded == input, "a sound store is left as it was and read byte for byte");
    Check(ReadAll(result.keptAsidePath.isEmpty() ? path : result.keptAsidePath) == input,
          "the original bytes are kept aside, or in place when no copy could be made");
    if (result.saved) {
        Check(ReadAll(path) == loaded, "the repaired store is written as loaded");
        const auto [again, reloaded] = load();
        Check(again.outcome == Outcome::Loaded && reloaded == loaded, "a repaired store loads again as it stands");
    }
}

std::pair<QByteArray, QByteArray> ResetStores() {
    ClearScratch();
    auto macro = CreateMacro(QStringLiteral("Burst"));
    macro->action_count = 2;
    std::ranges::copy(std::initializer_list<MacroActionSlot>{{4, 1, 2000}, {4, 2, 10}}, macro->actions);
    WriteAll(Scratch(QStringLiteral("ms_1/macro.data")), ImageOf(*macro));
    Check(RunCtl(QStringLiteral("list")), "karvoctl makes the default profile store");
    return {ReadAll(Scratch(QStringLiteral("ms_1/pro.data"))), ImageOf(*macro)};
}

bool RunCtl(const QString& command, const QStringList& arguments) {
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    try {
        RunCommand(command, arguments, CtlContext{Scratch(), outStream, errStream});
    } catch (const CtlError& error) {
        Check(!error.message.isEmpty(), "a refusal says why");
        return false;
    }
    return true;
}
