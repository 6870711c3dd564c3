// The background store writer: bursts fold into one write with the latest content, files keep the
// order they were asked for, unchanged content is not written again, and failures are told.
// A gate in the write function holds the writer where a test needs it, so nothing sleeps.
#include <gtest/gtest.h>

#include <QFile>
#include <atomic>
#include <semaphore>

#include "core/storage/store_files.h"
#include "core/storage/store_writer.h"
#include "support/test_files.h"

namespace {

// Records every write. While gated, the writer's next write waits (inside) until the test lets it go.
struct GatedDisk {
    bool Write(const QString& path, const QByteArray& bytes, QString* error) {
        if (gated.exchange(false)) {
            inside.release();
            go.acquire();
        }
        log << QStringLiteral("%1=%2").arg(path, QString::fromLatin1(bytes));
        *error = failWith;
        return failWith.isEmpty();
    }
    std::atomic<bool> gated{false};
    std::binary_semaphore inside{0}, go{0};
    QStringList log;   // read once the writer is flushed
    QString failWith;  // set before the writer runs
};

class StoreWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        writer.SetWriteFunction([this](const QString& path, const QByteArray& bytes, QString* error) {
            return disk.Write(path, bytes, error);
        });
    }
    // Holds the writer inside the write of "first" ("pro" writes "p1") while the test asks for more.
    void HoldFirstWrite(const QString& first) {
        disk.gated = true;
        writer.Request(first, QByteArray(first.left(1).toLatin1() + "1"));
        disk.inside.acquire();
    }
    GatedDisk disk;
    StoreWriter writer;
};

// Content from a source is built when the writer gets to it, so "other" gets what state held then.
TEST_F(StoreWriterTest, ABurstIsOneWriteWithTheLatestContentAndFilesKeepTheirOrder) {
    HoldFirstWrite(QStringLiteral("pro"));
    QByteArray state = "a";
    int taken = 0;
    writer.Request(QStringLiteral("other"), [&] { return ++taken, std::optional<QByteArray>(state); });
    QStringList heard;  // who was told the save is done, and what went wrong ("" for nothing)
    for (auto [path, bytes] : {std::pair{"pro", "p2"}, {"macro", "m1"}, {"pro", "p3"}, {"macro", "m2"}})
        writer.Request(path, QByteArray(bytes), [&heard, bytes](const QString& error) { heard << bytes + error; });
    state = "b";
    disk.go.release();
    writer.Flush();
    EXPECT_EQ(disk.log, (QStringList{"pro=p1", "other=b", "pro=p3", "macro=m2"}));
    EXPECT_EQ(heard, (QStringList{"p2", "p3", "m1", "m2"}));  // folded requests hear of the write that took them in
    EXPECT_EQ(std::pair(writer.WriteCount(), taken), std::pair(4, 1));
}

TEST_F(StoreWriterTest, AFailedSaveIsToldAndTriedAgainWithTheNextRequest) {
    std::atomic<int> told{0};
    writer.SetFailureHandler([&] { ++told; });
    disk.failWith = QStringLiteral("the disk is full");
    writer.Request(QStringLiteral("pro"), QByteArray("p1"));
    writer.Flush();
    EXPECT_EQ(std::tuple(int(told), writer.TakeFailures(), writer.WriteCount()), std::tuple(1, QStringList{"the disk is full"}, 0));
    EXPECT_TRUE(writer.TakeFailures().isEmpty());
    disk.failWith.clear();
    writer.Request(QStringLiteral("pro"), QByteArray("p1"));  // same content: still written
    writer.Flush();
    EXPECT_EQ(disk.log, (QStringList{"pro=p1", "pro=p1"}));
    EXPECT_EQ(std::pair(writer.WriteCount(), int(told)), std::pair(1, 1));
}

// A file changed beside the writer is a failure that is told; a guard that holds a save back, or
// a source that gives nothing, leaves the file unwritten and untold.
TEST_F(StoreWriterTest, ChecksGuardsAndEmptySourcesKeepFilesUnwritten) {
    writer.SetWriteCheck([](const QString& path) {
        return path == QLatin1String("pro") ? QStringLiteral("pro was changed by another program") : QString();
    });
    QStringList guarded;
    writer.SetSaveGuard([&](const QStringList& paths, const std::function<bool()>& save) {
        guarded << paths.join(QLatin1Char('+'));
        if (!paths.contains(QStringLiteral("held")))
            save();
    });
    QStringList heard;
    for (const char* path : {"pro", "macro", "held"})
        writer.Request(QLatin1String(path), QByteArray(path).left(1) + "1", [&heard](const QString& error) { heard << error.left(12); });
    writer.Request(QStringLiteral("other"), [] { return std::optional<QByteArray>(); });
    writer.Flush();
    EXPECT_EQ(disk.log, QStringList{"macro=m1"});
    EXPECT_EQ(heard, (QStringList{"pro was chan", "", "held was not"}));
    EXPECT_EQ(guarded, (QStringList{"pro", "macro", "held", "other"}));
    EXPECT_EQ(writer.TakeFailures(), QStringList{"pro was changed by another program"});
}

TEST_F(StoreWriterTest, FilesSavedTogetherTakeThePlaceOfTheirWaitingSavesAndKeepTheirOrder) {
    HoldFirstWrite(QStringLiteral("other"));
    int told = 0;
    for (const char* path : {"pro", "macro"})
        writer.Request(path, QByteArray(path).left(1) + "1", [&told](const QString& error) { told += error.isEmpty(); });
    QStringList built;
    auto image = [&](const char* name, const char* bytes) {
        return [&built, name, bytes] { return built << QLatin1String(name), std::optional<QByteArray>(bytes); };
    };
    writer.RequestTogether({{QStringLiteral("macro"), image("macro", "m2")}, {QStringLiteral("pro"), image("pro", "p2")}},
                           [&told](const QString& error) { told += error.isEmpty(); });
    disk.go.release();
    writer.Flush();
    EXPECT_EQ(std::pair(disk.log, told), std::pair(QStringList{"other=o1", "macro=m2", "pro=p2"}, 3));  // each told once
    EXPECT_EQ(built, (QStringList{"pro", "macro"}));  // the file written later is built first
}

TEST(StoreWriterDisk, UnchangedContentIsNotWrittenAgainUnlessForgottenNothingWaitingIsLostAndFailuresAreTold) {
    TempDataFolder folder;
    const QString path = folder.file("ms_1/pro.data");  // the folder is made
    const QString macros = folder.file("macro.data");
    WriteFileBytes(macros, "same");
    StoreWriter writer;
    struct Step { const QString& path; const char* bytes; int writes, skips; };
    const Step steps[] = {{path, "one", 1, 0}, {path, "one", 1, 1}, {path, "two", 2, 1},
                          {macros, "same", 2, 2}};  // what is on disk already counts as written
    for (const Step& step : steps) {
        writer.Request(step.path, QByteArray(step.bytes));
        writer.Flush();
        EXPECT_EQ(ReadFileBytes(step.path), QByteArray(step.bytes));
        EXPECT_EQ(std::pair(writer.WriteCount(), writer.SkipCount()), std::pair(step.writes, step.skips)) << step.bytes;
    }
    WriteFileBytes(path, "theirs");  // changed beside the writer
    writer.Forget(path);
    writer.Request(path, QByteArray("two"));
    writer.Flush();
    EXPECT_EQ(std::pair(ReadFileBytes(path), writer.WriteCount()), std::pair(QByteArray("two"), 3));
    {
        StoreWriter leaving;  // what is waiting is written before the writer goes
        for (char c = 'a'; c <= 'z'; ++c)
            leaving.Request(macros, QByteArray(1, c));
    }
    EXPECT_EQ(ReadFileBytes(macros), QByteArray("z"));
    WriteFileBytes(folder.file("blocked"), "a file where a folder should be");
    writer.Request(folder.file("blocked/pro.data"), QByteArray("x"));  // a folder that cannot be made
    writer.Flush();
    const QStringList failures = writer.TakeFailures();
    EXPECT_TRUE(failures.size() == 1 && failures[0].contains("blocked")) << failures.join(',').toStdString();
}

TEST(StoreWriterDisk, WhenALaterFileOfASaveTogetherFailsTheEarlierOnesGetBackWhatTheyHeld) {
    TempDataFolder folder;
    const QString held = folder.file("macro.data"), fresh = folder.file("new.data"), refused = folder.file("pro.data");
    WriteFileBytes(held, "old macros");
    WriteFileBytes(refused, "old profiles");
    StoreWriter writer;
    bool refuse = true;
    writer.SetWriteFunction([&](const QString& path, const QByteArray& bytes, QString* error) {
        if (refuse && path == refused) {
            *error = QStringLiteral("refused");
            return false;
        }
        return WriteFileAtomically(path, {QByteArrayView(bytes)});
    });
    int told = 0;
    writer.SetFailureHandler([&] { ++told; });
    auto image = [](const char* bytes) { return [bytes] { return std::optional<QByteArray>(bytes); }; };
    writer.RequestTogether({{held, image("new macros")}, {fresh, image("made")}, {refused, image("new profiles")}});
    writer.Flush();
    EXPECT_EQ(std::tuple(ReadFileBytes(held), QFile::exists(fresh) /* was not there before */, ReadFileBytes(refused)),
              std::tuple(QByteArray("old macros"), false, QByteArray("old profiles")));
    EXPECT_EQ(std::pair(writer.TakeFailures(), told), std::pair(QStringList{"refused"}, 1));
    // Nothing is taken as written: the next save writes every file again.
    refuse = false;
    writer.RequestTogether({{held, image("new macros")}, {refused, image("new profiles")}});
    writer.Flush();
    EXPECT_EQ(std::pair(ReadFileBytes(held), ReadFileBytes(refused)),
              std::pair(QByteArray("new macros"), QByteArray("new profiles")));
}

}  // namespace
