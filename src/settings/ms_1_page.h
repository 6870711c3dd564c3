#pragma once

#include <QString>
#include <cstdint>
#include <memory>

#include "storage/profile_store.h"
#include "ui/notify_pump.h"

struct HookTable;
class WindowImplBase;

// Collaborators that take what the main window routes to the page: link codes from the driver
// libraries and the button-function menu's item names.
class PageRouteObserver {
public:
    virtual ~PageRouteObserver() = default;
    virtual void OnWiredLink(std::uint32_t linkCode) = 0;
    virtual void OnReceiverLink(std::uint32_t linkCode) = 0;
    virtual void OnButtonMenuItem(const QString& itemName) = 0;
};

// The mouse settings page: not a window of its own but the virtual window "MS_1_Page" of the main
// window, receiving the notifications of the controls in its part of the main skin.
class CMS_1_Page final : public CNotifyPump {
public:
    static inline const QString kVirtualWndName = QStringLiteral("MS_1_Page");

    CMS_1_Page();
    ~CMS_1_Page() override;

    // Given by the main window before the page initialises.
    void SetMainWindow(WindowImplBase* mainWindow) { m_mainWindow = mainWindow; }
    void SetHookTable(const HookTable* hooks) { m_hooks = hooks; }
    void SetRouteObserver(PageRouteObserver* observer) { m_routeObserver = observer; }

    // First initialisation: controls, driver libraries, links; ends by reporting the device state.
    void InitDevice();
    // Second initialisation: reads the stores and selects the stored profile.
    void InitSettings();
    // Stops the device side (worker, links, libraries).
    void ShutdownDevice();

    bool AnyLinkConnected() const { return m_anyLinkConnected; }

    void HandleWiredLink(std::uint32_t linkCode);
    void HandleReceiverLink(std::uint32_t linkCode);
    void OnButtonFunctionMenu(const QString& itemName);

    const ProfileList& Profiles() const { return m_profiles; }
    const StoreHeader& Header() const { return *m_header; }
    const MacroList& Macros() const { return m_macros; }

private:
    // One entry per profile in list order; the stored profile selected without notification.
    void FillProfileList();

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
    PageRouteObserver* m_routeObserver = nullptr;
    bool m_anyLinkConnected = false;

    ProfileList m_profiles;
    std::unique_ptr<StoreHeader> m_header;
    MacroList m_macros;
    std::unique_ptr<ProfileRecord> m_appliedSnapshot;
    ProfileRecord* m_currentProfile = nullptr;
    bool m_fullSend = false;
};
