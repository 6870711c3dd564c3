// Button assignment over a panel of the twelve slots: the menu, the left-click rule, the two
// dialogs, the slot texts and the macro copies, with the profile session the page uses.
#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSet>

#include "app/macro/select_macro_wnd.h"
#include "app/macro/shortcut_wnd.h"
#include "app/settings/button_assignment.h"
#include "app/settings/macro_rebinding.h"
#include "app/shell/window_messages.h"
#include "core/profile/button_function_table.h"
#include "core/text/name_field.h"
#include "page_window_fixture.h"
#include "ui/elided_button_text.h"
#include "ui/menu_wnd.h"
#include "ui/work_area.h"

namespace {

// The window the menu and the dialogs belong to; a menu click reaches the assignment.
class OwnerWindow final : public WindowImplBase {
public:
    QString WindowClassName() const override { return QStringLiteral("TestOwner"); }
    QString SkinFileName() const override { return QStringLiteral("msg.xml"); }
    std::function<void(const QString&)> onMenuItem;

protected:
    LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM, bool& handled) override
    {
        if ((handled = message == Msg::UM_MENUCLICK) && wParam)
            onMenuItem(std::unique_ptr<MenuCmd>(reinterpret_cast<MenuCmd*>(wParam))->szName);
        return 0;
    }
};

class Host final : public ButtonAssignmentHost {
public:
    WindowImplBase* OwnerWindow() override { return owner; }
    QWidget* FindControl(const QString& name) const override { return panel->findChild<QWidget*>(name); }
    void PostApply() override { ++applies; }
    void SaveProfilesLater() override { ++saves; }
    int ShowMessageBox(const QString& titleKey, const QString& textKey) override { boxes << titleKey + '/' + textKey; return 1; }
    const HookTable* Hooks() const override { return nullptr; }

    WindowImplBase* owner = nullptr;
    QWidget* panel = nullptr;
    int applies = 0, saves = 0;
    QStringList boxes;
};

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
            (new QLabel(panel.get()))->setObjectName(QStringLiteral("ms_1_key_control_%1").arg(i + 1));
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
    ButtonRecord Button(int index, int profile = -1)
    {
        return session.Locked([=](ProfileSession::State& s) {
            return (profile < 0 ? s.Current() : *s.profiles.at(std::size_t(profile))).buttons[index];
        });
    }
    // Opens slot n's menu and chooses the item as the user would; the choice comes back as the
    // menu's click message. The script acts on a dialog the choice opens.
    void Choose(int n, const QString& item, const ModalDriver& script = {})
    {
        ScopedModalDriver driver([&](WindowImplBase& window) {
            ++dialogs;
            if (script)
                script(window);
        });
        ASSERT_TRUE(assignment.OnClick(Slot(n)));
        ASSERT_TRUE(assignment.Menu() && assignment.Menu()->Choose(item)) << item.toStdString();
        ProcessPending();
    }
    void AddMacro(const QString& name, int actionCount)
    {
        session.Locked([&](ProfileSession::State& state) {
            auto macro = CreateMacro(name);
            macro->action_count = actionCount;
            for (int i = 0; i < actionCount; ++i)
                macro->actions[i] = {std::uint8_t(4 + i), std::uint8_t(i % 2 ? 2 : 1), std::uint16_t(10 * (i + 1))};
            state.macros.push_back(std::move(macro));
        });
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
    for (int code = 0; code < 256; ++code)
        if (const QString item = FunctionMenuItem(std::uint8_t(code)); !item.isEmpty())
            items << item;
    return items;
}

void CollectItems(const QMenu* menu, QStringList& names, QStringList& untitled)
{
    for (QAction* action : menu->actions()) {
        const QString title = action->menu() ? action->menu()->title() : action->text();
        if (!action->isSeparator() && (title.isEmpty() || title.endsWith(QLatin1String("_text"))))
            untitled << action->objectName();
        if (action->menu())
            CollectItems(action->menu(), names, untitled);
        else if (!action->isSeparator())
            names << action->objectName();
    }
}

TEST_F(ButtonAssignmentTest, MenuOffersEveryFunctionOfTheTableOnceWithTheCommonOnesAtHand)
{
    ASSERT_TRUE(assignment.OnClick(Slot(1)));
    QMenu* menu = assignment.Menu()->Menu();
    EXPECT_TRUE(menu->isVisible());
    QStringList names, untitled;
    CollectItems(menu, names, untitled);
    EXPECT_EQ(names.size(), 52);
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()), TableMenuItems());
    EXPECT_EQ(untitled, QStringList{});
    QStringList topLevel;
    for (QAction* action : menu->actions())
        topLevel << action->objectName();
    for (const char* item : {"ms_1_click", "ms_1_menu", "ms_1_scroll", "ms_1_forward", "ms_1_backward", "ms_1_shortcut", "ms_1_select_macro",
                             "ms_1_button_off"})
        EXPECT_TRUE(topLevel.contains(QLatin1String(item))) << item;
}

TEST_F(ButtonAssignmentTest, TheLastLeftClickCannotBeTakenAwayButMoves)
{
    Choose(1, QStringLiteral("ms_1_menu"));
    Choose(1, QStringLiteral("ms_1_select_macro"));  // nor does a function with a dialog open one
    EXPECT_EQ(host.boxes, (QStringList{"warning_title_text/one_click_text", "warning_title_text/one_click_text"}));
    EXPECT_EQ(std::tuple(Button(0).function, Slot(1)->text(), host.applies, dialogs),
              std::tuple(ButtonFunction::kLeftClick, LangText("left_click_text"), 0, 0));

    Choose(12, QStringLiteral("ms_1_click"));
    ASSERT_TRUE(assignment.OnClick(Slot(1)));
    assignment.Assign(QStringLiteral("MS_1_COPY"));  // the item's name may arrive in any letter case
    EXPECT_EQ(host.boxes.size(), 2);
    EXPECT_EQ(std::tuple(Button(11).function, Button(0).function, Slot(1)->text(), host.applies, assignment.CurrentButton()),
              std::tuple(ButtonFunction::kLeftClick, 33, LangText("copy_text"), 2, 0));
    assignment.Assign(QStringLiteral("ms_1_btn_macro"));  // a name that is no item gives a left click
    EXPECT_EQ(Button(0).function, ButtonFunction::kLeftClick);
}

// A combination is its boxes and key; with nothing chosen, or cancelled, the button keeps its
// function (button 7: forward). The dialog reopens with what the button has.
TEST_F(ButtonAssignmentTest, KeyCombinationsKeepTheirPartsAndReopenWithThem)
{
    const QString ctrl = LangText("keyboard_ctrl_text"), shift = LangText("keyboard_shift_text");
    const struct {
        int slot;
        std::vector<int> boxes;
        bool typeA, ok;
        DeviceBytes bytes;
        QString text;
    } kCombinations[] = {{7, {}, false, true, {6, 0, 0}, LangText("forward_text")},
                         {7, {3}, true, false, {6, 0, 0}, LangText("forward_text")},
                         {8, {1}, false, true, {17, 1, 0}, ctrl},
                         {7, {1, 2}, true, true, {17, 3, 4}, ctrl + QLatin1Char('+') + shift + QStringLiteral("+A")}};
    int applies = 0;
    for (const auto& row : kCombinations) {
        SCOPED_TRACE(row.text.toStdString());
        Choose(row.slot, QStringLiteral("ms_1_shortcut"), [&](WindowImplBase& dialog) {
            EXPECT_TRUE(dynamic_cast<CShortcutWnd&>(dialog).CapturesLocally());
            for (int box : row.boxes)
                ClickControl(dialog, QStringLiteral("check_flag_%1").arg(box));
            if (row.typeA)
                TypeKey(dialog.PaintManager().FindControl(QStringLiteral("edit_key")), Qt::Key_A, QStringLiteral("a"));
            ClickControl(dialog, row.ok ? QStringLiteral("btn_ok") : QStringLiteral("btn_cancel"));
        });
        const ButtonRecord button = Button(row.slot - 1);
        applies += row.bytes[0] == 17;
        EXPECT_EQ(std::tuple(FunctionDeviceBytes(button.function, button, 0), Slot(row.slot)->text(), host.applies),
                  std::tuple(row.bytes, row.text, applies));
    }
    Choose(7, QStringLiteral("ms_1_shortcut"), [](WindowImplBase& dialog) {
        const auto checked = [&](int n) {
            return dialog.PaintManager().FindControl<QAbstractButton>(QStringLiteral("check_flag_%1").arg(n))->isChecked();
        };
        EXPECT_EQ(std::tuple(checked(1), checked(2), checked(3), ControlText(dialog.PaintManager().FindControl(QStringLiteral("edit_key")))),
                  std::tuple(true, true, false, QStringLiteral("A")));
    });
    EXPECT_EQ(std::tuple(dialogs, host.applies), std::tuple(5, 2));
}

TEST_F(ButtonAssignmentTest, MacroIsCopiedIntoTheButtonAndReopensWithIt)
{
    AddMacro(QStringLiteral("Reload"), 2);
    const QString name = QStringLiteral("Combo for a long night");  // wider than the slot
    AddMacro(name, 5);
    Choose(5, QStringLiteral("ms_1_select_macro"), [](WindowImplBase& dialog) {
        EXPECT_EQ(dynamic_cast<CMS_1_SelectMacro&>(dialog).SelectedIndex(), -1);
        dialog.PaintManager().FindControl<QListWidget>(QStringLiteral("list_macro"))->setCurrentRow(1);
        SetControlText(dialog.PaintManager().FindControl(QStringLiteral("edit_loop_time")), QStringLiteral("3"));
        ClickControl(dialog, QStringLiteral("btn_ok"));
    });
    const ButtonRecord button = Button(4);
    EXPECT_EQ(std::tuple(button.function, int(button.macro_index), int(button.macro_repeat_mode), int(button.macro_loop_count),
                         int(button.macro_action_count), ReadNameField(button.macro_name)),
              std::tuple(ButtonFunction::kMacro, 1, 0, 3, 5, name));
    session.Locked([&](ProfileSession::State& s) {
        EXPECT_EQ(std::memcmp(button.macro_actions, s.macros[1]->actions, sizeof button.macro_actions), 0);
    });
    // The slot shows the text's start and "…"; the whole text is there on hover and for screen readers.
    const QString whole = LangText("assign_macro_text") + name, shown = ShownButtonText(Slot(5));
    EXPECT_EQ(std::tuple(Slot(5)->text(), Slot(5)->toolTip(), Slot(5)->accessibleDescription(), host.applies), std::tuple(whole, whole, whole, 1));
    EXPECT_TRUE(shown.endsWith(u'…') && whole.startsWith(shown.chopped(1)) && shown.size() > 4) << shown.toStdString();

    Choose(5, QStringLiteral("ms_1_select_macro"), [](WindowImplBase& dialog) {
        EXPECT_EQ(std::tuple(dialog.PaintManager().FindControl<QListWidget>(QStringLiteral("list_macro"))->currentRow(),
                             ControlText(dialog.PaintManager().FindControl(QStringLiteral("edit_loop_time")))),
                  std::tuple(1, QStringLiteral("3")));
        dialog.PaintManager().FindControl<QAbstractButton>(QStringLiteral("repeat_2"))->click();
        ClickControl(dialog, QStringLiteral("btn_ok"));
    });
    EXPECT_EQ(std::tuple(int(Button(4).macro_repeat_mode), int(Button(4).macro_loop_count)), std::tuple(1, 3));
}

TEST(ButtonMenuPosition, BesideTheButtonOrUpwardNearTheBottom)
{
    const QRect area(0, 0, 1920, 1040);
    const struct { QRect button; int menuHeight; QRect workArea; QPoint at; } kPositions[] = {
        {{500, 300, 100, 25}, 400, area, {600, 300}},  // beside the right edge, level with the top
        {{500, 900, 100, 25}, 400, area, {600, 525}},  // reaching the bottom: ends where the button ends
        {{500, 640, 100, 25}, 400, area, {600, 265}},  // exactly at the bottom counts as reaching it
        {{500, 639, 100, 25}, 400, area, {600, 639}}, {{500, 900, 100, 25}, 1200, area, {600, 0}},  // never above the area
        {{2500, 1900, 100, 25}, 400, QRect(1920, 1080, 1920, 1040), {2600, 1525}}};  // a second screen
    for (const auto& row : kPositions)
        EXPECT_EQ(ButtonAssignment::MenuPosition(row.button, row.menuHeight, row.workArea), row.at) << row.button.y();
}

// After the macro list changed, every button bound to a macro follows it by name, in any letter
// case, in every profile; one whose macro is gone gets its default back. Only a change to the
// current profile is sent (the send writes the store); one to another profile is saved.
TEST_F(ButtonAssignmentTest, MacroButtonsFollowTheMacroListInEveryProfile)
{
    const auto bind = [this](int p, int index, int macro) {
        session.Locked([&](ProfileSession::State& s) {
            ButtonRecord& button = s.profiles.at(std::size_t(p))->buttons[index];
            button.function = ButtonFunction::kMacro;
            button.macro_loop_count = 4;
            CopyMacroIntoButton(button, *s.macros[std::size_t(macro)], macro);
        });
    };
    AddMacro(QStringLiteral("Reload"), 2);
    AddMacro(QStringLiteral("Combo"), 3);
    session.Locked([](ProfileSession::State& s) { s.profiles.push_back(CreateProfile(QStringLiteral("Second"))); });
    assignment.RebindMacros();  // no macro buttons: nothing to send or write
    EXPECT_EQ(std::tuple(host.applies, host.saves), std::tuple(0, 0));

    bind(1, 2, 1);
    session.Locked([](ProfileSession::State& s) { s.macros.erase(s.macros.begin() + 1); });
    assignment.RebindMacros();
    const ButtonRecord wheel = Button(2, 1);
    EXPECT_EQ(std::tuple(wheel.function, int(wheel.macro_index), ReadNameField(wheel.macro_name), int(wheel.macro_action_count)),
              std::tuple(3, -1, QString(), 0));  // wheel click, the default of button record 2
    EXPECT_EQ(std::tuple(host.applies, host.saves), std::tuple(0, 1));

    AddMacro(QStringLiteral("Combo"), 3);
    bind(0, 4, 1);
    bind(1, 7, 1);
    bind(0, 5, 0);
    assignment.RefreshAllButtonTexts();
    // The editor deleted "Reload", "Combo" gained a step and a new letter case; a button given
    // another function since keeps it.
    Choose(6, QStringLiteral("ms_1_copy"));
    session.Locked([](ProfileSession::State& s) {
        s.macros.erase(s.macros.begin());
        s.macros[0]->actions[3] = {0x29, 1, 500};
        s.macros[0]->action_count = 4;
        SetMacroName(*s.macros[0], QStringLiteral("COMBO"));
    });
    assignment.RebindMacros();
    for (const ButtonRecord& button : {Button(4, 0), Button(7, 1)})
        EXPECT_EQ(std::tuple(button.function, int(button.macro_index), int(button.macro_action_count), int(button.macro_actions[3].key_code),
                             int(button.macro_loop_count), ReadNameField(button.macro_name)),
                  std::tuple(ButtonFunction::kMacro, 0, 4, 0x29, 4, QStringLiteral("COMBO")));
    EXPECT_EQ(std::tuple(Button(5).function, int(Button(5).macro_index), ReadNameField(Button(5).macro_name), Slot(6)->text()),
              std::tuple(33, -1, QString(), LangText("copy_text")));
    EXPECT_EQ(std::tuple(host.applies, host.saves, ShownButtonText(Slot(5))), std::tuple(2, 1, LangText("assign_macro_text") + QStringLiteral("COMBO")));

}

}  // namespace
