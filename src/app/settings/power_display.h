#pragma once

class CPaintManagerUI;
class DeviceLinks;
class QWidget;

// The battery bar and its text. While the cable charges the mouse the bar sweeps and the text
// reads "Charging"; a battery level reported meanwhile joins the text ("Charging · 80%") and
// leaves the sweep alone.
class PowerDisplay {
public:
    void FindControls(CPaintManagerUI& ui);

    void ShowCharging(CPaintManagerUI& ui);
    void ClearPowerDisplay(CPaintManagerUI& ui);
    void ShowBatteryLevel(int level);
    // One tick of the charging sweep; false when the timer notification is not ours.
    bool OnTimer(QWidget* sender, int timerId, DeviceLinks* links);

    bool Charging() const { return m_charging; }

private:
    QWidget* m_progress = nullptr;
    QWidget* m_label = nullptr;
    bool m_charging = false;
};
