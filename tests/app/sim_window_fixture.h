// The real main window over the emulated mouse on the cable, with a data folder of the test's own
// and device pauses on a fake clock.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QTemporaryDir>
#include <QThread>
#include <cstdint>
#include <memory>

#include "app/shell/main_wnd.h"
#include "core/platform/dynamic_library.h"
#include "fakes/fake_device.h"
#include "support/ui_test_support.h"

class SimWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        qputenv("KARVO_SIM_HEARTBEAT_MS", "0");
        qputenv("KARVO_SIM_SOCKET", (SocketDir().path() + QStringLiteral("/sim.sock")).toUtf8());
    }

    void SetUp() override
    {
        savedDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());
        qputenv("KARVO_SIM_CABLE", "1");
        qputenv("KARVO_SIM_RECEIVER", "0");
        device = DynamicLibrary::Load(QStringLiteral(KARVO_DEMO_DIR "/libkarvo_simmouse.so"));
        ASSERT_TRUE(device);
        command = device->ResolveAs<int32_t (*)(const char*, char*, int32_t)>("sim_command");
        ASSERT_TRUE(command);
        Command("reset");
        window.Page().SetDriverFolder(QStringLiteral(KARVO_DEMO_DIR "/"));
        window.Page().SetClock(&clock);
        ASSERT_TRUE(window.Create(nullptr, CMainWnd::kStyle, 0, {0, 0, 800, 572}));
        ProcessPending();
        ASSERT_TRUE(WaitForReports(4));  // the full send of the start
    }

    void TearDown() override
    {
        window.Page().ShutdownDevice();
        qputenv("XDG_DATA_HOME", savedDataHome);
    }

    QString Command(const char* line)
    {
        char reply[16384];
        command(line, reply, sizeof reply);
        ProcessPending();
        return QString::fromUtf8(reply);
    }
    QJsonObject State() { return QJsonDocument::fromJson(Command("state").toUtf8()).object(); }
    int Reports() { return State()["reportsAccepted"].toInt(); }

    // The worker sends on its own thread (its pauses run on the fake clock, so it is quick);
    // waits, bounded, until the mouse has taken the given number of reports in all.
    bool WaitForReports(int count)
    {
        QElapsedTimer elapsed;
        elapsed.start();
        while (Reports() < count) {
            if (elapsed.elapsed() > 10000)
                return false;
            QThread::yieldCurrentThread();
        }
        return true;
    }

    // The worker ends after its queue: whatever it was asked to write is on disk afterwards.
    void FinishStoreWrites() { window.Page().ShutdownDevice(); }

    static QTemporaryDir& SocketDir()
    {
        static QTemporaryDir dir;
        return dir;
    }

    QTemporaryDir dataHome;
    QByteArray savedDataHome;
    std::unique_ptr<DynamicLibrary> device;
    int32_t (*command)(const char*, char*, int32_t) = nullptr;
    FakeClock clock;
    CMainWnd window;
};
