// The select-macro dialog, run modally and driven through its real controls.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <functional>

#include "app/macro/select_macro_wnd.h"
#include "app/shell/msg_wnd.h"
#include "support/ui_test_support.h"
#include "ui/resource_manager.h"

namespace {

QLineEdit* LoopEdit(WindowImplBase& dialog)
{
    return dialog.PaintManager().FindControl<QLineEdit>(QStringLiteral("edit_loop_time"));
}

QListWidget* List(WindowImplBase& dialog)
{
    return dialog.PaintManager().FindControl<QListWidget>(QStringLiteral("list_macro"));
}

QAbstractButton* Option(WindowImplBase& dialog, int n)
{
    return dialog.PaintManager().FindControl<QAbstractButton>(QStringLiteral("repeat_%1").arg(n));
}

bool LoopRowShown(WindowImplBase& dialog)
{
    const QWidget* row = dialog.PaintManager().FindControl(QStringLiteral("hor_loop_time"));
    return row && row->isVisibleTo(dialog.GetHWND());
}

void Focus(QWidget* widget)
{
    widget->window()->activateWindow();
    widget->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
}

// Types as the user does into the focused field, after emptying it.
void TypeInto(QLineEdit* edit, const QString& text)
{
    Focus(edit);
    edit->selectAll();
    QKeyEvent erase(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QApplication::sendEvent(edit, &erase);
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
    }
}

class SelectMacroDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(owner.Create(nullptr, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow));
        ProcessPending();
    }
    void TearDown() override
    {
        owner.DestroyWindow();
        ProcessPending();
    }

    int Run(CMS_1_SelectMacro& dialog, const std::function<void(CMS_1_SelectMacro&)>& script)
    {
        ScopedModalDriver driver([&](WindowImplBase& window) {
            ++shown;
            script(static_cast<CMS_1_SelectMacro&>(window));
        });
        if (!dialog.Create(&owner, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow))
            return -1;
        dialog.CenterWindow();
        return dialog.ShowModal();
    }

    CMsgWnd owner{QStringLiteral("warning_title_text"), QStringLiteral("no_device_text")};
    int shown = 0;
};

TEST(SelectMacroLoopCount, ClampsWhenLeft)
{
    EXPECT_EQ(CMS_1_SelectMacro::ClampedLoopCount(QStringLiteral("12")), 12);
    EXPECT_EQ(CMS_1_SelectMacro::ClampedLoopCount(QStringLiteral("0")), 1);
    EXPECT_EQ(CMS_1_SelectMacro::ClampedLoopCount(QString()), 1);
    EXPECT_EQ(CMS_1_SelectMacro::ClampedLoopCount(QStringLiteral("300")), 255);
    EXPECT_EQ(CMS_1_SelectMacro::ClampedLoopCount(QStringLiteral("255")), 255);
    EXPECT_EQ(CMS_1_SelectMacro::ClampedLoopCount(QStringLiteral("007")), 7);
    // Far too many digits for any integer still mean "above the range", not a wrapped number.
    EXPECT_EQ(CMS_1_SelectMacro::ClampedLoopCount(QStringLiteral("4294967297")), 255);
}

TEST_F(SelectMacroDialogTest, OpensForANewMacroButtonWithNothingChosen)
{
    CMS_1_SelectMacro dialog;
    dialog.SetMacroNames({QStringLiteral("Reload"), QStringLiteral("Combo")});
    EXPECT_EQ(Run(dialog,
                  [](CMS_1_SelectMacro& d) {
                      ASSERT_TRUE(List(d));
                      ASSERT_EQ(List(d)->count(), 2);
                      EXPECT_EQ(List(d)->item(0)->text(), QStringLiteral("Reload"));
                      EXPECT_EQ(List(d)->item(1)->text(), QStringLiteral("Combo"));
                      EXPECT_EQ(List(d)->item(0)->sizeHint().height(), 22);
                      EXPECT_EQ(List(d)->currentRow(), -1);
                      EXPECT_TRUE(Option(d, 1)->isChecked());
                      EXPECT_TRUE(LoopRowShown(d));
                      EXPECT_EQ(LoopEdit(d)->text(), QStringLiteral("1"));
                      const CResourceManager& texts = CResourceManager::Instance();
                      EXPECT_EQ(d.GetHWND()->windowTitle(), texts.GetText(QStringLiteral("select_macro_title_text")));
                      // The options say what they do, in the language file's words.
                      for (int n = 1; n <= 3; ++n) {
                          const QString key = QStringLiteral("repeat_mode_%1_text").arg(n);
                          EXPECT_TRUE(texts.HasText(key));
                          EXPECT_EQ(Option(d, n)->text(), texts.GetText(key));
                      }
                      ClickControl(d, QStringLiteral("btn_cancel"));
                  }),
              0);
    EXPECT_EQ(shown, 1);
}

TEST_F(SelectMacroDialogTest, OpensOnTheButtonsMacroAndMode)
{
    CMS_1_SelectMacro dialog;
    dialog.SetMacroNames({QStringLiteral("Reload"), QStringLiteral("Combo")});
    dialog.SetSelectedIndex(1);
    dialog.SetRepeatMode(2);
    dialog.SetLoopCount(9);
    EXPECT_EQ(Run(dialog,
                  [](CMS_1_SelectMacro& d) {
                      EXPECT_EQ(List(d)->currentRow(), 1);
                      EXPECT_TRUE(Option(d, 3)->isChecked());
                      EXPECT_FALSE(LoopRowShown(d));
                      EXPECT_EQ(LoopEdit(d)->text(), QStringLiteral("9"));
                      ClickControl(d, QStringLiteral("btn_ok"));
                  }),
              1);
    EXPECT_EQ(dialog.SelectedIndex(), 1);
    EXPECT_EQ(dialog.SelectedName(), QStringLiteral("Combo"));
    EXPECT_EQ(dialog.RepeatMode(), 2);
    EXPECT_EQ(dialog.LoopCount(), 9);
}

TEST_F(SelectMacroDialogTest, ValuesOutOfRangeFromARecordStartSound)
{
    CMS_1_SelectMacro dialog;
    dialog.SetMacroNames({QStringLiteral("Reload")});
    dialog.SetSelectedIndex(7);
    dialog.SetRepeatMode(9);
    dialog.SetLoopCount(0);
    EXPECT_EQ(Run(dialog,
                  [](CMS_1_SelectMacro& d) {
                      EXPECT_EQ(List(d)->currentRow(), -1);
                      EXPECT_TRUE(Option(d, 1)->isChecked());
                      EXPECT_EQ(LoopEdit(d)->text(), QStringLiteral("1"));
                      ClickControl(d, QStringLiteral("btn_ok"));
                  }),
              1);
    EXPECT_EQ(dialog.SelectedIndex(), -1);
    EXPECT_EQ(dialog.SelectedName(), QString());
    EXPECT_EQ(dialog.RepeatMode(), 0);
    EXPECT_EQ(dialog.LoopCount(), 1);
}

TEST_F(SelectMacroDialogTest, LoopCountTakesDigitsOnlyAndIsClampedWhenLeft)
{
    struct Row {
        const char* typed;
        const char* whileTyping;
        const char* afterLeaving;
        int count;
    };
    for (const Row& row : {Row{"1a2", "12", "12", 12}, Row{"0", "0", "1", 1}, Row{"300", "300", "255", 255},
                           Row{"", "", "1", 1}, Row{"x-5", "5", "5", 5}}) {
        CMS_1_SelectMacro dialog;
        dialog.SetMacroNames({QStringLiteral("Reload")});
        EXPECT_EQ(Run(dialog,
                      [&row](CMS_1_SelectMacro& d) {
                          TypeInto(LoopEdit(d), QLatin1String(row.typed));
                          EXPECT_EQ(LoopEdit(d)->text(), QLatin1String(row.whileTyping)) << row.typed;
                          EXPECT_EQ(LoopEdit(d)->cursorPosition(), LoopEdit(d)->text().size()) << row.typed;
                          Focus(List(d));  // leaves the field
                          EXPECT_EQ(LoopEdit(d)->text(), QLatin1String(row.afterLeaving)) << row.typed;
                          EXPECT_EQ(d.LoopCount(), row.count) << row.typed;
                          ClickControl(d, QStringLiteral("btn_ok"));
                      }),
                  1);
        EXPECT_EQ(dialog.LoopCount(), row.count) << row.typed;
    }
}

TEST_F(SelectMacroDialogTest, OkTakesACountStillBeingTyped)
{
    CMS_1_SelectMacro dialog;
    dialog.SetMacroNames({QStringLiteral("Reload")});
    EXPECT_EQ(Run(dialog,
                  [](CMS_1_SelectMacro& d) {
                      TypeInto(LoopEdit(d), QStringLiteral("400"));
                      ClickControl(d, QStringLiteral("btn_ok"));
                  }),
              1);
    EXPECT_EQ(dialog.LoopCount(), 255);
}

TEST_F(SelectMacroDialogTest, OtherRepeatModesHideTheCountAndKeepIt)
{
    CMS_1_SelectMacro dialog;
    dialog.SetMacroNames({QStringLiteral("Reload"), QStringLiteral("Combo")});
    EXPECT_EQ(Run(dialog,
                  [](CMS_1_SelectMacro& d) {
                      List(d)->setCurrentRow(0);
                      TypeInto(LoopEdit(d), QStringLiteral("7"));
                      Focus(List(d));
                      Option(d, 2)->click();
                      EXPECT_FALSE(LoopRowShown(d));
                      EXPECT_EQ(d.RepeatMode(), 1);
                      Option(d, 3)->click();
                      EXPECT_FALSE(LoopRowShown(d));
                      EXPECT_EQ(d.RepeatMode(), 2);
                      Option(d, 1)->click();
                      EXPECT_TRUE(LoopRowShown(d));
                      Option(d, 3)->click();
                      ClickControl(d, QStringLiteral("btn_ok"));
                  }),
              1);
    EXPECT_EQ(dialog.SelectedIndex(), 0);
    EXPECT_EQ(dialog.RepeatMode(), 2);
    EXPECT_EQ(dialog.LoopCount(), 7);
}

TEST_F(SelectMacroDialogTest, EmptyListSaysSoAndOkChoosesNothing)
{
    CMS_1_SelectMacro dialog;
    EXPECT_EQ(Run(dialog,
                  [](CMS_1_SelectMacro& d) {
                      EXPECT_EQ(List(d)->count(), 0);
                      const QWidget* note = d.PaintManager().FindControl(QStringLiteral("select_macro_empty"));
                      ASSERT_TRUE(note);
                      EXPECT_TRUE(note->isVisibleTo(d.GetHWND()));
                      ClickControl(d, QStringLiteral("btn_ok"));
                  }),
              1);
    EXPECT_EQ(dialog.SelectedIndex(), -1);
    EXPECT_TRUE(dialog.SelectedName().isEmpty());
}

TEST_F(SelectMacroDialogTest, EnterOnAMacroChoosesIt)
{
    CMS_1_SelectMacro dialog;
    dialog.SetMacroNames({QStringLiteral("Reload"), QStringLiteral("Combo")});
    EXPECT_EQ(Run(dialog,
                  [](CMS_1_SelectMacro& d) {
                      Focus(List(d));
                      QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
                      QApplication::sendEvent(List(d), &down);
                      QApplication::sendEvent(List(d), &down);
                      QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
                      QApplication::sendEvent(List(d), &enter);
                      ProcessPending();
                  }),
              1);
    EXPECT_EQ(dialog.SelectedName(), QStringLiteral("Combo"));
}

TEST_F(SelectMacroDialogTest, CloseButtonCancels)
{
    CMS_1_SelectMacro dialog;
    dialog.SetMacroNames({QStringLiteral("Reload")});
    EXPECT_EQ(Run(dialog,
                  [](CMS_1_SelectMacro& d) {
                      List(d)->setCurrentRow(0);
                      ClickControl(d, QStringLiteral("btn_exit"));
                  }),
              0);
}

TEST_F(SelectMacroDialogTest, EveryControlHasAnAccessibleName)
{
    CMS_1_SelectMacro dialog;
    Run(dialog, [](CMS_1_SelectMacro& d) {
        for (const char* name : {"list_macro", "repeat_1", "repeat_2", "repeat_3", "edit_loop_time", "btn_ok",
                                 "btn_cancel", "btn_exit"}) {
            const QWidget* control = d.PaintManager().FindControl(QLatin1String(name));
            ASSERT_TRUE(control) << name;
            EXPECT_FALSE(control->accessibleName().isEmpty()) << name;
            EXPECT_FALSE(control->accessibleName().contains(QLatin1String("_text"))) << name;
        }
        ClickControl(d, QStringLiteral("btn_cancel"));
    });
}

}  // namespace
