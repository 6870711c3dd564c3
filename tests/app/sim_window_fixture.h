// The real main window over the emulated mouse's driver libraries, with a data folder of the
// test's own and device pauses on a fake clock. SimMouseTest builds it with the links a test asks
// for; SimWindowTest with the cable up and the start's full send taken.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <memory>

#include "app/shell/main_wnd.h"
#include "core/platform/dynamic_library.h"
#include "fakes/fake_device.h"
#include "support/ui_test_support.h"

class SimMouseTest : public ::testing::Test {
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
    }
    void TearDown() override
    {
        window.Page().ShutdownDevice();
        SetModalDriver({});
        qputenv("XDG_DATA_HOME", savedDataHome);
    }

    void Build(bool cable, bool receiver, std::uint32_t style = CMainWnd::kStyle)
    {
        qputenv("KARVO_SIM_CABLE", cable ? "1" : "0");
        qputenv("KARVO_SIM_RECEIVER", receiver ? "1" : "0");
        device = DynamicLibrary::Load(QStringLiteral(KARVO_DEMO_DIR "/libkarvo_simmouse.so"));
        ASSERT_TRUE(device);
        command = device->ResolveAs<int32_t (*)(const char*, char*, int32_t)>("sim_command");
        ASSERT_TRUE(command);
        Command("reset");
        window.Page().SetDriverFolder(QStringLiteral(KARVO_DEMO_DIR "/"));
        window.Page().SetClock(&clock);
        ASSERT_TRUE(window.Create(nullptr, style, 0, {0, 0, 800, 572}));
        ProcessPending();
    }

    // A line of the emulated mouse's remote control; the mouse's messages then reach the window.
    QString Command(const char* line)
    {
        char reply[16384];
        command(line, reply, sizeof reply);
        ProcessPending();
        return QString::fromUtf8(reply);
    }
    QJsonObject State() { return QJsonDocument::fromJson(Command("state").toUtf8()).object(); }
    int Reports() { return State()["reportsAccepted"].toInt(); }
    // The worker sends on its own thread: waits until the mouse has taken that many reports in all.
    bool WaitForReports(int count) { return ProcessUntil([&] { return Reports() >= count; }); }
    // The worker ends after its queue: whatever it was asked to write is on disk afterwards.
    void FinishStoreWrites() { window.Page().ShutdownDevice(); }
    // A cable or receiver arriving: its pause runs on the fake clock.
    void Plug(const char* line)
    {
        Command(line);
        clock.RunDeferred();
        ProcessPending();
    }

    template <typename T = QWidget>
    T* Control(const QString& name) { return window.PaintManager().FindControl<T>(name); }
    bool Shown(const QString& name) { return Control(name) && Control(name)->isVisibleTo(window.GetHWND()); }
    bool Hidden() { return window.GetHWND()->isHidden(); }

    static QTemporaryDir& SocketDir() { static QTemporaryDir dir; return dir; }

    QTemporaryDir dataHome;
    QByteArray savedDataHome;
    std::unique_ptr<DynamicLibrary> device;
    int32_t (*command)(const char*, char*, int32_t) = nullptr;
    FakeClock clock;
    CMainWnd window;
};

class SimWindowTest : public SimMouseTest {
protected:
    void SetUp() override
    {
        SimMouseTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(Build(true, false));
        ASSERT_TRUE(WaitForReports(4));  // the full send of the start
    }
};
