#include "app/settings/button_slots.h"

#include "app/settings/page_services.h"
#include "core/keys/key_tables.h"
#include "core/profile/button_function_table.h"
#include "core/text/name_field.h"
#include "ui/controls.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

ButtonSlots::ButtonSlots(PageServices& page) : m_page(page) {}

void ButtonSlots::FindControls(CPaintManagerUI& ui)
{
    for (int i = 0; i < kSlotCount; ++i) {
        m_slots[i] = ui.FindControl(QStringLiteral("ms_1_btn_key_%1").arg(i + 1));
        m_highlights[i] = ui.FindControl(QStringLiteral("ms_1_key_control_%1").arg(i + 1));
    }
}

void ButtonSlots::RefreshAll()
{
    for (int i = 0; i < kSlotCount; ++i)
        RefreshButtonText(i);
}

void ButtonSlots::RefreshButtonText(int index)
{
    if (index < 0 || index >= kSlotCount || !m_slots[index])
        return;
    struct Shown {
        std::uint8_t function, keyCode, modifiers;
        QString macroName;
    };
    const Shown shown = m_page.WithCurrent([index](ProfileRecord& p) {
        const ButtonRecord& button = p.buttons[index];
        return Shown{button.function, button.key_code, button.modifiers, ReadNameField(button.macro_name)};
    });
    QWidget* slot = m_slots[index];
    const CResourceManager& texts = CResourceManager::Instance();
    if (shown.function == ButtonFunction::kKeyCombination) {
        static const char* const kModifierKeys[] = {"keyboard_ctrl_text", "keyboard_shift_text", "keyboard_alt_text",
                                                    "keyboard_win_text"};
        QString text;
        for (int bit = 0; bit < 4; ++bit)
            if (shown.modifiers & (1 << bit))
                text += texts.GetText(QLatin1String(kModifierKeys[bit])) + QLatin1Char('+');
        slot->setProperty(kTextKeyProperty, QString());
        SetControlText(slot, text + UsageName(shown.keyCode));
    } else if (shown.function == ButtonFunction::kMacro) {
        slot->setProperty(kTextKeyProperty, QString());
        SetControlText(slot, texts.GetText(QStringLiteral("assign_macro_text")) + shown.macroName);
    } else {
        SetControlTextKey(slot, FunctionDisplayKey(shown.function));
    }
}

int ButtonSlots::SlotOf(const QWidget* sender) const
{
    for (int i = 0; i < kSlotCount; ++i)
        if (sender && sender == m_slots[i])
            return i;
    return -1;
}

bool ButtonSlots::OnMouseEnter(TNotifyUI& msg)
{
    const int slot = SlotOf(msg.pSender);
    if (slot < 0)
        return false;
    if (m_highlights[slot])
        m_highlights[slot]->show();
    return true;
}

bool ButtonSlots::OnMouseLeave(TNotifyUI& msg)
{
    const int slot = SlotOf(msg.pSender);
    if (slot < 0)
        return false;
    if (m_highlights[slot])
        m_highlights[slot]->hide();
    return true;
}
