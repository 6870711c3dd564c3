#include "app/settings/ms_1_page.h"

#include <QLabel>
#include <QLoggingCategory>
#include <QMetaObject>
#include <QPointer>
#include <utility>

#include "app/macro/macro_editor.h"
#include "app/settings/dpi_color_wnd.h"
#include "app/settings/page_art.h"
#include "app/shell/msg_wnd.h"
#include "core/storage/app_folders.h"
#include "core/storage/macro_store.h"
#include "core/storage/profile_store.h"
#include "app/shell/msg_wnd.h"
#include "app/shell/window_messages.h"
#include "device/apply_profile.h"
#include "device/ble_link.h"
#include "device/ble_probe.h"
#include "device/bluez_names.h"
#include "device/device_worker.h"
#include "ui/controls.h"
#include "ui/paint_manager.h"
#include "ui/window_impl_base.h"
#include "ui/window_post_target.h"

Q_LOGGING_CATEGORY(lcPage, "karvo.settings.page")

CMS_1_Page::CMS_1_Page(const QString& dataFolder) : m_session(dataFolder)
{
    // The drawing of the mouse is a widget of the page's own; the skin can use it once known.
    RegisterPageArtWidgets();
    BindNotify(NotifyType::kClick, [this](TNotifyUI& msg) { OnClick(msg); });
    BindNotify(NotifyType::kSelectChanged, [this](TNotifyUI& msg) { OnSelectChanged(msg); });
    BindNotify(NotifyType::kItemSelect, [this](TNotifyUI& msg) { OnItemSelect(msg); });
    BindNotify(NotifyType::kCheckClick, [this](TNotifyUI& msg) { OnCheckClick(msg); });
    BindNotify(NotifyType::kKillFocus, [this](TNotifyUI& msg) { OnKillFocus(msg); });
    BindNotify(NotifyType::kTimer, [this](TNotifyUI& msg) { OnTimer(msg); });
    BindNotify(NotifyType::kValueChanged, [this](TNotifyUI& msg) { OnValueChanged(msg); });
    BindNotify(NotifyType::kMouseEnter, [this](TNotifyUI& msg) { OnMouseEnter(msg); });
    BindNotify(NotifyType::kMouseLeave, [this](TNotifyUI& msg) { OnMouseLeave(msg); });
}

CMS_1_Page::~CMS_1_Page()
{
    m_session.SetChangeHandler({});
    ShutdownDevice();
    m_session.SetSaveFailureHandler({});  // the post target goes before the session
}

void CMS_1_Page::SetMainWindow(WindowImplBase* mainWindow)
{
    m_mainWindow = mainWindow;
    m_session.SetSaveFailureHandler({});
    m_postTarget = std::make_unique<WindowPostTarget>(mainWindow->GetHWND());
    // A store that could not be written is told to the user by the window, on its own thread.
    m_session.SetSaveFailureHandler([target = m_postTarget->Target()] {
        target->post(target->context, Msg::UM_STORE_SAVE_FAILED, 0, 0);
    });
}

void CMS_1_Page::FindControls()
{
    if (!m_mainWindow)
        return;
    CPaintManagerUI& ui = m_mainWindow->PaintManager();
    m_wired = ui.FindControl(QStringLiteral("ms_1_wired"));
    m_wireless = ui.FindControl(QStringLiteral("ms_1_wireless"));
    m_ble = ui.FindControl(QStringLiteral("ms_1_BLE"));
    m_sleepLabel = ui.FindControl(QStringLiteral("ms_1_sleep_label"));
    m_applyRing = ui.FindControl(QStringLiteral("apply_ring"));
    ShowLinkIcon(ui.FindControl<QLabel>(QStringLiteral("ms_1_wired_icon")), LinkIcon::Cable);
    ShowLinkIcon(ui.FindControl<QLabel>(QStringLiteral("ms_1_wireless_icon")), LinkIcon::Receiver);
    ShowLinkIcon(ui.FindControl<QLabel>(QStringLiteral("ms_1_BLE_icon")), LinkIcon::Ble);
    m_power.FindControls(ui);
    m_profileList.FindControls(ui);
    m_performance.FindControls(ui);
    // Colour buttons open the colour dialog below themselves.
    m_performance.SetColorPicker([this](QWidget* button, std::uint32_t& argb) {
        std::uint32_t stored = CDpiColorWnd::StoredFromArgb(argb);
        if (!RunDpiColorDialog(m_mainWindow, button, stored))
            return false;
        argb = CDpiColorWnd::ArgbFromStored(stored);
        return true;
    });
    m_buttons.FindControls();
}

void CMS_1_Page::InitDevice()
{
    FindControls();
    m_links = std::make_unique<DeviceLinks>(static_cast<DeviceLinkHost&>(*this), m_session, *m_clock);
    m_worker = std::make_unique<DeviceWorker>([this](std::uint32_t message) { OnWorkerMessage(message); });
    m_links->LoadDrivers(m_driverFolder.isEmpty() ? GetAppFolder() : m_driverFolder);
    m_links->SetBleProbe(ProbeBleMouse);
    m_bleLink = std::make_unique<BleLink>(*m_links, BlueZ::SystemBusAddress());
    m_bleLink->Start();
    m_links->Open(m_postTarget ? m_postTarget->Target() : nullptr, {Msg::UM_WIRED_EVENT, Msg::UM_WIRED_LINK},
                  {Msg::UM_RECEIVER_EVENT, Msg::UM_RECEIVER_LINK});
}

void CMS_1_Page::InitSettings()
{
    // News from other threads reaches the page through an object of the UI thread. The page's
    // destructor silences the handler before that object goes, and news still queued goes with it.
    m_storeNews = std::make_unique<QObject>();
    if (m_readStoresInBackground) {
        // The window shows at once, the page disabled; it fills when the stores arrive.
        m_storesReading = true;
        if (QWidget* page = FindControl(QStringLiteral("device_tab_switch")))
            page->setEnabled(false);
        m_storeReader.Start(m_session, m_storeNews.get(),
                            [this](const StoreLoadResult& profiles, const StoreLoadResult& macros) { FinishSettings(profiles, macros); });
        return;
    }
    StoreLoadResult profiles;
    StoreLoadResult macros;
    m_session.Load(&profiles, &macros);
    FinishSettings(profiles, macros);
}

void CMS_1_Page::FinishSettings(const StoreLoadResult& profiles, const StoreLoadResult& macros)
{
    if (std::exchange(m_storesReading, false)) {
        if (QWidget* page = FindControl(QStringLiteral("device_tab_switch")))
            page->setEnabled(true);
    }
    if (profiles.outcome == StoreLoadResult::Outcome::Repaired)
        qCWarning(lcPage) << "profile store repaired:" << profiles.problem << "original kept as" << profiles.keptAsidePath;
    if (macros.outcome == StoreLoadResult::Outcome::Repaired)
        qCWarning(lcPage) << "macro store repaired:" << macros.problem << "original kept as" << macros.keptAsidePath;

    QObject* news = m_storeNews.get();
    m_session.SetChangeHandler([this, news](ProfileSession::StoreChanges changes) {
        QMetaObject::invokeMethod(news, [this, changes] { OnStoresChangedOnDisk(changes); }, Qt::QueuedConnection);
    });
    m_session.WatchStores();
    // A store out of reach is told once the window runs, not while it is being built.
    if (profiles.outcome == StoreLoadResult::Outcome::Unreadable || macros.outcome == StoreLoadResult::Outcome::Unreadable)
        QMetaObject::invokeMethod(news, [this] { OnStoresChangedOnDisk({false, false, true}); }, Qt::QueuedConnection);
    m_profileList.Fill();
    RefreshPage();
    OnBlePresence(m_links && m_links->BlePresent());
    RequestSend();
}

void CMS_1_Page::OnStoresChangedOnDisk(ProfileSession::StoreChanges changes)
{
    // The list and every control follow what the session now holds; reloaded profiles go to the
    // mouse whole (the reload asked for a full send).
    m_profileList.Fill();
    RefreshPage();
    if (changes.profiles)
        RequestSend();
    if (changes.unreadable && m_mainWindow)
        ::ShowMessageBox(m_mainWindow, QStringLiteral("warning_title_text"), QStringLiteral("store_unreadable_text"));
}

void CMS_1_Page::ShutdownDevice()
{
    if (m_worker) {
        m_worker->Quit();
        m_worker.reset();
    }
    m_bleLink.reset();
    if (m_links)
        m_links->Shutdown();
    m_session.FlushSaves();  // the program is ending: what was asked to be saved reaches the disk
}

bool CMS_1_Page::AnyLinkConnected() const
{
    return m_links && m_links->AnyLinkConnected();
}

void CMS_1_Page::RequestApply()
{
    if (m_storesReading)
        return;  // what the page holds is not the stores yet; reading them ends with a send
    if (m_worker)
        m_worker->PostThreadMessage(Msg::TM_APPLY);
}

void CMS_1_Page::RequestSend()
{
    if (m_mainWindow)
        m_mainWindow->PostMessage(Msg::UM_APPLY, 0, 0);
}

void CMS_1_Page::RequestSendAfterPause(int pauseMs)
{
    if (!m_mainWindow)
        return;
    m_mainWindow->KillTimer(TimerId::TIMER_APPLY_DELAY);
    m_mainWindow->SetTimer(TimerId::TIMER_APPLY_DELAY, pauseMs);
}

void CMS_1_Page::RefreshPage()
{
    m_performance.Refresh();
    m_buttons.RefreshAllButtonTexts();
}

void CMS_1_Page::SaveStoresLater(int stores)
{
    // The session's writer takes the lists when it gets to them and writes them in the
    // background; the window never waits for the disk. Both stores go as one change: macros
    // first, and neither is left changed when the other cannot be written.
    if ((stores & kProfileStore) && (stores & kMacroStore)) {
        m_session.RequestProfileAndMacroSave();
        return;
    }
    if (stores & kProfileStore)
        m_session.RequestProfileSave();
    if (stores & kMacroStore)
        m_session.RequestMacroSave();
}

void CMS_1_Page::OnWorkerMessage(std::uint32_t message)
{
    if (message != Msg::TM_APPLY || !m_links)
        return;
    QPointer<QWidget> ring = m_applyRing;
    // While the mouse cannot be reached the profile is only saved; it goes out when the mouse is
    // back (the links ask for that send).
    ApplyProfile(ApplyContext{
        m_session,
        [this] { return !m_links->MouseReachable(); },
        [this](const Report& report) { return m_links->SendReport(report); },
        [ring](bool shown) {
            // Controls belong to the UI thread: the worker only asks for the change.
            if (ring)
                QMetaObject::invokeMethod(ring, [ring, shown] { SetShown(ring, shown); }, Qt::QueuedConnection);
        },
    });
}

void CMS_1_Page::OnOnlineWatchdogExpired()
{
    if (m_links)
        m_links->OnOnlineWatchdogExpired();
}

void CMS_1_Page::HandleWiredLink(std::uint32_t linkCode)
{
    if (m_routeObserver)
        m_routeObserver->OnWiredLink(linkCode);
    if (m_links)
        m_links->HandleWiredLink(linkCode);
}

void CMS_1_Page::HandleReceiverLink(std::uint32_t linkCode)
{
    if (m_routeObserver)
        m_routeObserver->OnReceiverLink(linkCode);
    if (m_links)
        m_links->HandleReceiverLink(linkCode);
}

void CMS_1_Page::OnBlePresence(bool present)
{
    if (m_links)
        m_links->OnBlePresence(present);
}

void CMS_1_Page::OnButtonFunctionMenu(const QString& itemName)
{
    if (m_routeObserver)
        m_routeObserver->OnButtonMenuItem(itemName);
    m_buttons.Assign(itemName);
}

void CMS_1_Page::OnMacroListChanged()
{
    m_buttons.RebindMacros();
}

QWidget* CMS_1_Page::FindControl(const QString& name) const
{
    return m_mainWindow ? m_mainWindow->PaintManager().FindControl(name) : nullptr;
}

int CMS_1_Page::ShowMessageBox(const QString& titleKey, const QString& textKey)
{
    return ::ShowMessageBox(m_mainWindow, titleKey, textKey);
}

void CMS_1_Page::PostDeviceState()
{
    if (m_mainWindow)
        m_mainWindow->PostMessage(Msg::UM_DEVICE_STATE, 0, 0);
}

void CMS_1_Page::PostShowDpi(std::int32_t dpiValue)
{
    if (m_mainWindow)
        m_mainWindow->PostMessage(Msg::UM_SHOW_DPI, 0, dpiValue);
}

void CMS_1_Page::StartOnlineWatchdog()
{
    if (!m_mainWindow)
        return;
    m_mainWindow->KillTimer(TimerId::TIMER_MOUSE_ONLINE);
    m_mainWindow->SetTimer(TimerId::TIMER_MOUSE_ONLINE, TimerPeriodMs::kMouseOnline);
}

void CMS_1_Page::StopOnlineWatchdog()
{
    if (m_mainWindow)
        m_mainWindow->KillTimer(TimerId::TIMER_MOUSE_ONLINE);
}

void CMS_1_Page::ShowIndicator(Indicator indicator, bool shown)
{
    switch (indicator) {
    case Indicator::Wired: SetShown(m_wired, shown); break;
    case Indicator::Wireless: SetShown(m_wireless, shown); break;
    case Indicator::Ble: SetShown(m_ble, shown); break;
    case Indicator::SleepNotice: SetShown(m_sleepLabel, shown); break;
    }
}

void CMS_1_Page::ShowCharging()
{
    if (m_mainWindow)
        m_power.ShowCharging(m_mainWindow->PaintManager());
}

void CMS_1_Page::ClearPowerDisplay()
{
    if (m_mainWindow)
        m_power.ClearPowerDisplay(m_mainWindow->PaintManager());
}

void CMS_1_Page::ShowBatteryLevel(int level)
{
    m_power.ShowBatteryLevel(level);
}

void CMS_1_Page::SelectDpiStageOption(int stageNumber)
{
    m_performance.SelectDpiStageOption(stageNumber);
}

void CMS_1_Page::ShowStoredSettings()
{
    m_performance.Refresh();
}

void CMS_1_Page::ApplyLinkLayout()
{
    m_performance.ApplyLinkLayout();
}

// Each notification goes to the panel whose control raised it.
void CMS_1_Page::OnTimer(TNotifyUI& msg)
{
    m_power.OnTimer(msg.pSender, int(msg.wParam), m_links.get());
}

void CMS_1_Page::OpenMacroEditor()
{
    RunMacroEditor(m_mainWindow, m_session, [this] { SaveStoresLater(kMacroStore); }, m_hooks,
                   m_recordingClock);
    OnMacroListChanged();
}

void CMS_1_Page::OnClick(TNotifyUI& msg)
{
    if (msg.pSender && msg.pSender->objectName() == QLatin1String("ms_1_btn_macro")) {
        OpenMacroEditor();
        return;
    }
    if (!m_buttons.OnClick(msg.pSender) && !m_profileList.OnClick(msg))
        m_performance.OnClick(msg);
}

void CMS_1_Page::OnSelectChanged(TNotifyUI& msg)
{
    m_performance.OnSelectChanged(msg);
}

void CMS_1_Page::OnItemSelect(TNotifyUI& msg)
{
    if (!m_profileList.OnItemSelect(msg))
        m_performance.OnItemSelect(msg);
}

void CMS_1_Page::OnCheckClick(TNotifyUI& msg)
{
    m_performance.OnCheckClick(msg);
}

void CMS_1_Page::OnValueChanged(TNotifyUI& msg)
{
    m_performance.OnValueChanged(msg);
}

void CMS_1_Page::OnMouseEnter(TNotifyUI& msg)
{
    m_buttons.OnMouseEnter(msg.pSender);
}

void CMS_1_Page::OnMouseLeave(TNotifyUI& msg)
{
    m_buttons.OnMouseLeave(msg.pSender);
}

void CMS_1_Page::OnKillFocus(TNotifyUI&) {}
