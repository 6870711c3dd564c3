// The twelve button slots of the real settings page: the function menu, the dialogs it opens and
// what reaches the emulated mouse.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTemporaryDir>
#include <QThread>

#include "app/macro/select_macro_wnd.h"
#include "app/macro/shortcut_wnd.h"
#include "app/settings/macro_rebinding.h"
#include "app/shell/main_wnd.h"
#include "core/profile/button_function_table.h"
#include "core/platform/dynamic_library.h"
#include "core/storage/profile_store.h"
#include "core/text/name_field.h"
#include "fakes/fake_device.h"
#include "page_window_fixture.h"
#include "app/sim_window_fixture.h"
#include "support/ui_test_support.h"
#include "ui/controls.h"
#include "ui/menu_wnd.h"
#include "ui/resource_manager.h"

namespace {

QString Text(const char* key)
{
    return CResourceManager::Instance().GetText(QLatin1String(key));
}

QString SlotName(int n)
{
    return QStringLiteral("ms_1_btn_key_%1").arg(n);
}

// Opens a slot's menu with a click and chooses an item, as the user does; the choice travels
// as the menu's click message through the main window to the page.
void ChooseOnSlot(CMainWnd& window, int n, const char* item)
{
    auto* slot = window.PaintManager().FindControl<QAbstractButton>(SlotName(n));
    ASSERT_TRUE(slot);
    slot->click();
    CMenuWnd* menu = window.Page().Buttons().Menu();
    ASSERT_TRUE(menu);
    ASSERT_TRUE(menu->Menu()->isVisible());
    ASSERT_TRUE(menu->Choose(QLatin1String(item))) << item;
    ProcessPending();
}

void AddMacro(ProfileSession& session, const QString& name, std::initializer_list<MacroActionSlot> actions)
{
    session.Locked([&](ProfileSession::State& state) {
        auto macro = CreateMacro(name);
        for (const MacroActionSlot& action : actions)
            macro->actions[macro->action_count++] = action;
        state.macros.push_back(std::move(macro));
    });
}

void TypeShortcut(WindowImplBase& dialog, std::initializer_list<int> boxes, int qtKey, const QString& text)
{
    for (int box : boxes)
        ClickControl(dialog, QStringLiteral("check_flag_%1").arg(box));
    auto* edit = dialog.PaintManager().FindControl<QLineEdit>(QStringLiteral("edit_key"));
    edit->window()->activateWindow();
    QApplication::processEvents();
    edit->setFocus();
    QApplication::processEvents();
    QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
    QApplication::sendEvent(edit, &press);
    QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier, text);
    QApplication::sendEvent(edit, &release);
    ProcessPending();
    ClickControl(dialog, QStringLiteral("btn_ok"));
}

class PageButtonsTest : public PageWindowTest {};

TEST_F(PageButtonsTest, TheLastLeftClickStaysAndTheMessageSaysWhy)
{
    ModalScript script;
    script.Click("btn_ok");
    ChooseOnSlot(*window, 1, "ms_1_menu");
    EXPECT_EQ(script.shown, (QStringList{"MsgWnd"}));
    EXPECT_EQ(script.texts, (QStringList{Text("one_click_text")}));
    EXPECT_EQ(Current().buttons[0].function, 1);
    EXPECT_EQ(ControlText(Control(SlotName(1))), Text("left_click_text"));
}

TEST_F(PageButtonsTest, AChosenFunctionShowsOnItsSlot)
{
    ChooseOnSlot(*window, 3, "ms_1_volume_up");
    EXPECT_EQ(Current().buttons[2].function, 69);
    EXPECT_EQ(ControlText(Control(SlotName(3))), Text("volume_up_text"));
    ChooseOnSlot(*window, 12, "ms_1_browser_search");
    EXPECT_EQ(Current().buttons[11].function, 86);
    EXPECT_EQ(ControlText(Control(SlotName(12))), Text("browser_search_text"));
}

TEST_F(PageButtonsTest, KeyCombinationFromTheSlotsMenu)
{
    ModalScript script;
    script.Then([](WindowImplBase& dialog) { TypeShortcut(dialog, {1, 2}, Qt::Key_A, QStringLiteral("a")); });
    ChooseOnSlot(*window, 8, "ms_1_shortcut");
    EXPECT_EQ(script.shown, (QStringList{"ShortcutWnd"}));
    const ButtonRecord button = Current().buttons[7];
    EXPECT_EQ(button.function, 16);
    EXPECT_EQ(button.modifiers, 3);
    EXPECT_EQ(button.key_code, 4);
    EXPECT_EQ(ControlText(Control(SlotName(8))),
              Text("keyboard_ctrl_text") + QStringLiteral("+") + Text("keyboard_shift_text") + QStringLiteral("+A"));
}

TEST_F(PageButtonsTest, HighlightShowsWhileThePointerIsOverTheSlot)
{
    QWidget* slot = Control(SlotName(7));
    QWidget* highlight = Control(QStringLiteral("ms_1_key_control_7"));
    ASSERT_TRUE(slot && highlight);
    EXPECT_TRUE(highlight->isHidden());
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(slot, &enter);
    EXPECT_FALSE(highlight->isHidden());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(slot, &leave);
    EXPECT_TRUE(highlight->isHidden());
}

TEST_F(PageButtonsTest, DeletedMacroOfAnotherProfileTurnsItsButtonBack)
{
    AddMacro(Session(), QStringLiteral("Burst"), {{0x04, 1, 20}, {0x04, 2, 20}});
    Session().Locked([](ProfileSession::State& state) {
        state.profiles.push_back(CreateProfile(QStringLiteral("Other")));
        ButtonRecord& button = state.profiles.back()->buttons[6];
        button.function = 17;
        CopyMacroIntoButton(button, *state.macros[0], 0);
    });
    // The macro editor deleted it.
    Session().Locked([](ProfileSession::State& state) { state.macros.clear(); });
    window->Page().OnMacroListChanged();
    const ButtonRecord button = Session().Locked([](ProfileSession::State& state) { return state.profiles.back()->buttons[6]; });
    EXPECT_EQ(button.function, 4);  // forward, the default of button record 6
    EXPECT_EQ(button.macro_index, -1);
    EXPECT_TRUE(ReadNameField(button.macro_name).isEmpty());
    // The profile the mouse does not hold reaches the store all the same.
    FinishStoreWrites();
    ProfileList stored;
    auto header = std::make_unique<StoreHeader>();
    LoadProfileStore(stored, *header, DataFolder());
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[1]->buttons[6].function, 4);
    EXPECT_EQ(stored[1]->buttons[6].macro_index, -1);
}

TEST_F(PageButtonsTest, SlotTextsFollowAProfileSwitch)
{
    ChooseOnSlot(*window, 2, "ms_1_copy");
    EXPECT_EQ(ControlText(Control(SlotName(2))), Text("copy_text"));
    Session().Locked([](ProfileSession::State& state) { state.profiles.push_back(CreateProfile(QStringLiteral("Other"))); });
    List()->addItem(QStringLiteral("Other"));
    SelectItem(List(), 1, true);
    ProcessPending();
    ASSERT_EQ(CurrentIndex(), 1);
    EXPECT_EQ(ControlText(Control(SlotName(2))), Text("right_click_text"));
}

// Over the emulated mouse on the cable.
class PageButtonsDeviceTest : public SimWindowTest {};

TEST_F(PageButtonsDeviceTest, MacroWithThreeLoopsOnButtonFivePlaysOnTheMouse)
{
    AddMacro(window.Page().Session(), QStringLiteral("Reload"), {{0x15, 1, 30}, {0x15, 2, 40}, {0x2C, 1, 50}});
    const int before = State()["reportsAccepted"].toInt();
    ModalScript script;
    script.Then([](WindowImplBase& dialog) {
        dialog.PaintManager().FindControl<QListWidget>(QStringLiteral("list_macro"))->setCurrentRow(0);
        SetControlText(dialog.PaintManager().FindControl(QStringLiteral("edit_loop_time")), QStringLiteral("3"));
        ClickControl(dialog, QStringLiteral("btn_ok"));
    });
    ChooseOnSlot(window, 5, "ms_1_select_macro");
    EXPECT_EQ(script.shown, (QStringList{"MS_1_SelectMacro"}));
    EXPECT_EQ(ControlText(window.PaintManager().FindControl(SlotName(5))), Text("assign_macro_text") + QStringLiteral("Reload"));
    // The button report and the macro's report.
    ASSERT_TRUE(WaitForReports(before + 2));
    const QJsonObject state = State();
    EXPECT_EQ(state["buttons"].toArray()[4].toArray(), (QJsonArray{18, 0, 1}));
    const QJsonObject macro = state["macros"].toObject()["1"].toObject();
    EXPECT_EQ(macro["repeatMode"].toInt(), 0);
    EXPECT_EQ(macro["loops"].toInt(), 3);
    EXPECT_EQ(macro["entryCount"].toInt(), 3);
    const QJsonArray entries = macro["entries"].toArray();
    ASSERT_EQ(entries.size(), 3);
    const int keys[3] = {0x15, 0x15, 0x2C};
    const bool releases[3] = {false, true, false};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(entries[i].toArray()[1].toInt(), keys[i]) << i;
        EXPECT_EQ((entries[i].toArray()[0].toInt() & 0x80) != 0, releases[i]) << i;
    }
}

TEST_F(PageButtonsDeviceTest, KeyCombinationReachesTheMouse)
{
    const int before = State()["reportsAccepted"].toInt();
    ModalScript script;
    script.Then([](WindowImplBase& dialog) { TypeShortcut(dialog, {1, 2}, Qt::Key_A, QStringLiteral("a")); });
    ChooseOnSlot(window, 6, "ms_1_shortcut");
    ASSERT_TRUE(WaitForReports(before + 1));
    EXPECT_EQ(State()["buttons"].toArray()[5].toArray(), (QJsonArray{17, 3, 4}));
}

TEST_F(PageButtonsDeviceTest, EveryFunctionOfTheMenuReachesTheMouse)
{
    // Button 12 keeps a left click, so that every other button may take anything.
    int reports = State()["reportsAccepted"].toInt();
    ChooseOnSlot(window, 12, "ms_1_click");
    ASSERT_TRUE(WaitForReports(++reports));
    ButtonRecord blank{};
    int slot = 0;
    for (int code = 0; code < 256; ++code) {
        const QString item = FunctionMenuItem(std::uint8_t(code));
        if (item.isEmpty() || code == 16 || code == 17)
            continue;
        slot = slot % 11 + 1;
        const QByteArray name = item.toLatin1();
        ChooseOnSlot(window, slot, name.constData());
        ASSERT_TRUE(WaitForReports(++reports)) << name.constData();
        const DeviceBytes bytes = FunctionDeviceBytes(std::uint8_t(code), blank, 0);
        EXPECT_EQ(State()["buttons"].toArray()[slot - 1].toArray(), (QJsonArray{bytes[0], bytes[1], bytes[2]}))
            << name.constData() << " on button " << slot;
    }
}

}  // namespace
