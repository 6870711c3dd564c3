#include "app/settings/ms_1_page.h"

#include <QAbstractButton>
#include <QListWidget>
#include <QLoggingCategory>
#include <QMetaObject>
#include <QPointer>
#include <QSignalBlocker>

#include "core/storage/app_folders.h"
#include "app/shell/msg_wnd.h"
#include "app/shell/window_messages.h"
#include "device/apply_profile.h"
#include "device/ble_probe.h"
#include "device/device_worker.h"
#include "ui/controls.h"
#include "ui/window_impl_base.h"
#include "ui/window_post_target.h"

Q_LOGGING_CATEGORY(lcPage, "karvo.settings.page")

namespace {
constexpr int kProfileEntryHeight = 22;
constexpr int kBatteryPercentPerLevel = 10;

void SetShown(QWidget* control, bool shown)
{
    if (control)
        control->setVisible(shown);
}
}  // namespace

CMS_1_Page::CMS_1_Page(const QString& dataFolder) : m_session(dataFolder)
{
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
}

void CMS_1_Page::SetMainWindow(WindowImplBase* mainWindow)
{
    m_mainWindow = mainWindow;
    m_postTarget = std::make_unique<WindowPostTarget>(mainWindow->GetHWND());
}

void CMS_1_Page::FindControls()
{
    if (!m_mainWindow)
        return;
    CPaintManagerUI& ui = m_mainWindow->PaintManager();
    m_wired = ui.FindControl(QStringLiteral("ms_1_wired"));
    m_wireless = ui.FindControl(QStringLiteral("ms_1_wireless"));
    m_ble = ui.FindControl(QStringLiteral("ms_1_BLE"));
    m_progressPower = ui.FindControl(QStringLiteral("ms_1_progress_power"));
    m_labelPower = ui.FindControl(QStringLiteral("ms_1_label_power"));
    m_sleepLabel = ui.FindControl(QStringLiteral("ms_1_sleep_label"));
    m_applyRing = ui.FindControl(QStringLiteral("apply_ring"));
    for (int i = 0; i < 8; ++i)
        m_dpiStageOptions[i] = ui.FindControl(QStringLiteral("ms_1_option_dpi_step_%1").arg(i + 1));
}

void CMS_1_Page::InitDevice()
{
    FindControls();
    m_links = std::make_unique<DeviceLinks>(static_cast<DeviceLinkHost&>(*this), m_session, *m_clock);
    m_worker = std::make_unique<DeviceWorker>([this](std::uint32_t message) { OnWorkerMessage(message); });
    m_links->LoadDrivers(m_driverFolder.isEmpty() ? GetAppFolder() : m_driverFolder);
    m_links->SetBleProbe(ProbeBleMouse);
    m_links->Open(m_postTarget ? m_postTarget->Target() : nullptr, {Msg::UM_WIRED_EVENT, Msg::UM_WIRED_LINK},
                  {Msg::UM_RECEIVER_EVENT, Msg::UM_RECEIVER_LINK});
}

void CMS_1_Page::InitSettings()
{
    StoreLoadResult profiles;
    StoreLoadResult macros;
    m_session.Load(&profiles, &macros);
    if (profiles.outcome == StoreLoadResult::Outcome::Repaired)
        qCWarning(lcPage) << "profile store repaired:" << profiles.problem << "original kept as" << profiles.keptAsidePath;
    if (macros.outcome == StoreLoadResult::Outcome::Repaired)
        qCWarning(lcPage) << "macro store repaired:" << macros.problem << "original kept as" << macros.keptAsidePath;

    // News from other threads reaches the page through an object of the UI thread. The page's
    // destructor silences the handler before that object goes, and news still queued goes with it.
    m_storeNews = std::make_unique<QObject>();
    QObject* news = m_storeNews.get();
    m_session.SetChangeHandler([this, news](ProfileSession::StoreChanges changes) {
        QMetaObject::invokeMethod(news, [this, changes] { OnStoresChangedOnDisk(changes); }, Qt::QueuedConnection);
    });
    m_session.WatchStores();
    // A store out of reach is told once the window runs, not while it is being built.
    if (profiles.outcome == StoreLoadResult::Outcome::Unreadable || macros.outcome == StoreLoadResult::Outcome::Unreadable)
        QMetaObject::invokeMethod(news, [this] { OnStoresChangedOnDisk({false, false, true}); }, Qt::QueuedConnection);
    FillProfileList();
    if (m_mainWindow)
        m_mainWindow->PostMessage(Msg::UM_APPLY, 0, 0);
}

void CMS_1_Page::FillProfileList()
{
    auto* list = m_mainWindow ? m_mainWindow->PaintManager().FindControl<QListWidget>(QStringLiteral("ms_1_list_profile"))
                              : nullptr;
    if (!list)
        return;
    const int current = m_session.Locked([list](ProfileSession::State& state) {
        for (const auto& profile : state.profiles) {
            auto* item = new QListWidgetItem(ProfileName(*profile), list);
            item->setSizeHint(QSize(0, kProfileEntryHeight));
        }
        return int(state.header->current_profile_index);
    });
    SelectItem(list, current, false);
}

void CMS_1_Page::OnStoresChangedOnDisk(ProfileSession::StoreChanges changes)
{
    if (auto* list = m_mainWindow ? m_mainWindow->PaintManager().FindControl<QListWidget>(QStringLiteral("ms_1_list_profile"))
                                  : nullptr) {
        const QSignalBlocker block(list);
        list->clear();
    }
    FillProfileList();
    if (changes.profiles && m_mainWindow)
        m_mainWindow->PostMessage(Msg::UM_APPLY, 0, 0);
    if (changes.unreadable && m_mainWindow)
        ShowMessageBox(m_mainWindow, QStringLiteral("warning_title_text"), QStringLiteral("store_unreadable_text"));
}

void CMS_1_Page::ShutdownDevice()
{
    if (m_worker) {
        m_worker->Quit();
        m_worker.reset();
    }
    if (m_links)
        m_links->Shutdown();
}

bool CMS_1_Page::AnyLinkConnected() const
{
    return m_links && m_links->AnyLinkConnected();
}

void CMS_1_Page::RequestApply()
{
    if (m_worker)
        m_worker->PostThreadMessage(Msg::TM_APPLY);
}

void CMS_1_Page::OnWorkerMessage(std::uint32_t message)
{
    // Requests that come while no link is up are dropped: nothing is sent or saved.
    if (message != Msg::TM_APPLY || !m_links || !m_links->AnyLinkUp())
        return;
    QPointer<QWidget> ring = m_applyRing;
    ApplyProfile(ApplyContext{
        m_session,
        [this] { return m_links->Asleep(); },
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

void CMS_1_Page::OnButtonFunctionMenu(const QString& itemName)
{
    if (m_routeObserver)
        m_routeObserver->OnButtonMenuItem(itemName);
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
    if (m_labelPower)
        SetControlTextKey(m_labelPower, QStringLiteral("charging_text"));
    if (m_mainWindow && m_progressPower)
        m_mainWindow->PaintManager().SetTimer(m_progressPower, TimerId::kChargingAnimation,
                                              TimerPeriodMs::kChargingAnimation);
}

void CMS_1_Page::ClearPowerDisplay()
{
    if (m_labelPower) {
        m_labelPower->setProperty(kTextKeyProperty, QString());
        SetControlText(m_labelPower, QString());
    }
    if (m_mainWindow && m_progressPower)
        m_mainWindow->PaintManager().KillTimer(m_progressPower, TimerId::kChargingAnimation);
}

void CMS_1_Page::ShowBatteryLevel(int level)
{
    const int percent = level * kBatteryPercentPerLevel;
    if (m_progressPower)
        SetControlValue(m_progressPower, percent);
    if (m_labelPower) {
        m_labelPower->setProperty(kTextKeyProperty, QString());
        SetControlText(m_labelPower, QStringLiteral("%1%").arg(percent));
    }
}

void CMS_1_Page::SelectDpiStageOption(int stageNumber)
{
    if (stageNumber < 1 || stageNumber > 8)
        return;
    if (auto* option = qobject_cast<QAbstractButton*>(m_dpiStageOptions[stageNumber - 1]))
        SetSelected(option, true, false);
}

// The link-dependent rows of the performance and lighting panel follow with that panel.
void CMS_1_Page::ApplyLinkLayout() {}

void CMS_1_Page::OnTimer(TNotifyUI& msg)
{
    if (msg.pSender == m_progressPower && msg.wParam == WPARAM(TimerId::kChargingAnimation) && m_links)
        SetControlValue(m_progressPower, m_links->NextChargingValue());
}

// The settings panels come with their own work; until then these notifications end here.
void CMS_1_Page::OnClick(TNotifyUI&) {}
void CMS_1_Page::OnSelectChanged(TNotifyUI&) {}
void CMS_1_Page::OnItemSelect(TNotifyUI&) {}
void CMS_1_Page::OnCheckClick(TNotifyUI&) {}
void CMS_1_Page::OnKillFocus(TNotifyUI&) {}
void CMS_1_Page::OnValueChanged(TNotifyUI&) {}
void CMS_1_Page::OnMouseEnter(TNotifyUI&) {}
void CMS_1_Page::OnMouseLeave(TNotifyUI&) {}
