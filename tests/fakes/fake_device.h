#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

#include "device/device_clock.h"
#include "device/device_links.h"

// A driver library in the test's hands: records every call in DriverCallLog() and every report
// written, answers as told.
struct FakeDriver {
    std::vector<std::vector<std::uint8_t>> writes;
    int openResult = 1;
    std::vector<int> setFeatureResults;  // consumed one per write; 1 when exhausted
    const KarvoPostTarget* target = nullptr;

    DriverFunctions Functions();  // one of two slots: cable, then receiver
    void Reset() { *this = FakeDriver(); }
};

FakeDriver& FakeCable();
FakeDriver& FakeReceiver();
// Calls of both drivers in the order they happened, each as "cable:Name" or "receiver:Name".
QStringList& DriverCallLog();

// Pauses are recorded, deferred work waits until the test runs it.
class FakeClock final : public DeviceClock {
public:
    void Pause(int ms) override { pauses.push_back(ms); }
    void RunAfter(int ms, std::function<void()> work) override { deferred.emplace_back(ms, std::move(work)); }
    void RunDeferred() { for (auto& [ms, work] : std::exchange(deferred, {})) work(); }  // what it defers meanwhile waits

    std::vector<int> pauses;
    std::vector<std::pair<int, std::function<void()>>> deferred;
};

// Records what the link logic asks of the page, one line each ("wired shown", "battery 7", ...).
class FakeLinkHost final : public DeviceLinkHost {
public:
    void PostDeviceState() override { log << QStringLiteral("device-state"); }
    void PostShowDpi(std::int32_t dpiValue) override { log << QStringLiteral("show-dpi %1").arg(dpiValue); }
    void StartOnlineWatchdog() override { log << QStringLiteral("watchdog-start"); }
    void StopOnlineWatchdog() override { log << QStringLiteral("watchdog-stop"); }
    void ShowIndicator(Indicator indicator, bool shown) override
    {
        static const char* const names[] = {"wired", "wireless", "ble", "sleep"};
        log << QStringLiteral("%1 %2").arg(QLatin1String(names[int(indicator)]), shown ? "shown" : "hidden");
    }
    void ShowCharging() override { log << QStringLiteral("charging"); }
    void ClearPowerDisplay() override { log << QStringLiteral("power-clear"); }
    void ShowBatteryLevel(int level) override { log << QStringLiteral("battery %1").arg(level); }
    void SelectDpiStageOption(int stageNumber) override { log << QStringLiteral("stage-option %1").arg(stageNumber); }
    void ApplyLinkLayout() override { log << QStringLiteral("layout"); }
    void RequestSend() override { log << QStringLiteral("send"); }
    void ShowStoredSettings() override { log << QStringLiteral("show-settings"); }

    QStringList log;
};
