#include "ui/menu_wnd.h"

#include <QAction>
#include <QLoggingCategory>
#include <QMenu>
#include <QWidget>

#include "ui/skin_loader.h"
#include "ui/window_impl_base.h"

Q_LOGGING_CATEGORY(lcMenu, "karvo.ui.menu")

namespace {

// The items of a menu and of its sub-menus, without separators and sub-menu entries.
QList<QAction*> MenuItems(const QMenu* menu)
{
    QList<QAction*> items;
    for (QAction* action : menu->actions()) {
        if (action->menu())
            items += MenuItems(action->menu());
        else if (!action->isSeparator())
            items << action;
    }
    return items;
}

}  // namespace

CMenuWnd::CMenuWnd(UINT clickMessage) : m_clickMessage(clickMessage) {}

CMenuWnd::~CMenuWnd() = default;

bool CMenuWnd::Init(WindowImplBase* owner, const QString& skinFile, const QPoint& point)
{
    QString error;
    m_skin.reset(LoadSkin(skinFile, nullptr, &error));
    m_menu = m_skin ? m_skin->findChild<QMenu*>() : nullptr;
    if (!m_menu) {
        qCWarning(lcMenu) << skinFile << (error.isEmpty() ? QStringLiteral("holds no menu") : error);
        return false;
    }
    for (QAction* action : MenuItems(m_menu)) {
        QObject::connect(action, &QAction::triggered, m_menu, [owner, action, message = m_clickMessage] {
            auto* cmd = new MenuCmd{action->objectName(), action->data().toString(), action->text(), action->isChecked()};
            owner->PostMessage(message, WPARAM(cmd), 0);
        });
    }
    m_menu->popup(point);
    return true;
}

void CMenuWnd::ResizeMenu()
{
    if (m_menu)
        m_menu->adjustSize();
}

bool CMenuWnd::Choose(const QString& itemName)
{
    if (!m_menu)
        return false;
    for (QAction* action : MenuItems(m_menu)) {
        if (action->objectName() == itemName) {
            action->trigger();
            m_menu->close();
            return true;
        }
    }
    return false;
}
