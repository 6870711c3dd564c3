#include "app/shell/shell_menu.h"

#include <QAction>
#include <QLoggingCategory>
#include <QMenu>

#include "app/shell/autostart.h"
#include "app/shell/background_queue.h"
#include "app/shell/msg_wnd.h"
#include "ui/menu_wnd.h"

Q_LOGGING_CATEGORY(lcShellMenu, "karvo.app.menu", QtInfoMsg)

ShellMenu::ShellMenu(WindowImplBase& window) : m_window(window) {}

ShellMenu::~ShellMenu()
{
    // Results of queued work come back to this object.
    BackgroundQueue::Shell().WaitForDone();
}

void ShellMenu::Init()
{
    m_autostart = AutostartEntryExists(AutostartEntryPath());
}

void ShellMenu::Prepare(CMenuWnd& menu) const
{
    if (!menu.Menu())
        return;
    for (QAction* action : menu.Menu()->actions()) {
        if (action->objectName() == kAutostartItem) {
            action->setCheckable(true);
            action->setChecked(m_autostart);
        }
        if (action->objectName() == kRulesItem)
            action->setVisible(bool(m_rulesOpener));
    }
}

bool ShellMenu::HandleItem(const QString& name)
{
    if (name == kAutostartItem) {
        SetAutostart(!m_autostart);
        return true;
    }
    if (name == kRulesItem) {
        if (m_rulesOpener)
            m_rulesOpener();
        return true;
    }
    if (name == kAboutItem) {
        ShowAbout();
        return true;
    }
    return false;
}

void ShellMenu::SetAutostart(bool enabled)
{
    m_autostart = enabled;
    const QString path = AutostartEntryPath();
    const QString command = ProgramCommand();
    BackgroundQueue::Shell().Run<QString>(
        [enabled, path, command] {
            QString error;
            const bool done = enabled ? WriteAutostartEntry(path, command, &error) : RemoveAutostartEntry(path, &error);
            return done ? QString() : error;
        },
        this,
        [this, enabled](const QString& error) {
            if (error.isEmpty()) {
                qCInfo(lcShellMenu) << (enabled ? "starts with the desktop" : "no longer starts with the desktop");
                return;
            }
            qCWarning(lcShellMenu) << error;
            m_autostart = !enabled;
            ShowMessageBox(&m_window, QStringLiteral("warning_title_text"), QStringLiteral("autostart_failed_text"));
        });
}

void ShellMenu::ShowAbout()
{
    CMsgWnd box(QStringLiteral("about_title_text"), QStringLiteral("about_text"));
    box.SetTextArguments({QStringLiteral(KARVO_VERSION)});
    if (!box.Create(&m_window, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow))
        return;
    box.CenterWindow();
    box.ShowModal();
}
