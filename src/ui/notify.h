#pragma once

#include <QString>

#include "ui/window_message.h"

class QWidget;

// Notification types the toolkit raises for its controls.
namespace NotifyType {
inline const QString kClick = QStringLiteral("click");
inline const QString kSelectChanged = QStringLiteral("selectchanged");
inline const QString kItemSelect = QStringLiteral("itemselect");
inline const QString kValueChanged = QStringLiteral("valuechanged");
inline const QString kCheckClick = QStringLiteral("checkclick");
inline const QString kSetFocus = QStringLiteral("setfocus");
inline const QString kKillFocus = QStringLiteral("killfocus");
inline const QString kTextChanged = QStringLiteral("textchanged");
inline const QString kTimer = QStringLiteral("timer");
inline const QString kMouseEnter = QStringLiteral("mouseenter");
inline const QString kMouseLeave = QStringLiteral("mouseleave");
inline const QString kColorChanged = QStringLiteral("colorchanged");
inline const QString kColorChangedButtonUp = QStringLiteral("colorchangedbuttonup");
}  // namespace NotifyType

// One notification: what happened, to which control, and for lists and combos the item index.
// Control timers carry their id in wParam.
struct TNotifyUI {
    QString sType;
    QWidget* pSender = nullptr;
    int index = -1;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    QString sVirtualWnd;  // the virtual window the sender belongs to; empty for the window itself

    QString SenderName() const;
};

class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};
