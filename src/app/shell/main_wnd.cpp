#include "app/shell/main_wnd.h"

#include <QCursor>
#include <QIcon>
#include <QLabel>
#include <QLoggingCategory>
#include <QScopeGuard>
#include <QStackedWidget>
#include <QThread>
#include <QWidget>

#include "core/storage/app_folders.h"
#include "app/shell/dpi_msg.h"
#include "app/shell/msg_wnd.h"
#include "app/shell/title_bar.h"
#include "app/shell/window_messages.h"
#include "ui/controls.h"
#include "ui/menu_wnd.h"
#include "ui/resource_manager.h"
#include "ui/skin_loader.h"

Q_LOGGING_CATEGORY(lcMainWnd, "karvo.app.main")

namespace {

CMS_1_Page* g_page = nullptr;

constexpr int kTrayMenuLift = 50;  // the tray menu opens a little above the pointer
constexpr int kDpiUnit = 40;

// Every name the "ms_1" prefix agrees with over the shorter length goes to the page, which is
// also true of a name that is only a beginning of "ms_1".
bool AgreesWithPagePrefix(const QString& name)
{
    const QString prefix = QStringLiteral("ms_1");
    const qsizetype length = std::min(name.size(), prefix.size());
    return QStringView(name).left(length) == QStringView(prefix).left(length);
}

}  // namespace

CMainWnd::CMainWnd()
{
    g_page = &m_page;
}

CMainWnd::~CMainWnd()
{
    RemoveVirtualWnd(CMS_1_Page::kVirtualWndName);
    if (g_page == &m_page)
        g_page = nullptr;
    m_trayIcon.DeleteTrayIcon();
}

CMS_1_Page* CMainWnd::PageInstance()
{
    return g_page;
}

void CMainWnd::OnWindowBuilt()
{
    AddVirtualWnd(CMS_1_Page::kVirtualWndName, &m_page);

    m_page.SetMainWindow(this);
    m_page.SetHookTable(&m_hookLibrary.Table());
    m_page.InitDevice();

    const QPixmap picture = CResourceManager::Instance().SkinPixmap(QStringLiteral("icon.png"));
    const QIcon icon(picture);
    if (auto* logo = PaintManager().FindControl<QLabel>(QStringLiteral("logo")))
        logo->setPixmap(picture);
    GetHWND()->setWindowIcon(icon);
    CResourceManager::Instance().LoadLanguage(QStringLiteral("lan.xml"));
    ResolveTextKeysOfAllWindows();
    const QString title = CResourceManager::Instance().GetText(QStringLiteral("mouse_name_text"));
    m_trayIcon.CreateTrayIcon(this, icon, title, Msg::UM_TRAYICON);

    m_skinButton = PaintManager().FindControl(QStringLiteral("skin_btn"));
    m_mainMenuButton = PaintManager().FindControl(QStringLiteral("main_menu_btn"));
    m_minButton = PaintManager().FindControl(QStringLiteral("min_btn"));
    m_exitButton = PaintManager().FindControl(QStringLiteral("exit_btn"));
    m_applyProgress = PaintManager().FindControl(QStringLiteral("apply_progress"));
    m_deviceTabSwitch = PaintManager().FindControl<QStackedWidget>(QStringLiteral("device_tab_switch"));
    m_emptyState = PaintManager().FindControl(QStringLiteral("no_device_state"));
    m_accessNotice.SetDeniedHandler([this] { ShowEmptyState(!m_devicePresent); });
    GetHWND()->setWindowTitle(title);

    m_hookLibrary.Load(GetAppFolder());
    m_page.InitSettings();

    NameTitleBarButtons(PaintManager());
    m_theme.Init();
    m_shellMenu.Init();
    m_accessNotice.Check();
}

void CMainWnd::OnClick(TNotifyUI& msg)
{
    if (msg.pSender == m_exitButton && m_exitButton)
        Withdraw();
    else if (msg.pSender == m_minButton && m_minButton)
        SendMessage(WindowMessage::kSysCommand, SysCommand::kMinimize, 0);
    else if (msg.pSender == m_skinButton && m_skinButton)
        m_theme.Toggle();
    else if (msg.pSender == m_mainMenuButton && m_mainMenuButton)
        ShowTrayMenu(m_mainMenuButton->mapToGlobal(QPoint(0, m_mainMenuButton->height())));
}

void CMainWnd::OnCloseRequest()
{
    // Closing the window never ends the program: it goes to the tray, or to the task bar where
    // there is no tray.
    Withdraw();
}

void CMainWnd::Withdraw()
{
    if (!GetHWND())
        return;
    if (CTrayIcon::IsAvailable())
        ShowWindow(false);
    else
        GetHWND()->showMinimized();
}

LRESULT CMainWnd::HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled)
{
    handled = true;
    const auto observe = qScopeGuard([this] {
        if (m_messageObserver)
            m_messageObserver();
    });
    switch (message) {
    case Msg::UM_TRAYICON:
        if (lParam == CTrayIcon::kLeftButtonUp)
            BringToFrontOrWarn();
        else if (lParam == CTrayIcon::kRightButtonUp)
            ShowTrayMenu();
        return 0;
    case Msg::UM_MENUCLICK:
        OnMenuClick(reinterpret_cast<MenuCmd*>(wParam));
        return 0;
    case Msg::UM_HOOK_INPUT:
    case Msg::UM_UNUSED_1:
    case Msg::UM_UNUSED_2:
    case Msg::UM_UNUSED_3:
        return 0;
    case Msg::UM_ACTIVATE_INSTANCE:
        BringToFrontOrWarn();
        return 0;
    case Msg::UM_DEVICE_STATE:
        OnDeviceState();
        return 0;
    case Msg::UM_SHOW_DPI:
        ShowDpiPopup(wParam, lParam);
        return 0;
    case Msg::UM_RECEIVER_EVENT:
        m_page.HandleReceiverLink(LinkCode::FromEvent(wParam, lParam));
        return 0;
    case Msg::UM_RECEIVER_LINK:
        m_page.HandleReceiverLink(LinkCode::FromLink(wParam));
        return 0;
    case Msg::UM_WIRED_EVENT:
        m_page.HandleWiredLink(LinkCode::FromEvent(wParam, lParam));
        return 0;
    case Msg::UM_WIRED_LINK:
        m_page.HandleWiredLink(LinkCode::FromLink(wParam));
        return 0;
    case Msg::UM_APPLY:
        m_page.RequestApply();
        return 0;
    case Msg::UM_STORE_SAVE_FAILED:
        OnStoreSaveFailed();
        return 0;
    case WindowMessage::kDestroy:
        CPaintManagerUI::QuitMessageLoop(0);
        return 0;
    case WindowMessage::kTimer:
        OnTimer(UINT(wParam));
        handled = false;
        return 0;
    default:
        handled = false;
        return 0;
    }
}

void CMainWnd::OnStoreSaveFailed()
{
    if (m_saveFailureShown || m_page.Session().TakeSaveFailures().isEmpty())
        return;  // the message on screen tells of this one too
    m_saveFailureShown = true;
    ShowMessageBox(this, QStringLiteral("warning_title_text"), QStringLiteral("save_failed_text"));
    m_page.Session().TakeSaveFailures();  // failed while the message was up: already told
    m_saveFailureShown = false;
}

void CMainWnd::OnTimer(UINT timerId)
{
    switch (timerId) {
    case TimerId::TIMER_APPLY_DELAY:
        KillTimer(TimerId::TIMER_APPLY_DELAY);
        PostMessage(Msg::UM_APPLY, 0, 0);
        break;
    case TimerId::TIMER_DPI_POPUP:
        KillTimer(TimerId::TIMER_DPI_POPUP);
        CloseDpiPopup();
        break;
    case TimerId::TIMER_MOUSE_ONLINE:
        KillTimer(TimerId::TIMER_MOUSE_ONLINE);
        m_page.OnOnlineWatchdogExpired();
        break;
    default:
        break;
    }
}

void CMainWnd::BringToFront()
{
    if (!GetHWND())
        return;
    if (GetHWND()->isHidden())
        GetHWND()->show();
    if (GetHWND()->isMinimized())
        SendMessage(WindowMessage::kSysCommand, SysCommand::kRestore, 0);
    GetHWND()->raise();
    GetHWND()->activateWindow();
}

void CMainWnd::BringToFrontOrWarn()
{
    if (m_devicePresent)
        BringToFront();
    else
        ShowNoDeviceWarning();
}

void CMainWnd::ShowNoDeviceWarning()
{
    if (m_noDeviceWarningShown)
        return;
    m_noDeviceWarningShown = true;
    ShowMessageBox(this, QStringLiteral("warning_title_text"), QStringLiteral("no_device_text"));
    m_noDeviceWarningShown = false;
}

void CMainWnd::ShowTrayMenu(std::optional<QPoint> at)
{
    m_trayMenu = std::make_unique<CMenuWnd>(Msg::UM_MENUCLICK);
    const QPoint cursor = QCursor::pos();
    if (m_trayMenu->Init(this, QStringLiteral("traymenu.xml"), at.value_or(QPoint(cursor.x(), cursor.y() - kTrayMenuLift)))) {
        m_shellMenu.Prepare(*m_trayMenu);
        m_trayMenu->ResizeMenu();
    }
}

void CMainWnd::OnMenuClick(MenuCmd* cmd)
{
    if (!cmd)
        return;
    const QString name = cmd->szName;
    delete cmd;  // the receiver releases the record
    if (name.compare(QStringLiteral("configuration"), Qt::CaseInsensitive) == 0)
        BringToFrontOrWarn();
    else if (name.compare(QStringLiteral("exit"), Qt::CaseInsensitive) == 0)
        DestroyWindow();
    else if (m_shellMenu.HandleItem(name))
        return;
    else if (AgreesWithPagePrefix(name))
        m_page.OnButtonFunctionMenu(name);
}

void CMainWnd::OnDeviceState()
{
    m_devicePresent = m_page.AnyLinkConnected();
    ShowEmptyState(!m_devicePresent);
    if (m_devicePresent) {
        if (m_deviceTabSwitch)
            SelectTabItem(m_deviceTabSwitch, 0);
        // Without a tray icon, a window that went to the task bar when the mouse went comes back
        // with it.
        if (m_withdrawnForNoDevice && !CTrayIcon::IsAvailable() && GetHWND() && GetHWND()->isMinimized())
            BringToFront();
        m_withdrawnForNoDevice = false;
        return;
    }
    if (GetHWND() && GetHWND()->isVisible() && !GetHWND()->isMinimized())
        m_withdrawnForNoDevice = true;
    if (m_deviceTabSwitch)
        SelectTabItem(m_deviceTabSwitch, -1);
    qCInfo(lcMainWnd) << (CTrayIcon::IsAvailable() ? "no mouse is reachable: the window hides"
                                                    : "no mouse is reachable: the window minimises");
    Withdraw();
    m_accessNotice.Check();
}

QString CMainWnd::DpiPopupText(WPARAM wParam, LPARAM dpiValue)
{
    QString text = QStringLiteral("DPI:");
    if (wParam <= 2)
        text += QLatin1Char(' ') + QString::number(qint64(dpiValue) * kDpiUnit);
    return text;
}

void CMainWnd::ShowDpiPopup(WPARAM wParam, LPARAM lParam)
{
    const QString text = DpiPopupText(wParam, lParam);
    qCInfo(lcMainWnd) << "DPI pop-up shows" << text;
    KillTimer(TimerId::TIMER_DPI_POPUP);
    SetTimer(TimerId::TIMER_DPI_POPUP, TimerPeriodMs::kDpiPopup);
    if (m_dpiPopup) {
        m_dpiPopup->SetText(text);
        return;
    }
    auto popup = std::make_unique<CDPIMsg>(text);
    if (!popup->Create(this, WindowStyle::kPopup | WindowStyle::kVisible,
                       WindowStyle::kExTopmost | WindowStyle::kExToolWindow))
        return;
    m_dpiPopup = std::move(popup);
}

void CMainWnd::CloseDpiPopup()
{
    if (!m_dpiPopup)
        return;
    m_dpiPopup->Close(0);
    m_dpiPopup.reset();
}

void CMainWnd::ShowEmptyState(bool shown)
{
    if (!m_emptyState)
        return;
    // A mouse that is there but may not be opened needs the access hint, not "plug it in".
    SetControlTextKey(m_emptyState, m_accessNotice.Shown() ? QStringLiteral("device_access_text")
                                                           : QStringLiteral("no_device_text"));
    m_emptyState->setVisible(shown);
}

void CMainWnd::OnDestroy()
{
    CloseDpiPopup();
    m_hookLibrary.Free();
    // The device side stops while the window still exists, so that no worker or driver monitor
    // outlives what it reports to.
    m_page.ShutdownDevice();
}
