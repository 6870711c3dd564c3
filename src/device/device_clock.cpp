#include "device/device_clock.h"

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <thread>

void SystemDeviceClock::Pause(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SystemDeviceClock::RunAfter(int ms, std::function<void()> work)
{
    QTimer::singleShot(ms, QCoreApplication::instance(), std::move(work));
}
