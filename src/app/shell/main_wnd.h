#pragma once

#include <QPoint>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "app/shell/device_access_notice.h"
#include "app/shell/hook_library.h"
#include "app/shell/shell_menu.h"
#include "app/shell/theme.h"
#include "app/settings/ms_1_page.h"
#include "ui/tray_icon.h"
#include "ui/window_impl_base.h"

class CDPIMsg;
class CMenuWnd;
struct MenuCmd;
class QStackedWidget;

// The program's one top-level window: hosts the settings page, owns the tray icon and menu, loads
// the input-hook library and routes every custom message. It hides whenever no mouse is
// reachable; its close button only hides it, and only the tray menu's "exit" ends the program.
class CMainWnd final : public WindowImplBase {
public:
    static inline const QString kClassName = QStringLiteral("Karvo Gaming Mouse");
    // Pop-up, visible, clip siblings and children, caption, system menu, minimise box.
    static constexpr std::uint32_t kStyle = 0x96CA0000;

    CMainWnd();
    ~CMainWnd() override;

    QString WindowClassName() const override { return kClassName; }
    QString SkinFileName() const override { return QStringLiteral("main.xml"); }

    CMS_1_Page& Page() { return m_page; }
    // The page the Bluetooth stack's callbacks reach; set while a main window exists.
    static CMS_1_Page* PageInstance();

    bool DevicePresent() const { return m_devicePresent; }
    CDPIMsg* DpiPopup() const { return m_dpiPopup.get(); }
    CMenuWnd* TrayMenu() const { return m_trayMenu.get(); }
    const HookTable& Hooks() const { return m_hookLibrary.Table(); }
    bool NoDeviceWarningShown() const { return m_noDeviceWarningShown; }

    void BringToFront();
    void ShowNoDeviceWarning();
    void ShowDpiPopup(WPARAM wParam, LPARAM lParam);
    static QString DpiPopupText(WPARAM wParam, LPARAM dpiValue);

    ShellMenu& Menu() { return m_shellMenu; }
    CTrayIcon& TrayIcon() { return m_trayIcon; }
    ShellTheme& Theme() { return m_theme; }
    DeviceAccessNotice& AccessNotice() { return m_accessNotice; }
    // Hides the window where a tray icon can bring it back, else minimises it.
    void Withdraw();
    // Heard after every message the window handles (the D-Bus service follows the page with it).
    void SetMessageObserver(std::function<void()> observer) { m_messageObserver = std::move(observer); }

protected:
    void OnWindowBuilt() override;
    void OnClick(TNotifyUI& msg) override;
    LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnDestroy() override;
    void OnCloseRequest() override;

private:
    void BringToFrontOrWarn();
    void ShowTrayMenu(std::optional<QPoint> at = std::nullopt);
    void OnMenuClick(MenuCmd* cmd);
    void OnDeviceState();
    void OnTimer(UINT timerId);
    void OnStoreSaveFailed();
    void CloseDpiPopup();
    // Without a mouse the window says what is wrong and what to do instead of showing nothing.
    void ShowEmptyState(bool shown);

    CMS_1_Page m_page;
    CTrayIcon m_trayIcon;
    std::unique_ptr<CMenuWnd> m_trayMenu;
    HookLibrary m_hookLibrary;
    std::unique_ptr<CDPIMsg> m_dpiPopup;  // while shown
    bool m_devicePresent = false;
    bool m_noDeviceWarningShown = false;
    bool m_saveFailureShown = false;
    bool m_withdrawnForNoDevice = false;  // the window left the screen because the mouse went
    ShellMenu m_shellMenu{*this};
    ShellTheme m_theme;
    DeviceAccessNotice m_accessNotice{*this};
    std::function<void()> m_messageObserver;

    QWidget* m_skinButton = nullptr;
    QWidget* m_mainMenuButton = nullptr;
    QWidget* m_minButton = nullptr;
    QWidget* m_exitButton = nullptr;
    QWidget* m_applyProgress = nullptr;
    QStackedWidget* m_deviceTabSwitch = nullptr;
    QWidget* m_emptyState = nullptr;
};
