#include "app/settings/button_assignment.h"

#include <QAbstractButton>
#include <QLoggingCategory>
#include <QMenu>
#include <QWidget>
#include <algorithm>
#include <cstring>

#include "app/macro/select_macro_wnd.h"
#include "app/macro/shortcut_wnd.h"
#include "app/shell/window_messages.h"
#include "core/keys/key_tables.h"
#include "core/profile/button_function_table.h"
#include "core/text/name_field.h"
#include "device/profile_session.h"
#include "ui/controls.h"
#include "ui/elided_button_text.h"
#include "ui/menu_wnd.h"
#include "ui/resource_manager.h"
#include "ui/window_impl_base.h"
#include "ui/work_area.h"

Q_LOGGING_CATEGORY(lcAssign, "karvo.settings.buttons")

namespace {

const QString kMenuSkin = QStringLiteral("MS/MS_1/ms_1_menu.xml");
constexpr std::uint32_t kDialogStyle = WindowStyle::kPopup | WindowStyle::kVisible;

// Modifier bits of a key combination with the language key shown for each, in display order.
constexpr struct {
    std::uint8_t bit;
    const char* key;
} kModifierTexts[] = {
    {1, "keyboard_ctrl_text"},
    {2, "keyboard_shift_text"},
    {4, "keyboard_alt_text"},
    {8, "keyboard_win_text"},
};

QString Text(const char* key)
{
    return CResourceManager::Instance().GetText(QLatin1String(key));
}

// Sub-menus carry their title as a language key, which the skin loader leaves to the menu.
void ResolveMenuTitles(QMenu* menu)
{
    for (QMenu* sub : menu->findChildren<QMenu*>()) {
        const QString key = sub->property(kTextKeyProperty).toString();
        if (!key.isEmpty())
            sub->setTitle(CResourceManager::Instance().GetText(key));
    }
}

}  // namespace

ButtonAssignment::ButtonAssignment(ButtonAssignmentHost& host, ProfileSession& session)
    : m_host(host), m_session(session)
{
}

ButtonAssignment::~ButtonAssignment() = default;

void ButtonAssignment::FindControls()
{
    for (int i = 0; i < kAssignableButtonCount; ++i) {
        m_slots[i] = m_host.FindControl(QStringLiteral("ms_1_btn_key_%1").arg(i + 1));
        // A long macro name or translation shows its start and "…" rather than being cut off.
        ElideTextWhenNarrow(qobject_cast<QAbstractButton*>(m_slots[i]));
        m_highlights[i] = m_host.FindControl(QStringLiteral("ms_1_key_control_%1").arg(i + 1));
        if (m_highlights[i])
            m_highlights[i]->hide();
    }
}

int ButtonAssignment::SlotOf(QWidget* sender) const
{
    if (!sender)
        return -1;
    const auto it = std::find(m_slots.begin(), m_slots.end(), sender);
    return it == m_slots.end() ? -1 : int(it - m_slots.begin());
}

bool ButtonAssignment::OnClick(QWidget* sender)
{
    const int slot = SlotOf(sender);
    if (slot < 0)
        return false;
    OpenMenu(slot);
    return true;
}

bool ButtonAssignment::OnMouseEnter(QWidget* sender)
{
    const int slot = SlotOf(sender);
    if (slot < 0)
        return false;
    if (m_highlights[slot])
        m_highlights[slot]->show();
    return true;
}

bool ButtonAssignment::OnMouseLeave(QWidget* sender)
{
    const int slot = SlotOf(sender);
    if (slot < 0)
        return false;
    if (m_highlights[slot])
        m_highlights[slot]->hide();
    return true;
}

QPoint ButtonAssignment::MenuPosition(const QRect& buttonOnScreen, int menuHeight, const QRect& workArea)
{
    QPoint position(buttonOnScreen.left() + buttonOnScreen.width(), buttonOnScreen.top());
    if (!workArea.isValid())
        return position;
    if (position.y() + menuHeight >= workArea.top() + workArea.height()) {
        position.setY(buttonOnScreen.top() + buttonOnScreen.height() - menuHeight);
        position.setY(std::max(position.y(), workArea.top()));
    }
    return position;
}

void ButtonAssignment::OpenMenu(int buttonIndex)
{
    if (buttonIndex < 0 || buttonIndex >= kAssignableButtonCount)
        return;
    m_currentButton = buttonIndex;
    m_menu.reset();
    WindowImplBase* owner = m_host.OwnerWindow();
    QWidget* slot = m_slots[buttonIndex];
    if (!owner || !slot)
        return;
    const QRect buttonOnScreen(slot->mapToGlobal(QPoint(0, 0)), slot->size());
    const QPoint below = MenuPosition(buttonOnScreen, 0, {});
    m_menu = std::make_unique<CMenuWnd>(Msg::UM_MENUCLICK);
    if (!m_menu->Init(owner, kMenuSkin, below)) {
        m_menu.reset();
        return;
    }
    QMenu* menu = m_menu->Menu();
    ResolveMenuTitles(menu);
    m_menu->ResizeMenu();
    const QPoint placed = MenuPosition(buttonOnScreen, menu->sizeHint().height(), WorkAreaAt(below));
    if (placed != below)
        menu->move(placed);
}

bool ButtonAssignment::KeepsALeftClick(std::uint8_t newCode) const
{
    return m_session.Locked([this, newCode](ProfileSession::State& state) {
        const ProfileRecord& profile = state.Current();
        for (int i = 0; i < kAssignableButtonCount; ++i) {
            const std::uint8_t code = i == m_currentButton ? newCode : profile.buttons[i].function;
            if (code == ButtonFunction::kLeftClick)
                return true;
        }
        return false;
    });
}

void ButtonAssignment::Assign(const QString& menuItem)
{
    if (m_currentButton < 0 || m_currentButton >= kAssignableButtonCount)
        return;
    const std::uint8_t code = FunctionFromMenuItem(menuItem);
    if (!KeepsALeftClick(code)) {
        m_host.ShowMessageBox(QStringLiteral("warning_title_text"), QStringLiteral("one_click_text"));
        return;
    }
    if (code == ButtonFunction::kKeyCombination) {
        if (!PickKeyCombination())
            return;
    } else if (code == ButtonFunction::kMacro) {
        if (!PickMacro())
            return;
    }
    StoreFunction(code);
}

bool ButtonAssignment::PickKeyCombination()
{
    CShortcutWnd dialog;
    m_session.Locked([this, &dialog](ProfileSession::State& state) {
        const ButtonRecord& button = state.Current().buttons[m_currentButton];
        // A button that sends no combination yet starts from none.
        const bool isCombination = button.function == ButtonFunction::kKeyCombination;
        dialog.SetModifiers(isCombination ? button.modifiers : 0);
        dialog.SetKey(isCombination ? button.key_code : 0);
    });
    dialog.SetHookTable(m_host.Hooks());
    if (!dialog.Create(m_host.OwnerWindow(), kDialogStyle, WindowStyle::kExToolWindow))
        return false;
    dialog.CenterWindow();
    if (dialog.ShowModal() != 1)
        return false;
    const std::uint8_t modifiers = dialog.Modifiers();
    const std::uint8_t key = dialog.Key();
    // Modifiers alone are a combination too: the button then holds them down while pressed.
    if (modifiers == 0 && key == 0)
        return false;
    m_session.Locked([this, modifiers, key](ProfileSession::State& state) {
        ButtonRecord& button = state.Current().buttons[m_currentButton];
        button.key_code = key;
        std::memset(button.zero_4, 0, sizeof button.zero_4);
        button.modifiers = modifiers;
    });
    return true;
}

bool ButtonAssignment::PickMacro()
{
    CMS_1_SelectMacro dialog;
    m_session.Locked([this, &dialog](ProfileSession::State& state) {
        QStringList names;
        for (const auto& macro : state.macros)
            names << MacroName(*macro);
        dialog.SetMacroNames(names);
        const ButtonRecord& button = state.Current().buttons[m_currentButton];
        if (button.function == ButtonFunction::kMacro) {
            // The index may be stale in a record from elsewhere; the name is what binds.
            int index = button.macro_index;
            const QString name = ReadNameField(button.macro_name);
            if (index < 0 || index >= names.size() || names.at(index).compare(name, Qt::CaseInsensitive) != 0)
                index = FindMacroByName(state.macros, name);
            dialog.SetSelectedIndex(index);
            dialog.SetRepeatMode(button.macro_repeat_mode);
            dialog.SetLoopCount(button.macro_loop_count);
        } else {
            dialog.SetSelectedIndex(-1);
            dialog.SetRepeatMode(0);
            dialog.SetLoopCount(1);
        }
    });
    if (!dialog.Create(m_host.OwnerWindow(), kDialogStyle, WindowStyle::kExToolWindow))
        return false;
    dialog.CenterWindow();
    if (dialog.ShowModal() != 1)
        return false;
    const QString chosen = dialog.SelectedName();
    if (chosen.isEmpty())
        return false;
    // The list may have changed while the dialog was open: the macro is found again by the name
    // the user chose, wherever it stands now.
    const bool bound = m_session.Locked([this, &dialog, &chosen](ProfileSession::State& state) {
        int position = dialog.SelectedIndex();
        if (position >= int(state.macros.size())
            || MacroName(*state.macros[std::size_t(position)]).compare(chosen, Qt::CaseInsensitive) != 0)
            position = FindMacroByName(state.macros, chosen);
        if (position < 0)
            return false;
        ButtonRecord& button = state.Current().buttons[m_currentButton];
        button.macro_repeat_mode = dialog.RepeatMode();
        button.macro_loop_count = dialog.LoopCount();
        CopyMacroIntoButton(button, *state.macros[std::size_t(position)], position);
        return true;
    });
    if (!bound) {
        qCWarning(lcAssign) << "macro" << chosen << "was removed while it was being chosen";
        m_host.ShowMessageBox(QStringLiteral("warning_title_text"), QStringLiteral("macro_gone_text"));
    }
    return bound;
}

void ButtonAssignment::StoreFunction(std::uint8_t code)
{
    m_session.Locked([this, code](ProfileSession::State& state) {
        state.Current().buttons[m_currentButton].function = code;
    });
    m_host.PostApply();
    RefreshButtonText(m_currentButton);
}

QString ButtonAssignment::ButtonText(const ButtonRecord& button)
{
    if (button.function == ButtonFunction::kKeyCombination) {
        QStringList parts;
        for (const auto& modifier : kModifierTexts) {
            if (button.modifiers & modifier.bit)
                parts << Text(modifier.key);
        }
        // Modifiers alone show without a dangling "+".
        if (button.key_code != 0 || parts.isEmpty())
            parts << UsageName(button.key_code);
        return parts.join(QLatin1Char('+'));
    }
    if (button.function == ButtonFunction::kMacro)
        return Text("assign_macro_text") + ReadNameField(button.macro_name);
    const QString key = FunctionDisplayKey(button.function);
    return key.isEmpty() ? QString() : CResourceManager::Instance().GetText(key);
}

void ButtonAssignment::RefreshButtonText(int buttonIndex)
{
    if (buttonIndex < 0 || buttonIndex >= kAssignableButtonCount || !m_slots[buttonIndex])
        return;
    QWidget* slot = m_slots[buttonIndex];
    const auto [code, text] = m_session.Locked([buttonIndex](ProfileSession::State& state) {
        const ButtonRecord& button = state.Current().buttons[buttonIndex];
        return std::pair{button.function, ButtonText(button)};
    });
    const QString key = FunctionDisplayKey(code);
    if (code != ButtonFunction::kKeyCombination && code != ButtonFunction::kMacro && !key.isEmpty()) {
        // A language key, so that the slot follows a change of language.
        SetControlTextKey(slot, key);
    } else {
        slot->setProperty(kTextKeyProperty, QString());
        SetControlText(slot, text);
    }
    // A long macro name may not fit the slot; the whole text shows on hover and to screen readers.
    slot->setAccessibleDescription(text);
    slot->setToolTip(text);
}

void ButtonAssignment::RefreshAllButtonTexts()
{
    for (int i = 0; i < kAssignableButtonCount; ++i)
        RefreshButtonText(i);
}

void ButtonAssignment::RebindMacros()
{
    const RebindResult result = m_session.Locked([](ProfileSession::State& state) {
        return ::RebindMacros(state.profiles, state.macros, int(state.header->current_profile_index));
    });
    if (result.currentProfile) {
        RefreshAllButtonTexts();
        m_host.PostApply();
    } else if (result.anyProfile) {
        // Only profiles the mouse does not hold changed: nothing to send, but they must not be
        // lost when the program ends before the next send.
        m_host.SaveProfilesLater();
    }
}
