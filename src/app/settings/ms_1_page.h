#pragma once

#include <QString>
#include <cstdint>
#include <memory>

#include "device/device_clock.h"
#include "device/device_links.h"
#include "device/profile_session.h"
#include "app/settings/button_assignment.h"
#include "app/settings/page_services.h"
#include "app/settings/performance_panel.h"
#include "app/settings/power_display.h"
#include "app/settings/profile_list_panel.h"
#include "app/settings/store_reader.h"
#include "ui/notify_pump.h"

struct HookTable;
class RecordingClock;
class BleLink;
class DeviceWorker;
class QObject;
class QWidget;
class WindowImplBase;
class WindowPostTarget;

// Collaborators that also hear what the main window routes to the page: link codes from the
// driver libraries and the button-function menu's item names.
class PageRouteObserver {
public:
    virtual ~PageRouteObserver() = default;
    virtual void OnWiredLink(std::uint32_t linkCode) = 0;
    virtual void OnReceiverLink(std::uint32_t linkCode) = 0;
    virtual void OnButtonMenuItem(const QString& itemName) = 0;
};

// The mouse settings page: not a window of its own but the virtual window "MS_1_Page" of the main
// window, receiving the notifications of the controls in its part of the main skin and handing
// each to the panel it belongs to. Its device side follows the links, shows their state and runs
// the device worker, which also writes the store files.
class CMS_1_Page final : public CNotifyPump, private DeviceLinkHost, public PageServices, private ButtonAssignmentHost {
public:
    static inline const QString kVirtualWndName = QStringLiteral("MS_1_Page");

    // An empty data folder means the utility's own; the driver folder is the program's unless
    // given. A clock of one's own replaces real time (tests).
    explicit CMS_1_Page(const QString& dataFolder = {});
    ~CMS_1_Page() override;

    // Given by the main window before the page initialises.
    void SetMainWindow(WindowImplBase* mainWindow);
    void SetHookTable(const HookTable* hooks) { m_hooks = hooks; }
    void SetRouteObserver(PageRouteObserver* observer) { m_routeObserver = observer; }
    void SetDriverFolder(const QString& folder) { m_driverFolder = folder; }
    void SetClock(DeviceClock* clock) { m_clock = clock; }
    // The clock the macro editor's recording measures pauses with; real time unless given.
    void SetRecordingClock(const RecordingClock* clock) { m_recordingClock = clock; }

    // First initialisation: controls, device worker, driver libraries, links, Bluetooth LE probe;
    // ends by reporting the device state to the main window.
    void InitDevice();
    // Second initialisation: reads the stores, fills the profile list, selects the stored profile
    // and asks for one full send, so the mouse holds the current profile from the start. With
    // SetReadStoresInBackground(true) the stores are read on a thread of their own and the page
    // stays disabled (and sends nothing) until they arrive.
    void InitSettings();
    void SetReadStoresInBackground(bool inBackground) { m_readStoresInBackground = inBackground; }
    // Stops the worker, closes and unloads the links, then waits for the store writes asked for.
    // Safe to call twice.
    void ShutdownDevice();

    bool AnyLinkConnected() const;
    // The send-configuration request reaching the worker.
    void RequestApply();
    void OnOnlineWatchdogExpired();

    void HandleWiredLink(std::uint32_t linkCode);
    void HandleReceiverLink(std::uint32_t linkCode);
    // The Bluetooth LE mouse arrived or went (also once at start with the probe's finding).
    void OnBlePresence(bool present);
    // An item of the button-function menu was chosen.
    void OnButtonFunctionMenu(const QString& itemName);
    // The macro list changed (the macro editor closed): the buttons' macro copies follow it.
    void OnMacroListChanged();

    // PageServices
    WindowImplBase* MainWindow() override { return m_mainWindow; }
    ProfileSession& Session() override { return m_session; }
    DeviceLinks* Links() override { return m_links.get(); }
    void RequestSend() override;  // also the links' send when the mouse is reachable again
    void RequestSendAfterPause(int pauseMs) override;
    void RefreshPage() override;
    void SaveStoresLater(int stores) override;

    PerformancePanel& Performance() { return m_performance; }
    ButtonAssignment& Buttons() { return m_buttons; }
    const PowerDisplay& Power() const { return m_power; }

private:
    void FindControls();
    // The end of InitSettings(), once the stores are read.
    void FinishSettings(const StoreLoadResult& profiles, const StoreLoadResult& macros);
    // A store changed or went out of reach beside the utility: the list and the page follow what
    // the session now holds, and reloaded profiles are sent to the mouse whole.
    void OnStoresChangedOnDisk(ProfileSession::StoreChanges changes);
    // "ms_1_btn_macro": the macro editor, modal over the main window.
    void OpenMacroEditor();
    void OnWorkerMessage(std::uint32_t message);

    // DeviceLinkHost
    void PostDeviceState() override;
    void PostShowDpi(std::int32_t dpiValue) override;
    void StartOnlineWatchdog() override;
    void StopOnlineWatchdog() override;
    void ShowIndicator(Indicator indicator, bool shown) override;
    void ShowCharging() override;
    void ClearPowerDisplay() override;
    void ShowBatteryLevel(int level) override;
    void SelectDpiStageOption(int stageNumber) override;
    void ApplyLinkLayout() override;
    void ShowStoredSettings() override;

    // ButtonAssignmentHost
    WindowImplBase* OwnerWindow() override { return m_mainWindow; }
    QWidget* FindControl(const QString& name) const override;
    void PostApply() override { RequestSend(); }
    void SaveProfilesLater() override { SaveStoresLater(kProfileStore); }
    int ShowMessageBox(const QString& titleKey, const QString& textKey) override;
    const HookTable* Hooks() const override { return m_hooks; }

    void OnClick(TNotifyUI& msg);
    void OnSelectChanged(TNotifyUI& msg);
    void OnItemSelect(TNotifyUI& msg);
    void OnCheckClick(TNotifyUI& msg);
    void OnKillFocus(TNotifyUI& msg);
    void OnTimer(TNotifyUI& msg);
    void OnValueChanged(TNotifyUI& msg);
    void OnMouseEnter(TNotifyUI& msg);
    void OnMouseLeave(TNotifyUI& msg);

    WindowImplBase* m_mainWindow = nullptr;
    const HookTable* m_hooks = nullptr;
    const RecordingClock* m_recordingClock = nullptr;
    PageRouteObserver* m_routeObserver = nullptr;
    QString m_driverFolder;

    ProfileSession m_session;
    SystemDeviceClock m_systemClock;
    DeviceClock* m_clock = &m_systemClock;
    std::unique_ptr<DeviceLinks> m_links;
    std::unique_ptr<DeviceWorker> m_worker;
    std::unique_ptr<BleLink> m_bleLink;
    std::unique_ptr<WindowPostTarget> m_postTarget;
    std::unique_ptr<QObject> m_storeNews;  // receives the session's store news on the UI thread
    StoreReader m_storeReader;             // after m_storeNews: ends before it goes
    bool m_readStoresInBackground = false;
    bool m_storesReading = false;

    QWidget* m_wired = nullptr;
    QWidget* m_wireless = nullptr;
    QWidget* m_ble = nullptr;
    QWidget* m_sleepLabel = nullptr;
    QWidget* m_applyRing = nullptr;

    ProfileListPanel m_profileList{*this};
    PerformancePanel m_performance{*this};
    ButtonAssignment m_buttons{static_cast<ButtonAssignmentHost&>(*this), m_session};
    PowerDisplay m_power;
};
