// The select-macro dialog, run modally and driven through its real controls: what it opens on and
// what the user's choices give back (the dialog itself changes nothing).
#include "app/macro_editor_fixture.h"

using namespace macro_test;

namespace {

QLineEdit* LoopEdit(WindowImplBase& d) { return Find<QLineEdit>(d, QStringLiteral("edit_loop_time")); }
QListWidget* List(WindowImplBase& d) { return Find<QListWidget>(d, QStringLiteral("list_macro")); }
QAbstractButton* Option(WindowImplBase& d, int n) { return Find<QAbstractButton>(d, QString("repeat_%1").arg(n)); }
bool Visible(WindowImplBase& d, const char* name) { return Find(d, QLatin1String(name))->isVisibleTo(d.GetHWND()); }

TEST(SelectMacroLoopCount, ClampsWhenLeft)
{
    const std::pair<const char*, int> rows[] = {{"12", 12}, {"0", 1}, {"", 1}, {"300", 255}, {"255", 255}, {"007", 7},
                                                {"4294967297", 255}};  // far too many digits: not a wrapped number
    for (const auto& [digits, count] : rows)
        EXPECT_EQ(CMS_1_SelectMacro::ClampedLoopCount(QLatin1String(digits)), count) << digits;
}

// What the dialog opens on from the button's record (values out of range start sound), and what
// OK gives back untouched. Without a chosen macro OK cannot be pressed.
TEST(SelectMacroDialog, OpensOnTheButtonsChoiceAndOkGivesItBack)
{
    struct Opening { QStringList names; int index, mode, loops; int row, option; bool loopRow; const char* shown; int mode2, loops2; };
    const Opening kOpenings[] = {{{"Reload", "Combo"}, -1, 0, 1, -1, 1, true, "1", 0, 1},
                                 {{"Reload", "Combo"}, 1, 2, 9, 1, 3, false, "9", 2, 9},
                                 {{"Reload"}, 7, 9, 0, 0, 1, true, "1", 0, 1},  // the only macro: chosen
                                 {{}, -1, 0, 1, -1, 1, true, "1", 0, 1}};
    for (const Opening& o : kOpenings) {
        SCOPED_TRACE(testing::Message() << o.names.size() << " macros, index " << o.index);
        CMS_1_SelectMacro dialog;
        dialog.SetMacroNames(o.names), dialog.SetSelectedIndex(o.index), dialog.SetRepeatMode(o.mode), dialog.SetLoopCount(o.loops);
        EXPECT_EQ(RunModal<CMS_1_SelectMacro>(dialog, [&o](CMS_1_SelectMacro& d) {
                      ASSERT_EQ(List(d)->count(), o.names.size());
                      for (int i = 0; i < o.names.size(); ++i) EXPECT_EQ(std::tuple(List(d)->item(i)->text(), List(d)->item(i)->sizeHint().height()), std::tuple(o.names[i], 22));
                      EXPECT_EQ(Visible(d, "select_macro_empty"), o.names.isEmpty());
                      EXPECT_EQ(std::tuple(List(d)->currentRow(), Option(d, o.option)->isChecked()), std::tuple(o.row, true));
                      EXPECT_EQ(std::tuple(Visible(d, "hor_loop_time"), LoopEdit(d)->text()), std::tuple(o.loopRow, QLatin1String(o.shown)));
                      EXPECT_EQ(std::tuple(List(d)->selectedItems().size(), Find(d, QStringLiteral("btn_ok"))->isEnabled()), std::tuple(qsizetype(o.row >= 0), o.row >= 0));
                      ClickControl(d, QStringLiteral("btn_ok"));
                  }), o.row >= 0);
        EXPECT_EQ(std::tuple(dialog.SelectedIndex(), dialog.SelectedName(), dialog.RepeatMode(), dialog.LoopCount()),
                  std::tuple(o.row, o.row < 0 ? QString() : o.names[o.row], o.mode2, o.loops2));
    }
}

// The loop count takes digits only while typed and is clamped when left (or at OK, still typed).
TEST(SelectMacroDialog, LoopCountTakesDigitsOnlyAndIsClamped)
{
    struct Typed { const char* keys; const char* whileTyping; bool leave; const char* left; int count; };
    const Typed kTyped[] = {{"1a2", "12", true, "12", 12}, {"0", "0", true, "1", 1}, {"300", "300", true, "255", 255},
                            {"", "", true, "1", 1}, {"x-5", "5", true, "5", 5}, {"400", "400", false, "400", 255}};
    for (const Typed& t : kTyped) {
        SCOPED_TRACE(t.keys);
        CMS_1_SelectMacro dialog;
        dialog.SetMacroNames({QStringLiteral("Reload")});
        EXPECT_EQ(RunModal<CMS_1_SelectMacro>(dialog, [&t](CMS_1_SelectMacro& d) {
                      Focus(LoopEdit(d)), LoopEdit(d)->selectAll(), Key(LoopEdit(d), Qt::Key_Backspace);
                      for (const QChar c : QString::fromLatin1(t.keys)) Key(LoopEdit(d), c.toUpper().unicode(), QString(c));
                      EXPECT_EQ(std::pair(LoopEdit(d)->text(), LoopEdit(d)->cursorPosition()), std::pair(QString(t.whileTyping), int(strlen(t.whileTyping))));
                      if (t.leave) Focus(List(d));
                      EXPECT_TRUE(!t.leave || std::tuple(LoopEdit(d)->text(), d.LoopCount()) == std::tuple(QString(t.left), t.count));
                      ClickControl(d, QStringLiteral("btn_ok"));
                  }), 1);
        EXPECT_EQ(dialog.LoopCount(), t.count);
    }
}

TEST(SelectMacroDialog, OtherRepeatModesHideTheCountAndKeepIt)
{
    CMS_1_SelectMacro dialog;
    dialog.SetMacroNames({QStringLiteral("Reload"), QStringLiteral("Combo")});
    EXPECT_EQ(RunModal<CMS_1_SelectMacro>(dialog, [](CMS_1_SelectMacro& d) {
                  List(d)->setCurrentRow(0), SetControlText(LoopEdit(d), QStringLiteral("7"));
                  for (const auto& [option, mode, loopRow] : {std::tuple(2, 1, false), std::tuple(3, 2, false), std::tuple(1, 0, true), std::tuple(3, 2, false)}) {
                      Option(d, option)->click();
                      EXPECT_EQ(std::tuple(d.RepeatMode(), Visible(d, "hor_loop_time")), std::tuple(mode, loopRow)) << option;
                  }
                  ClickControl(d, QStringLiteral("btn_ok"));
              }), 1);
    EXPECT_EQ(std::tuple(dialog.SelectedIndex(), dialog.RepeatMode(), dialog.LoopCount()), std::tuple(0, 2, 7));
}

}  // namespace
