#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>

#include "app/settings/macro_rebinding.h"

class CMenuWnd;
class ProfileSession;
class QWidget;
class WindowImplBase;
struct HookTable;

// What button assignment needs from the page it works for.
class ButtonAssignmentHost {
public:
    virtual ~ButtonAssignmentHost() = default;
    // The window that owns the menu and the dialogs and receives the menu's clicks.
    virtual WindowImplBase* OwnerWindow() = 0;
    virtual QWidget* FindControl(const QString& name) const = 0;
    // The send-configuration request (the profile store is written after the send).
    virtual void PostApply() = 0;
    // Writes the profile store soon, for changes to profiles that are not sent.
    virtual void SaveProfilesLater() = 0;
    virtual int ShowMessageBox(const QString& titleKey, const QString& textKey) = 0;
    // Lent to the shortcut dialog; may be empty.
    virtual const HookTable* Hooks() const = 0;
};

// The page's twelve button slots: each opens the menu of functions, the chosen function goes into
// the button's record of the current profile and to the mouse, and the slot shows it. Key
// combinations and macros are picked in their dialogs; macro copies follow the macro list.
class ButtonAssignment {
public:
    ButtonAssignment(ButtonAssignmentHost& host, ProfileSession& session);
    ~ButtonAssignment();
    ButtonAssignment(const ButtonAssignment&) = delete;
    ButtonAssignment& operator=(const ButtonAssignment&) = delete;

    // Looks up the slots "ms_1_btn_key_%d" and highlights "ms_1_key_control_%d" and hides the
    // highlights.
    void FindControls();

    // Notifications of the page's controls; true when the sender was one of the slots.
    bool OnClick(QWidget* sender);
    bool OnMouseEnter(QWidget* sender);
    bool OnMouseLeave(QWidget* sender);

    // Opens the menu beside slot index (0..11), upward when it would not fit below.
    void OpenMenu(int buttonIndex);
    // A menu item was chosen for the button whose menu was opened last.
    void Assign(const QString& menuItem);
    // Shows the function of button record index (0..11) of the current profile on its slot.
    void RefreshButtonText(int buttonIndex);
    void RefreshAllButtonTexts();
    // After the macro list changed: every profile's macro copies follow it.
    void RebindMacros();

    int CurrentButton() const { return m_currentButton; }
    CMenuWnd* Menu() const { return m_menu.get(); }
    // The text a button record shows for its function.
    static QString ButtonText(const ButtonRecord& button);
    // Where the menu's top-left corner goes for a slot at buttonOnScreen: beside the slot's right
    // edge at its top, or, when the menu would reach the work area's bottom, ending at the slot's
    // bottom; never above the work area.
    static QPoint MenuPosition(const QRect& buttonOnScreen, int menuHeight, const QRect& workArea);

private:
    int SlotOf(QWidget* sender) const;
    bool KeepsALeftClick(std::uint8_t newCode) const;
    bool PickKeyCombination();
    bool PickMacro();
    void StoreFunction(std::uint8_t code);

    ButtonAssignmentHost& m_host;
    ProfileSession& m_session;
    std::array<QWidget*, kAssignableButtonCount> m_slots{};
    std::array<QWidget*, kAssignableButtonCount> m_highlights{};
    int m_currentButton = -1;
    std::unique_ptr<CMenuWnd> m_menu;
};
