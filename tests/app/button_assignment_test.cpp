// Button assignment over a panel of the twelve slots: the menu, the left-click rule, the two
// dialogs, the slot texts and the macro copies, with the profile session the page uses.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "app/macro/select_macro_wnd.h"
#include "app/macro/shortcut_wnd.h"
#include "app/settings/button_assignment.h"
#include "app/shell/window_messages.h"
#include "core/profile/button_function_table.h"
#include "core/text/name_field.h"
#include "device/profile_session.h"
#include "support/ui_test_support.h"
#include "ui/controls.h"
#include "ui/menu_wnd.h"
#include "ui/resource_manager.h"
#include "ui/skin_loader.h"
#include "ui/work_area.h"

namespace {

QString Text(const char* key)
{
    return CResourceManager::Instance().GetText(QLatin1String(key));
}

// The window the menu and the dialogs belong to; a menu click reaches the test's handler.
class OwnerWindow final : public WindowImplBase {
public:
    QString WindowClassName() const override { return QStringLiteral("TestOwner"); }
    QString SkinFileName() const override { return QStringLiteral("msg.xml"); }
    std::function<void(const QString&)> onMenuItem;

protected:
    LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM, bool& handled) override
    {
        handled = message == Msg::UM_MENUCLICK;
        if (handled && wParam) {
            const std::unique_ptr<MenuCmd> cmd(reinterpret_cast<MenuCmd*>(wParam));
            if (onMenuItem)
                onMenuItem(cmd->szName);
        }
        return 0;
    }
};

class Host final : public ButtonAssignmentHost {
public:
    WindowImplBase* OwnerWindow() override { return owner; }
    QWidget* FindControl(const QString& name) const override { return panel->findChild<QWidget*>(name); }
    void PostApply() override { ++applies; }
    void SaveProfilesLater() override { ++saves; }
    int ShowMessageBox(const QString& titleKey, const QString& textKey) override
    {
        boxes << titleKey + QLatin1Char('/') + textKey;
        return 1;
    }
    const HookTable* Hooks() const override { return nullptr; }

    WindowImplBase* owner = nullptr;
    QWidget* panel = nullptr;
    int applies = 0;
    int saves = 0;
    QStringList boxes;
};

MacroRecord& AddMacro(ProfileSession& session, const QString& name, int actionCount)
{
    return *session.Locked([&](ProfileSession::State& state) {
        auto macro = CreateMacro(name);
        macro->action_count = actionCount;
        for (int i = 0; i < actionCount; ++i)
            macro->actions[i] = {std::uint8_t(4 + i), std::uint8_t(i % 2 ? 2 : 1), std::uint16_t(10 * (i + 1))};
        state.macros.push_back(std::move(macro));
        return state.macros.back().get();
    });
}

class ButtonAssignmentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetWorkAreaProvider([] { return QRect(0, 0, 800, 600); });
        ASSERT_TRUE(owner.Create(nullptr, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow));
        owner.onMenuItem = [this](const QString& name) { assignment.Assign(name); };
        panel = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::FramelessWindowHint);
        panel->setGeometry(100, 40, 300, 12 * 40);
        for (int i = 0; i < kAssignableButtonCount; ++i) {
            auto* slot = new QPushButton(panel.get());
            slot->setObjectName(QStringLiteral("ms_1_btn_key_%1").arg(i + 1));
            slot->setGeometry(20, 10 + i * 38, 160, 25);
            auto* highlight = new QLabel(panel.get());
            highlight->setObjectName(QStringLiteral("ms_1_key_control_%1").arg(i + 1));
            highlight->setGeometry(0, 10 + i * 38, 16, 25);
        }
        panel->show();
        host.owner = &owner;
        host.panel = panel.get();
        session.Load();
        assignment.FindControls();
        assignment.RefreshAllButtonTexts();
        ProcessPending();
    }
    void TearDown() override
    {
        owner.DestroyWindow();
        ProcessPending();
        SetWorkAreaProvider({});
    }

    QAbstractButton* Slot(int n) { return panel->findChild<QAbstractButton*>(QStringLiteral("ms_1_btn_key_%1").arg(n)); }
    QWidget* Highlight(int n) { return panel->findChild<QWidget*>(QStringLiteral("ms_1_key_control_%1").arg(n)); }

    ButtonRecord Button(int index)
    {
        return session.Locked([index](ProfileSession::State& state) { return state.Current().buttons[index]; });
    }

    // Opens slot n's menu and chooses the item as the user would; the choice comes back as the
    // menu's click message. A script acts on a dialog the choice opens.
    void Choose(int n, const QString& item, const ModalDriver& script = {})
    {
        ScopedModalDriver driver([&](WindowImplBase& window) {
            ++dialogs;
            if (script)
                script(window);
        });
        ASSERT_TRUE(assignment.OnClick(Slot(n)));
        ASSERT_TRUE(assignment.Menu());
        ASSERT_TRUE(assignment.Menu()->Choose(item)) << item.toStdString();
        ProcessPending();
    }

    QTemporaryDir data;
    ProfileSession session{data.path() + QLatin1Char('/')};
    OwnerWindow owner;
    std::unique_ptr<QWidget> panel;
    Host host;
    ButtonAssignment assignment{host, session};
    int dialogs = 0;
};

// Every item of the function table, as the table names them.
QSet<QString> TableMenuItems()
{
    QSet<QString> items;
    for (int code = 0; code < 256; ++code) {
        const QString item = FunctionMenuItem(std::uint8_t(code));
        if (!item.isEmpty())
            items << item;
    }
    return items;
}

void CollectItems(const QMenu* menu, QStringList& names, QStringList& untitled)
{
    for (QAction* action : menu->actions()) {
        if (action->menu()) {
            if (action->menu()->title().isEmpty() || action->menu()->title().endsWith(QLatin1String("_text")))
                untitled << action->menu()->objectName();
            CollectItems(action->menu(), names, untitled);
        } else if (!action->isSeparator()) {
            names << action->objectName();
            if (action->text().isEmpty() || action->text().endsWith(QLatin1String("_text")))
                untitled << action->objectName();
        }
    }
}

TEST_F(ButtonAssignmentTest, MenuOffersEveryFunctionOfTheTableOnce)
{
    ASSERT_TRUE(assignment.OnClick(Slot(1)));
    ASSERT_TRUE(assignment.Menu());
    QMenu* menu = assignment.Menu()->Menu();
    ASSERT_TRUE(menu);
    EXPECT_TRUE(menu->isVisible());
    QStringList names;
    QStringList untitled;
    CollectItems(menu, names, untitled);
    EXPECT_EQ(names.size(), 52);
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()), TableMenuItems());
    EXPECT_TRUE(untitled.isEmpty()) << untitled.join(QLatin1Char(' ')).toStdString();
    // The common mouse functions are at hand without opening a group.
    QStringList topLevel;
    for (QAction* action : menu->actions())
        topLevel << action->objectName();
    for (const char* item : {"ms_1_click", "ms_1_menu", "ms_1_scroll", "ms_1_forward", "ms_1_backward",
                             "ms_1_shortcut", "ms_1_select_macro", "ms_1_button_off"})
        EXPECT_TRUE(topLevel.contains(QLatin1String(item))) << item;
}

TEST_F(ButtonAssignmentTest, SlotsShowTheProfilesFunctions)
{
    EXPECT_EQ(Slot(1)->text(), Text("left_click_text"));
    EXPECT_EQ(Slot(2)->text(), Text("right_click_text"));
    EXPECT_EQ(Slot(4)->text(), Text("dpi_cycle_text"));
    EXPECT_EQ(Slot(10)->text(), Text("show_desktop_text"));
    EXPECT_EQ(Slot(11)->text(), Text("button_off_text"));
    // The slot keeps the key, so that a change of language reaches it.
    EXPECT_EQ(Slot(2)->property(kTextKeyProperty).toString(), QStringLiteral("right_click_text"));
}

TEST_F(ButtonAssignmentTest, TheLastLeftClickCannotBeTakenAway)
{
    Choose(1, QStringLiteral("ms_1_menu"));
    EXPECT_EQ(host.boxes, (QStringList{"warning_title_text/one_click_text"}));
    EXPECT_EQ(Button(0).function, ButtonFunction::kLeftClick);
    EXPECT_EQ(Slot(1)->text(), Text("left_click_text"));
    EXPECT_EQ(host.applies, 0);
    // Neither does a function with a dialog open one.
    Choose(1, QStringLiteral("ms_1_select_macro"));
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(Button(0).function, ButtonFunction::kLeftClick);
}

TEST_F(ButtonAssignmentTest, LeftClickMovesWhenAnotherButtonTakesItFirst)
{
    Choose(12, QStringLiteral("ms_1_click"));
    EXPECT_EQ(Button(11).function, ButtonFunction::kLeftClick);
    // The item's name may arrive in any letter case.
    ASSERT_TRUE(assignment.OnClick(Slot(1)));
    assignment.Assign(QStringLiteral("MS_1_COPY"));
    EXPECT_TRUE(host.boxes.isEmpty());
    EXPECT_EQ(Button(0).function, 33);
    EXPECT_EQ(Slot(1)->text(), Text("copy_text"));
    EXPECT_EQ(host.applies, 2);
    EXPECT_EQ(assignment.CurrentButton(), 0);
    // A name that is no item gives a left click.
    assignment.Assign(QStringLiteral("ms_1_btn_macro"));
    EXPECT_EQ(Button(0).function, ButtonFunction::kLeftClick);
}

TEST_F(ButtonAssignmentTest, EveryFunctionReachesEveryButton)
{
    Choose(12, QStringLiteral("ms_1_click"));  // keeps a left click whatever button 1 gets
    for (const QString& item : TableMenuItems()) {
        const std::uint8_t code = FunctionFromMenuItem(item);
        if (code == ButtonFunction::kKeyCombination || code == ButtonFunction::kMacro)
            continue;
        for (int n = 1; n <= 11; ++n) {
            Choose(n, item);
            EXPECT_EQ(Button(n - 1).function, code) << item.toStdString() << " on " << n;
            EXPECT_EQ(Slot(n)->text(), CResourceManager::Instance().GetText(FunctionDisplayKey(code)))
                << item.toStdString();
        }
    }
    EXPECT_TRUE(host.boxes.isEmpty());
}

TEST_F(ButtonAssignmentTest, CtrlShiftAShowsItsPartsAndSendsTheCombination)
{
    Choose(6, QStringLiteral("ms_1_shortcut"), [](WindowImplBase& window) {
        auto& dialog = dynamic_cast<CShortcutWnd&>(window);
        EXPECT_TRUE(dialog.CapturesLocally());
        ClickControl(dialog, QStringLiteral("check_flag_1"));
        ClickControl(dialog, QStringLiteral("check_flag_2"));
        auto* edit = dialog.PaintManager().FindControl<QLineEdit>(QStringLiteral("edit_key"));
        edit->window()->activateWindow();
        QApplication::processEvents();
        edit->setFocus();
        QApplication::processEvents();
        ASSERT_TRUE(edit->hasFocus());
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(edit, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(edit, &release);
        ProcessPending();
        ClickControl(dialog, QStringLiteral("btn_ok"));
    });
    EXPECT_EQ(dialogs, 1);
    const ButtonRecord button = Button(5);
    EXPECT_EQ(button.function, ButtonFunction::kKeyCombination);
    EXPECT_EQ(button.modifiers, 3);
    EXPECT_EQ(button.key_code, 4);
    EXPECT_EQ(FunctionDeviceBytes(button.function, button, 0), (DeviceBytes{17, 3, 4}));
    EXPECT_EQ(Slot(6)->text(), Text("keyboard_ctrl_text") + QLatin1Char('+') + Text("keyboard_shift_text")
                                   + QLatin1Char('+') + QLatin1Char('A'));
    EXPECT_EQ(host.applies, 1);

    // Opening it again starts from the combination the button has.
    Choose(6, QStringLiteral("ms_1_shortcut"), [](WindowImplBase& window) {
        auto& dialog = dynamic_cast<CShortcutWnd&>(window);
        EXPECT_TRUE(dialog.PaintManager().FindControl<QAbstractButton>(QStringLiteral("check_flag_1"))->isChecked());
        EXPECT_TRUE(dialog.PaintManager().FindControl<QAbstractButton>(QStringLiteral("check_flag_2"))->isChecked());
        EXPECT_EQ(ControlText(dialog.PaintManager().FindControl(QStringLiteral("edit_key"))), QStringLiteral("A"));
        ClickControl(dialog, QStringLiteral("btn_cancel"));
    });
    EXPECT_EQ(host.applies, 1);
}

TEST_F(ButtonAssignmentTest, ModifiersAloneAreACombination)
{
    Choose(7, QStringLiteral("ms_1_shortcut"), [](WindowImplBase& window) {
        ClickControl(window, QStringLiteral("check_flag_1"));
        ClickControl(window, QStringLiteral("btn_ok"));
    });
    const ButtonRecord button = Button(6);
    EXPECT_EQ(button.function, ButtonFunction::kKeyCombination);
    EXPECT_EQ(FunctionDeviceBytes(button.function, button, 0), (DeviceBytes{17, 1, 0}));
    EXPECT_EQ(Slot(7)->text(), Text("keyboard_ctrl_text"));
}

TEST_F(ButtonAssignmentTest, AShortcutWithNothingChosenOrCancelledChangesNothing)
{
    Choose(7, QStringLiteral("ms_1_shortcut"), [](WindowImplBase& window) { ClickControl(window, QStringLiteral("btn_ok")); });
    Choose(7, QStringLiteral("ms_1_shortcut"), [](WindowImplBase& window) {
        ClickControl(window, QStringLiteral("check_flag_3"));
        ClickControl(window, QStringLiteral("btn_cancel"));
    });
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(Button(6).function, 4);
    EXPECT_EQ(Button(6).modifiers, 0);
    EXPECT_EQ(Slot(7)->text(), Text("forward_text"));
    EXPECT_EQ(host.applies, 0);
}

TEST_F(ButtonAssignmentTest, MacroIsCopiedIntoTheButton)
{
    AddMacro(session, QStringLiteral("Reload"), 2);
    const MacroRecord& combo = AddMacro(session, QStringLiteral("Combo"), 5);
    Choose(5, QStringLiteral("ms_1_select_macro"), [](WindowImplBase& window) {
        auto& dialog = dynamic_cast<CMS_1_SelectMacro&>(window);
        EXPECT_EQ(dialog.SelectedIndex(), -1);
        dialog.PaintManager().FindControl<QListWidget>(QStringLiteral("list_macro"))->setCurrentRow(1);
        auto* loops = dialog.PaintManager().FindControl<QLineEdit>(QStringLiteral("edit_loop_time"));
        loops->setText(QStringLiteral("3"));
        ClickControl(dialog, QStringLiteral("btn_ok"));
    });
    const ButtonRecord button = Button(4);
    EXPECT_EQ(button.function, ButtonFunction::kMacro);
    EXPECT_EQ(button.macro_index, 1);
    EXPECT_EQ(button.macro_repeat_mode, 0);
    EXPECT_EQ(button.macro_loop_count, 3);
    EXPECT_EQ(button.macro_action_count, 5);
    EXPECT_EQ(ReadNameField(button.macro_name), QStringLiteral("Combo"));
    EXPECT_EQ(std::memcmp(button.macro_actions, combo.actions, sizeof button.macro_actions), 0);
    EXPECT_EQ(Slot(5)->text(), Text("assign_macro_text") + QStringLiteral("Combo"));
    EXPECT_EQ(host.applies, 1);

    // Opening again shows the button's macro and way of playing it.
    Choose(5, QStringLiteral("ms_1_select_macro"), [](WindowImplBase& window) {
        auto& dialog = dynamic_cast<CMS_1_SelectMacro&>(window);
        EXPECT_EQ(dialog.PaintManager().FindControl<QListWidget>(QStringLiteral("list_macro"))->currentRow(), 1);
        EXPECT_EQ(ControlText(dialog.PaintManager().FindControl(QStringLiteral("edit_loop_time"))), QStringLiteral("3"));
        dialog.PaintManager().FindControl<QAbstractButton>(QStringLiteral("repeat_2"))->click();
        ClickControl(dialog, QStringLiteral("btn_ok"));
    });
    EXPECT_EQ(Button(4).macro_repeat_mode, 1);
    EXPECT_EQ(Button(4).macro_loop_count, 3);
}

TEST_F(ButtonAssignmentTest, MacroDialogWithoutAChoiceChangesNothing)
{
    Choose(5, QStringLiteral("ms_1_select_macro"), [](WindowImplBase& window) { ClickControl(window, QStringLiteral("btn_ok")); });
    AddMacro(session, QStringLiteral("Reload"), 2);
    Choose(5, QStringLiteral("ms_1_select_macro"), [](WindowImplBase& window) { ClickControl(window, QStringLiteral("btn_ok")); });
    Choose(5, QStringLiteral("ms_1_select_macro"), [](WindowImplBase& window) {
        window.PaintManager().FindControl<QListWidget>(QStringLiteral("list_macro"))->setCurrentRow(0);
        ClickControl(window, QStringLiteral("btn_cancel"));
    });
    EXPECT_EQ(dialogs, 3);
    EXPECT_EQ(Button(4).function, 7);
    EXPECT_EQ(host.applies, 0);
    EXPECT_TRUE(host.boxes.isEmpty());
}

TEST_F(ButtonAssignmentTest, MacroRemovedWhileTheDialogWasOpenLeavesTheButtonAndSaysSo)
{
    AddMacro(session, QStringLiteral("Reload"), 2);
    Choose(5, QStringLiteral("ms_1_select_macro"), [this](WindowImplBase& window) {
        window.PaintManager().FindControl<QListWidget>(QStringLiteral("list_macro"))->setCurrentRow(0);
        session.Locked([](ProfileSession::State& state) { state.macros.clear(); });
        ClickControl(window, QStringLiteral("btn_ok"));
    });
    EXPECT_EQ(Button(4).function, 7);
    EXPECT_EQ(host.boxes, (QStringList{"warning_title_text/macro_gone_text"}));
    EXPECT_EQ(host.applies, 0);
    EXPECT_TRUE(CResourceManager::Instance().HasText(QStringLiteral("macro_gone_text")));
}

TEST_F(ButtonAssignmentTest, MacroThatMovedWhileTheDialogWasOpenIsFoundByName)
{
    AddMacro(session, QStringLiteral("Reload"), 2);
    Choose(5, QStringLiteral("ms_1_select_macro"), [this](WindowImplBase& window) {
        window.PaintManager().FindControl<QListWidget>(QStringLiteral("list_macro"))->setCurrentRow(0);
        session.Locked([](ProfileSession::State& state) { state.macros.insert(state.macros.begin(), CreateMacro(QStringLiteral("New"))); });
        ClickControl(window, QStringLiteral("btn_ok"));
    });
    EXPECT_EQ(Button(4).function, ButtonFunction::kMacro);
    EXPECT_EQ(Button(4).macro_index, 1);
    EXPECT_EQ(ReadNameField(Button(4).macro_name), QStringLiteral("Reload"));
    EXPECT_EQ(Button(4).macro_action_count, 2);
}

TEST_F(ButtonAssignmentTest, HighlightFollowsThePointer)
{
    EXPECT_TRUE(Highlight(3)->isHidden());
    EXPECT_TRUE(assignment.OnMouseEnter(Slot(3)));
    EXPECT_FALSE(Highlight(3)->isHidden());
    EXPECT_TRUE(Highlight(4)->isHidden());
    EXPECT_TRUE(assignment.OnMouseLeave(Slot(3)));
    EXPECT_TRUE(Highlight(3)->isHidden());
    EXPECT_FALSE(assignment.OnMouseEnter(panel.get()));
}

TEST(ButtonMenuPosition, BesideTheButtonOrUpwardNearTheBottom)
{
    const QRect workArea(0, 0, 1920, 1040);
    // Beside the right edge, level with the top.
    EXPECT_EQ(ButtonAssignment::MenuPosition(QRect(500, 300, 100, 25), 400, workArea), QPoint(600, 300));
    // Reaching the bottom: the menu ends where the button ends.
    EXPECT_EQ(ButtonAssignment::MenuPosition(QRect(500, 900, 100, 25), 400, workArea), QPoint(600, 525));
    // Exactly at the bottom counts as reaching it.
    EXPECT_EQ(ButtonAssignment::MenuPosition(QRect(500, 640, 100, 25), 400, workArea), QPoint(600, 265));
    EXPECT_EQ(ButtonAssignment::MenuPosition(QRect(500, 639, 100, 25), 400, workArea), QPoint(600, 639));
    // A menu taller than the room above never starts above the work area.
    EXPECT_EQ(ButtonAssignment::MenuPosition(QRect(500, 900, 100, 25), 1200, workArea), QPoint(600, 0));
    // The work area of a second screen counts from its own top.
    EXPECT_EQ(ButtonAssignment::MenuPosition(QRect(2500, 1900, 100, 25), 400, QRect(1920, 1080, 1920, 1040)),
              QPoint(2600, 1525));
}

TEST_F(ButtonAssignmentTest, MenuOpensUpwardFromASlotNearTheBottom)
{
    panel->move(100, 600 - panel->height() - 4);
    ProcessPending();
    ASSERT_TRUE(assignment.OnClick(Slot(12)));
    QMenu* menu = assignment.Menu()->Menu();
    const QRect slot(Slot(12)->mapToGlobal(QPoint(0, 0)), Slot(12)->size());
    EXPECT_EQ(menu->pos().x(), slot.left() + slot.width());
    EXPECT_LT(menu->pos().y(), slot.top());
    EXPECT_EQ(menu->pos().y() + menu->sizeHint().height(), slot.top() + slot.height());

    // From the top slot it opens downward, level with the slot.
    panel->move(100, 20);
    ProcessPending();
    ASSERT_TRUE(assignment.OnClick(Slot(1)));
    menu = assignment.Menu()->Menu();
    EXPECT_EQ(menu->pos(), Slot(1)->mapToGlobal(QPoint(Slot(1)->width(), 0)));
}

// Macro re-binding after the macro list changed.
class MacroRebindingTest : public ButtonAssignmentTest {
protected:
    // Binds a macro to a button of profile p directly, as an earlier assignment left it.
    void Bind(int p, int buttonIndex, const QString& macroName)
    {
        session.Locked([&](ProfileSession::State& state) {
            ButtonRecord& button = state.profiles.at(std::size_t(p))->buttons[buttonIndex];
            const int position = FindMacroByName(state.macros, macroName);
            ASSERT_GE(position, 0);
            button.function = ButtonFunction::kMacro;
            button.macro_loop_count = 4;
            CopyMacroIntoButton(button, *state.macros[std::size_t(position)], position);
        });
    }
    void AddProfile(const QString& name)
    {
        session.Locked([&](ProfileSession::State& state) { state.profiles.push_back(CreateProfile(name)); });
    }
    ButtonRecord ProfileButton(int p, int index)
    {
        return session.Locked([&](ProfileSession::State& state) { return state.profiles.at(std::size_t(p))->buttons[index]; });
    }
    void RemoveMacro(const QString& name)
    {
        session.Locked([&](ProfileSession::State& state) {
            state.macros.erase(state.macros.begin() + FindMacroByName(state.macros, name));
        });
    }
};

TEST_F(MacroRebindingTest, DeletedMacroOfAnotherProfileGivesTheButtonItsDefaultBack)
{
    AddMacro(session, QStringLiteral("Reload"), 2);
    AddMacro(session, QStringLiteral("Combo"), 3);
    AddProfile(QStringLiteral("Second"));
    Bind(1, 2, QStringLiteral("Combo"));
    RemoveMacro(QStringLiteral("Combo"));
    assignment.RebindMacros();
    const ButtonRecord button = ProfileButton(1, 2);
    EXPECT_EQ(button.function, 3);  // wheel click, the default of button record 2
    EXPECT_EQ(button.macro_index, -1);
    EXPECT_TRUE(ReadNameField(button.macro_name).isEmpty());
    EXPECT_EQ(button.macro_action_count, 0);
    // The current profile had no macro button: nothing to send, but the change is kept.
    EXPECT_EQ(host.applies, 0);
    EXPECT_EQ(host.saves, 1);
}

TEST_F(MacroRebindingTest, NoMacroButtonsNothingToSendOrWrite)
{
    AddMacro(session, QStringLiteral("Reload"), 2);
    AddProfile(QStringLiteral("Second"));
    assignment.RebindMacros();
    EXPECT_EQ(host.applies, 0);
    EXPECT_EQ(host.saves, 0);
}

TEST_F(MacroRebindingTest, MovedAndChangedMacrosFollowInEveryProfile)
{
    AddMacro(session, QStringLiteral("Reload"), 2);
    AddMacro(session, QStringLiteral("Combo"), 3);
    AddProfile(QStringLiteral("Second"));
    Bind(0, 4, QStringLiteral("Combo"));
    Bind(1, 7, QStringLiteral("Combo"));
    assignment.RefreshAllButtonTexts();
    // The editor deleted "Reload", and "Combo" gained a step.
    RemoveMacro(QStringLiteral("Reload"));
    session.Locked([](ProfileSession::State& state) {
        MacroRecord& combo = *state.macros[0];
        combo.actions[3] = {0x29, 1, 500};
        combo.action_count = 4;
    });
    assignment.RebindMacros();
    for (const ButtonRecord& button : {ProfileButton(0, 4), ProfileButton(1, 7)}) {
        EXPECT_EQ(button.function, ButtonFunction::kMacro);
        EXPECT_EQ(button.macro_index, 0);
        EXPECT_EQ(button.macro_action_count, 4);
        EXPECT_EQ(button.macro_actions[3].key_code, 0x29);
        EXPECT_EQ(button.macro_loop_count, 4);
    }
    EXPECT_EQ(host.applies, 1);
    EXPECT_EQ(host.saves, 0);  // the send writes the store
    EXPECT_EQ(Slot(5)->text(), Text("assign_macro_text") + QStringLiteral("Combo"));
}

TEST_F(MacroRebindingTest, RenamedMacroNoLongerMatchesAndTheButtonFallsBack)
{
    AddMacro(session, QStringLiteral("Reload"), 2);
    Bind(0, 4, QStringLiteral("Reload"));
    assignment.RefreshAllButtonTexts();
    session.Locked([](ProfileSession::State& state) { SetMacroName(*state.macros[0], QStringLiteral("Reload fast")); });
    assignment.RebindMacros();
    EXPECT_EQ(Button(4).function, 7);  // DPI up, the default of button record 4
    EXPECT_EQ(Slot(5)->text(), Text("dpi_up_text"));
    EXPECT_EQ(host.applies, 1);
}

TEST_F(MacroRebindingTest, NamesMatchWithoutRegardToCase)
{
    AddMacro(session, QStringLiteral("Reload"), 2);
    Bind(0, 4, QStringLiteral("Reload"));
    session.Locked([](ProfileSession::State& state) { SetMacroName(*state.macros[0], QStringLiteral("RELOAD")); });
    assignment.RebindMacros();
    EXPECT_EQ(Button(4).function, ButtonFunction::kMacro);
    EXPECT_EQ(ReadNameField(Button(4).macro_name), QStringLiteral("RELOAD"));
}

TEST_F(MacroRebindingTest, AButtonGivenAnotherFunctionKeepsItWhenItsOldMacroGoes)
{
    AddMacro(session, QStringLiteral("Reload"), 2);
    Bind(0, 4, QStringLiteral("Reload"));
    Choose(5, QStringLiteral("ms_1_copy"));
    RemoveMacro(QStringLiteral("Reload"));
    assignment.RebindMacros();
    EXPECT_EQ(Button(4).function, 33);
    EXPECT_TRUE(ReadNameField(Button(4).macro_name).isEmpty());
    EXPECT_EQ(Button(4).macro_index, -1);
    EXPECT_EQ(Slot(5)->text(), Text("copy_text"));
}

}  // namespace
