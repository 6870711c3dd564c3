#pragma once

#include "ui/notify.h"

class CPaintManagerUI;
class PageServices;
class QWidget;

// The twelve button slots on the drawing of the mouse: each shows its button's function, and its
// highlight on the drawing while the pointer is over it. Choosing functions comes with the
// assignment menu.
class ButtonSlots {
public:
    static constexpr int kSlotCount = 12;

    explicit ButtonSlots(PageServices& page);

    void FindControls(CPaintManagerUI& ui);
    // Shows the function of button record index (0..11) on its slot.
    void RefreshButtonText(int index);
    void RefreshAll();

    bool OnMouseEnter(TNotifyUI& msg);
    bool OnMouseLeave(TNotifyUI& msg);

private:
    int SlotOf(const QWidget* sender) const;

    PageServices& m_page;
    QWidget* m_slots[kSlotCount] = {};
    QWidget* m_highlights[kSlotCount] = {};
};
