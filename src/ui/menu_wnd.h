#pragma once

#include <QPoint>
#include <QString>
#include <memory>

#include "ui/window_message.h"

class QMenu;
class QWidget;
class WindowImplBase;

// What a menu click carries to the menu's owner: the item's name (its objectName in the menu skin), its
// user data and text, and its check state. The receiver releases it.
struct MenuCmd {
    QString szName;
    QString szUserData;
    QString szText;
    bool bChecked = false;
};

// A pop-up menu built from a menu skin: a Designer file whose first menu holds the items as
// actions whose names the owner dispatches on (sub-menus nest). Choosing an item posts the click
// message with a MenuCmd to the owner.
class CMenuWnd {
public:
    explicit CMenuWnd(UINT clickMessage);
    ~CMenuWnd();

    bool Init(WindowImplBase* owner, const QString& skinFile, const QPoint& point);
    void ResizeMenu();
    QMenu* Menu() const { return m_menu; }
    // Chooses an item as the user would (tests, keyboard shortcuts). False when there is none.
    bool Choose(const QString& itemName);

private:
    UINT m_clickMessage;
    std::unique_ptr<QWidget> m_skin;
    QMenu* m_menu = nullptr;
};
