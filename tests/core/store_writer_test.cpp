// The background store writer: bursts fold into one write with the latest content, files keep the
// order they were asked for, unchanged content is not written again, and failures are told.
// A gate in the write function holds the writer where a test needs it, so nothing sleeps.
#include <gtest/gtest.h>

#include <QFile>
#include <atomic>
#include <condition_variable>
#include <mutex>

#include "core/storage/store_writer.h"
#include "support/test_files.h"

namespace {

// Records every write; while closed, the writer waits inside its next write until opened.
class GatedDisk {
public:
    bool Write(const QString& path, const QByteArray& bytes, QString* error)
    {
        std::unique_lock lock(m_mutex);
        ++m_arrived;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_open; });
        log << QStringLiteral("%1=%2").arg(path, QString::fromLatin1(bytes));
        if (failWith.isEmpty())
            return true;
        *error = failWith;
        return false;
    }

    void Close()
    {
        std::lock_guard lock(m_mutex);
        m_open = false;
    }
    void Open()
    {
        {
            std::lock_guard lock(m_mutex);
            m_open = true;
        }
        m_changed.notify_all();
    }
    // Waits until the writer is inside its n-th write.
    void WaitForWrite(int n)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_arrived >= n; });
    }

    QStringList log;   // read once the writer is flushed
    QString failWith;  // set before the writer runs

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = true;
    int m_arrived = 0;
};

class StoreWriterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        writer.SetWriteFunction([this](const QString& path, const QByteArray& bytes, QString* error) {
            return disk.Write(path, bytes, error);
        });
    }

    GatedDisk disk;
    StoreWriter writer;
};

TEST_F(StoreWriterTest, ABurstIsOneWriteWithTheLatestContentAndFilesKeepTheirOrder)
{
    disk.Close();
    writer.Request(QStringLiteral("pro"), QByteArray("p1"));
    disk.WaitForWrite(1);  // p1 is being written
    writer.Request(QStringLiteral("pro"), QByteArray("p2"));
    writer.Request(QStringLiteral("macro"), QByteArray("m1"));
    writer.Request(QStringLiteral("pro"), QByteArray("p3"));
    writer.Request(QStringLiteral("macro"), QByteArray("m2"));
    disk.Open();
    writer.Flush();
    EXPECT_EQ(disk.log, (QStringList{"pro=p1", "pro=p3", "macro=m2"}));
    EXPECT_EQ(writer.WriteCount(), 3);
}

TEST_F(StoreWriterTest, ContentIsTakenWhenTheWriterGetsToIt)
{
    disk.Close();
    writer.Request(QStringLiteral("macro"), QByteArray("m1"));
    disk.WaitForWrite(1);
    QByteArray state = "a";
    int taken = 0;
    writer.Request(QStringLiteral("pro"), [&]() -> std::optional<QByteArray> {
        ++taken;
        return state;
    });
    state = "b";  // changed before the writer came to it: the file gets "b"
    disk.Open();
    writer.Flush();
    EXPECT_EQ(taken, 1);
    EXPECT_EQ(disk.log, (QStringList{"macro=m1", "pro=b"}));
}

TEST_F(StoreWriterTest, FlushWaitsForTheWriteUnderWay)
{
    disk.Close();
    writer.Request(QStringLiteral("pro"), QByteArray("p1"));
    disk.WaitForWrite(1);
    std::atomic<bool> flushed{false};
    std::thread flusher([&] {
        writer.Flush();
        flushed = true;
    });
    EXPECT_FALSE(flushed);  // the write is held at the gate, so Flush cannot have returned
    disk.Open();
    flusher.join();
    EXPECT_TRUE(flushed);
    EXPECT_EQ(disk.log, QStringList{"pro=p1"});
}

TEST_F(StoreWriterTest, AFailedSaveIsToldAndTriedAgainWithTheNextRequest)
{
    std::atomic<int> told{0};
    writer.SetFailureHandler([&] { ++told; });
    disk.failWith = QStringLiteral("the disk is full");
    writer.Request(QStringLiteral("pro"), QByteArray("p1"));
    writer.Flush();
    EXPECT_EQ(told, 1);
    EXPECT_EQ(writer.TakeFailures(), QStringList{"the disk is full"});
    EXPECT_TRUE(writer.TakeFailures().isEmpty());
    EXPECT_EQ(writer.WriteCount(), 0);

    disk.failWith.clear();
    writer.Request(QStringLiteral("pro"), QByteArray("p1"));  // same content: still written
    writer.Flush();
    EXPECT_EQ(disk.log, (QStringList{"pro=p1", "pro=p1"}));
    EXPECT_EQ(writer.WriteCount(), 1);
    EXPECT_EQ(told, 1);
}

TEST_F(StoreWriterTest, AFileChangedOnDiskIsNotWrittenOverAndTheConflictIsTold)
{
    writer.SetWriteCheck([](const QString& path) {
        return path == QLatin1String("pro") ? QStringLiteral("pro was changed by another program") : QString();
    });
    writer.Request(QStringLiteral("pro"), QByteArray("p1"));
    writer.Request(QStringLiteral("macro"), QByteArray("m1"));
    writer.Flush();
    EXPECT_EQ(disk.log, QStringList{"macro=m1"});
    EXPECT_EQ(writer.TakeFailures(), QStringList{"pro was changed by another program"});
}

TEST_F(StoreWriterTest, NothingToWriteWritesNothing)
{
    writer.Request(QStringLiteral("pro"), [] { return std::optional<QByteArray>(); });
    writer.Flush();
    EXPECT_TRUE(disk.log.isEmpty());
    EXPECT_TRUE(writer.TakeFailures().isEmpty());
}

TEST(StoreWriterDisk, UnchangedContentIsNotWrittenAgain)
{
    TempDataFolder folder;
    const QString path = folder.file(QStringLiteral("ms_1/pro.data"));  // the folder is made
    StoreWriter writer;
    writer.Request(path, QByteArray("one"));
    writer.Flush();
    EXPECT_EQ(ReadFileBytes(path), QByteArray("one"));
    writer.Request(path, QByteArray("one"));
    writer.Flush();
    EXPECT_EQ(writer.WriteCount(), 1);
    EXPECT_EQ(writer.SkipCount(), 1);
    writer.Request(path, QByteArray("two"));
    writer.Flush();
    EXPECT_EQ(ReadFileBytes(path), QByteArray("two"));
    EXPECT_EQ(writer.WriteCount(), 2);
}

TEST(StoreWriterDisk, WhatIsOnDiskAlreadyIsNotWrittenAgain)
{
    TempDataFolder folder;
    const QString path = folder.file(QStringLiteral("macro.data"));
    WriteFileBytes(path, "same");
    StoreWriter writer;
    writer.Request(path, QByteArray("same"));
    writer.Flush();
    EXPECT_EQ(writer.WriteCount(), 0);
    EXPECT_EQ(writer.SkipCount(), 1);
}

TEST(StoreWriterDisk, WhatIsWaitingIsWrittenBeforeTheWriterGoes)
{
    TempDataFolder folder;
    const QString path = folder.file(QStringLiteral("macro.data"));
    {
        StoreWriter writer;
        for (char c = 'a'; c <= 'z'; ++c)
            writer.Request(path, QByteArray(1, c));
    }
    EXPECT_EQ(ReadFileBytes(path), QByteArray("z"));
}

TEST(StoreWriterDisk, AFolderThatCannotBeMadeIsAFailure)
{
    TempDataFolder folder;
    WriteFileBytes(folder.file(QStringLiteral("ms_1")), "a file where the folder should be");
    StoreWriter writer;
    writer.Request(folder.file(QStringLiteral("ms_1/pro.data")), QByteArray("x"));
    writer.Flush();
    const QStringList failures = writer.TakeFailures();
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].contains(QLatin1String("ms_1"))) << failures[0].toStdString();
    EXPECT_EQ(ReadFileBytes(folder.file(QStringLiteral("ms_1"))), QByteArray("a file where the folder should be"));
}

}  // namespace
