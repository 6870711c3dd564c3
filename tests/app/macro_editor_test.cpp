// The macro editor driven through its real controls.
#include "app/macro_editor_fixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QKeySequence>
#include <QShortcut>
#include <QWindow>

#include "app/macro/macro_action_buffer.h"
#include "app/macro/macro_action_rows.h"
#include "core/keys/key_tables.h"
#include "ui/file_dialogs.h"

using namespace macro_test;

namespace {

// Answers every message box with OK (or Cancel) and notes its text.
class BoxAnswers {
public:
    explicit BoxAnswers(bool ok = true)
        : m_driver([this, ok](WindowImplBase& window) {
              if (QWidget* text = window.PaintManager().FindControl(QStringLiteral("warning")))
                  texts << ControlText(text);
              ClickControl(window, ok ? QStringLiteral("btn_ok") : QStringLiteral("btn_cancel"));
          })
    {
    }
    QStringList texts;

private:
    ScopedModalDriver m_driver;
};

// File dialogs answered by the test; the requests are kept.
class DialogAnswers {
public:
    explicit DialogAnswers(QString path)
    {
        SetFileDialogScript([this, path](const FileDialogRequest& request) {
            requests.push_back(request);
            return path;
        });
    }
    ~DialogAnswers() { SetFileDialogScript({}); }
    std::vector<FileDialogRequest> requests;
};

TEST(MacroActionBufferRules, DelayTypedIsClampedTo10Through65535)
{
    struct Row {
        const char* text;
        int delay;
    };
    for (const Row& row : {Row{"5", 10}, Row{"10", 10}, Row{"11", 11}, Row{"70000", 65535}, Row{"65535", 65535},
                           Row{"abc", 10}, Row{"", 10}, Row{"-40", 10}, Row{"250ms", 250},
                           Row{"99999999999999999999", 65535}}) {
        EXPECT_EQ(MacroActionBuffer::ParseDelay(QLatin1String(row.text)), row.delay) << row.text;
    }
}

TEST(MacroActionBufferRules, InsertFollowsTheInsertPositionAndRefusesWhenFull)
{
    MacroActionBuffer buffer;
    buffer.InsertAction({0x04, 1, 10});  // appended
    buffer.InsertAction({0x05, 1, 10});
    EXPECT_EQ(buffer.count, 2);
    buffer.insertPosition = 1;
    buffer.InsertAction({0x06, 1, 10});
    EXPECT_EQ(buffer.actions[1].key_code, 0x06);
    EXPECT_EQ(buffer.actions[2].key_code, 0x05);
    EXPECT_EQ(buffer.insertPosition, 2);
    buffer.count = MacroActionLimit;
    EXPECT_FALSE(buffer.InsertAction({0x07, 1, 10}));
    EXPECT_EQ(buffer.count, MacroActionLimit);
}

TEST_F(MacroEditorTest, OpensWithEveryMacroAndNoneSelected)
{
    AddMacro(MakeMacro(QStringLiteral("Macro1"), {{0x04, kPress, 50}}));
    AddMacro(MakeMacro(QStringLiteral("Jump"), {}));
    Open();
    ASSERT_EQ(MacroRows()->count(), 2);
    EXPECT_EQ(MacroRows()->item(0)->text(), QStringLiteral("Macro1"));
    EXPECT_EQ(MacroRows()->item(1)->text(), QStringLiteral("Jump"));
    EXPECT_EQ(MacroRows()->item(0)->sizeHint().height(), 22);
    EXPECT_EQ(MacroRows()->currentRow(), -1);
    EXPECT_EQ(ActionList()->count(), 0);
    EXPECT_EQ(editor->CurrentMacroIndex(), -1);
    EXPECT_EQ(editor->GetHWND()->objectName(), QStringLiteral("MS_1_Macro"));
    EXPECT_EQ(ControlText(Control("ms_1_macro_record_btn")), Text("start_recording_text"));
    EXPECT_EQ(SelectedTabItem(Control<QStackedWidget>("ms_1_macro_action_edit_tab")), 0);
    EXPECT_TRUE(Control("ms_1_macro_name_tab")->isVisible());
    EXPECT_FALSE(Control("ms_1_macro_mouse_event_tab")->isVisible());
}

TEST_F(MacroEditorTest, RowsShowKeyActionAndDelayAndTheLastAlways10)
{
    AddMacro(MakeMacro(QStringLiteral("M"), {{0x04, kPress, 120}, {0xF1, kRelease, 300}, {0x05, kPress, 999}}));
    Open();
    SelectMacro(0);
    ASSERT_EQ(ActionList()->count(), 3);
    EXPECT_EQ(RowText(0, "key"), QStringLiteral("A"));
    EXPECT_EQ(RowText(0, "action"), Text("key_down_action"));
    EXPECT_EQ(RowText(0, "delay"), QStringLiteral("120"));
    EXPECT_EQ(RowText(1, "key"), Text("L_Button"));
    EXPECT_EQ(RowText(1, "action"), Text("key_up_action"));
    EXPECT_EQ(RowText(1, "delay"), QStringLiteral("300"));
    EXPECT_EQ(RowText(2, "delay"), QStringLiteral("10"));  // whatever the slot holds
    EXPECT_EQ(ActionList()->item(0)->sizeHint().height(), 30);
    // Read out as one sentence.
    EXPECT_EQ(ActionList()->item(2)->data(Qt::AccessibleTextRole).toString(),
              Text("acc_macro_action_row_text").arg(QStringLiteral("B"), Text("key_down_action")).arg(10));

    const auto part = [this](int row, const char* name) {
        return ActionList()->itemWidget(ActionList()->item(row))->findChild<QWidget*>(QLatin1String(name));
    };
    EXPECT_EQ(ControlBkImage(part(0, "key")), QStringLiteral("res='skins/keyboard_key_action.png' dest='5,6,35,24'"));
    EXPECT_EQ(ControlBkImage(part(1, "key")), QStringLiteral("res='skins/mouse.png' dest='2,2,28,28'"));
    EXPECT_EQ(ControlBkImage(part(0, "action")), QStringLiteral("res='skins/macro_key_down.png' dest='5,6,21,24'"));
    EXPECT_EQ(ControlBkImage(part(1, "action")), QStringLiteral("res='skins/macro_key_up.png' dest='5,6,21,24'"));
    for (const char* image : {"skins/mouse.png", "skins/keyboard_key_action.png", "skins/macro_key_down.png",
                              "skins/macro_key_up.png"})
        EXPECT_TRUE(QFileInfo::exists(CResourceManager::Instance().ResourcePath() + QLatin1String(image))) << image;

    // The last action moves up: both rows follow the rule, the mouse takes the taller picture.
    EXPECT_EQ(ActionList()->currentRow(), 2);
    Click("ms_1_macro_up_btn");
    EXPECT_EQ(RowText(1, "key"), QStringLiteral("B"));
    EXPECT_EQ(RowText(1, "delay"), QStringLiteral("999"));
    EXPECT_EQ(RowText(2, "key"), Text("L_Button"));
    EXPECT_EQ(RowText(2, "delay"), QStringLiteral("10"));
    EXPECT_EQ(ControlBkImage(part(2, "key")), QStringLiteral("res='skins/mouse.png' dest='10,4,32,36'"));
    EXPECT_EQ(ActionList()->currentRow(), 1);
    EXPECT_EQ(Stored(0).actions[1].key_code, 0x05);
    EXPECT_EQ(Stored(0).actions[2].key_code, 0xF1);
}

TEST_F(MacroEditorTest, DelayFieldClampsAndTheLastActionCannotChange)
{
    AddMacro(MakeMacro(QStringLiteral("M"), {{0x04, kPress, 100}, {0x04, kRelease, 100}, {0x05, kPress, 100}}));
    Open();
    SelectMacro(0);
    SelectAction(1);
    Check("ms_1_macro_action_edit_check");
    ASSERT_EQ(SelectedTabItem(Control<QStackedWidget>("ms_1_macro_action_edit_tab")), 1);
    EXPECT_EQ(ControlText(Control("ms_1_macro_delay_edit")), QStringLiteral("100"));

    TypeAndLeave("ms_1_macro_delay_edit", QStringLiteral("5"));
    EXPECT_EQ(Stored(0).actions[1].delay_ms, 10);
    EXPECT_EQ(ControlText(Control("ms_1_macro_delay_edit")), QStringLiteral("10"));
    TypeAndLeave("ms_1_macro_delay_edit", QStringLiteral("70000"));
    EXPECT_EQ(Stored(0).actions[1].delay_ms, 65535);
    EXPECT_EQ(RowText(1, "delay"), QStringLiteral("65535"));
    TypeAndLeave("ms_1_macro_delay_edit", QStringLiteral("letters"));
    EXPECT_EQ(Stored(0).actions[1].delay_ms, 10);

    SelectAction(2);
    EXPECT_EQ(ControlText(Control("ms_1_macro_delay_edit")), QStringLiteral("10"));
    EXPECT_FALSE(Control("ms_1_macro_delay_edit")->isEnabled());
    Control<QLineEdit>("ms_1_macro_delay_edit")->setText(QStringLiteral("500"));
    editor->PaintManager().SendNotify(Control("ms_1_macro_delay_edit"), NotifyType::kKillFocus);
    EXPECT_EQ(Stored(0).actions[2].delay_ms, 100);  // as it was
}

TEST_F(MacroEditorTest, MouseActionIsEditedThroughTheCombo)
{
    AddMacro(MakeMacro(QStringLiteral("M"), {{0xF1, kPress, 40}, {0xF1, kRelease, 10}}));
    Open();
    SelectMacro(0);
    SelectAction(0);
    Check("ms_1_macro_action_edit_check");
    ASSERT_EQ(SelectedTabItem(Control<QStackedWidget>("ms_1_macro_action_edit_tab")), 2);
    auto* combo = Control<QComboBox>("ms_1_macro_mouse_action_combo");
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(combo->itemText(3), Text("Forward_Button"));
    combo->setCurrentIndex(4);
    ProcessPending();
    EXPECT_EQ(Stored(0).actions[0].key_code, 244);
    EXPECT_EQ(RowText(0, "key"), Text("Backward_Button"));
    combo->setCurrentIndex(3);
    ProcessPending();
    EXPECT_EQ(Stored(0).actions[0].key_code, 245);
    TypeAndLeave("ms_1_macro_mouseaction_delay_edit", QStringLiteral("3"));
    EXPECT_EQ(Stored(0).actions[0].delay_ms, 10);
    EXPECT_EQ(ControlText(Control("ms_1_macro_mouseaction_delay_edit")), QStringLiteral("10"));

    // The last action: the field shows 10 and stays shut.
    SelectAction(1);
    EXPECT_EQ(ControlText(Control("ms_1_macro_mouseaction_delay_edit")), QStringLiteral("10"));
    EXPECT_FALSE(Control("ms_1_macro_mouseaction_delay_edit")->isEnabled());

    // Save closes the panel and unticks the box.
    Click("ms_1_macro_save_btn");
    EXPECT_EQ(SelectedTabItem(Control<QStackedWidget>("ms_1_macro_action_edit_tab")), 0);
    EXPECT_FALSE(Control<QCheckBox>("ms_1_macro_action_edit_check")->isChecked());
}

TEST_F(MacroEditorTest, EditPanelStaysShutWithoutASelectedAction)
{
    AddMacro(MakeMacro(QStringLiteral("Empty"), {}));
    Open();
    SelectMacro(0);
    Check("ms_1_macro_action_edit_check");
    EXPECT_FALSE(Control<QCheckBox>("ms_1_macro_action_edit_check")->isChecked());
    EXPECT_EQ(SelectedTabItem(Control<QStackedWidget>("ms_1_macro_action_edit_tab")), 0);
}

TEST_F(MacroEditorTest, RenameIgnoresLetterCaseRefusesUsedAndBlankNamesAndKeeps23Characters)
{
    AddMacro(MakeMacro(QStringLiteral("Macro1"), {{0x04, kPress, 10}}));
    AddMacro(MakeMacro(QStringLiteral("Other"), {}));
    Open();
    SelectMacro(0);
    EXPECT_EQ(ControlText(Control("ms_1_macro_name_edit")), QStringLiteral("Macro1"));
    const int savesBefore = saves;

    TypeAndLeave("ms_1_macro_name_edit", QStringLiteral("macro1"));
    EXPECT_EQ(MacroName(Stored(0)), QStringLiteral("Macro1"));
    EXPECT_EQ(MacroRows()->item(0)->text(), QStringLiteral("Macro1"));
    EXPECT_EQ(ControlText(Control("ms_1_macro_name_edit")), QStringLiteral("Macro1"));
    EXPECT_EQ(saves, savesBefore);

    TypeAndLeave("ms_1_macro_name_edit", QStringLiteral("OTHER"));
    EXPECT_EQ(MacroName(Stored(0)), QStringLiteral("Macro1"));
    EXPECT_EQ(ControlText(Control("ms_1_macro_name_edit")), QStringLiteral("Macro1"));

    TypeAndLeave("ms_1_macro_name_edit", QStringLiteral("   "));
    EXPECT_EQ(MacroName(Stored(0)), QStringLiteral("Macro1"));

    auto* edit = Control<QLineEdit>("ms_1_macro_name_edit");
    EXPECT_EQ(edit->maxLength(), 23);
    TypeAndLeave("ms_1_macro_name_edit", QStringLiteral("A name far longer than the record holds"));
    EXPECT_EQ(MacroName(Stored(0)), QStringLiteral("A name far longer than "));
    EXPECT_EQ(MacroRows()->item(0)->text(), QStringLiteral("A name far longer than "));
    EXPECT_GT(saves, savesBefore);

    // The store on disk holds the new name.
    MacroList reread;
    LoadMacroStore(reread, DataFolder());
    ASSERT_EQ(reread.size(), 2u);
    EXPECT_EQ(MacroName(*reread[0]), QStringLiteral("A name far longer than "));
}

TEST_F(MacroEditorTest, ClickInsertionWithNothingSelectedGoesToTheTop)
{
    AddMacro(MakeMacro(QStringLiteral("M"), {{0x04, kPress, 77}, {0x04, kRelease, 10}}));
    Open();
    SelectMacro(0);
    ActionList()->setCurrentRow(-1);
    editor->PaintManager().SendNotify(ActionList(), NotifyType::kItemSelect, -1);  // the user cleared it
    ASSERT_EQ(editor->Actions().selected, -1);
    Click("ms_1_record_delay_btn");  // delay mode 0
    Check("ms_1_macro_insert_mouse_btn");
    EXPECT_TRUE(Control("ms_1_macro_mouse_event_tab")->isVisible());
    EXPECT_FALSE(Control("ms_1_macro_name_tab")->isVisible());
    Click("ms_1_macro_key2_btn");
    const MacroRecord stored = Stored(0);
    ASSERT_EQ(stored.action_count, 4);
    EXPECT_EQ(stored.actions[0].key_code, 242);
    EXPECT_EQ(stored.actions[0].kind, kPress);
    EXPECT_EQ(stored.actions[0].delay_ms, 10);
    EXPECT_EQ(stored.actions[1].key_code, 242);
    EXPECT_EQ(stored.actions[1].kind, kRelease);
    EXPECT_EQ(stored.actions[1].delay_ms, 10);
    EXPECT_EQ(stored.actions[2].delay_ms, 77);
    EXPECT_EQ(ActionList()->currentRow(), 1);  // the inserted release
    EXPECT_EQ(editor->PaintManager().IsTimerActive(editor->PaintManager().Root(), CMS_1_Macro::kInsertTimerId), true);

    // Delay mode 1 takes the default delay; button 4 is the forward button.
    Click("ms_1_default_delay_btn");
    TypeAndLeave("ms_1_default_delay_edit", QStringLiteral("50"));
    SelectAction(3);
    Click("ms_1_macro_key4_btn");
    const MacroRecord after = Stored(0);
    ASSERT_EQ(after.action_count, 6);
    EXPECT_EQ(after.actions[4].key_code, 245);
    EXPECT_EQ(after.actions[4].delay_ms, 50);
    EXPECT_EQ(after.actions[5].key_code, 245);
}

TEST_F(MacroEditorTest, ClickInsertionNeedsTwoFreeSlots)
{
    AddMacro(MakeLongMacro(QStringLiteral("Full"), 45, 0));
    AddMacro(MakeLongMacro(QStringLiteral("Roomy"), 44, 0));
    Open();
    SelectMacro(0);
    Click("ms_1_macro_key1_btn");
    EXPECT_EQ(Stored(0).action_count, 45);
    EXPECT_EQ(ActionList()->count(), 45);
    SelectMacro(1);
    Click("ms_1_macro_key1_btn");
    EXPECT_EQ(Stored(1).action_count, 46);
    EXPECT_EQ(ActionList()->count(), 46);
}

TEST_F(MacroEditorTest, DefaultDelayFieldKeeps10To65535)
{
    Open();
    TypeAndLeave("ms_1_default_delay_edit", QStringLiteral("3"));
    EXPECT_EQ(ControlText(Control("ms_1_default_delay_edit")), QStringLiteral("10"));
    TypeAndLeave("ms_1_default_delay_edit", QStringLiteral("70000"));
    EXPECT_EQ(ControlText(Control("ms_1_default_delay_edit")), QStringLiteral("65535"));
    TypeAndLeave("ms_1_default_delay_edit", QStringLiteral("400"));
    EXPECT_EQ(ControlText(Control("ms_1_default_delay_edit")), QStringLiteral("400"));
}

TEST_F(MacroEditorTest, DeletingTheOnlyMacroLeavesNothingCurrent)
{
    AddMacro(MakeMacro(QStringLiteral("Only"), {{0x04, kPress, 10}, {0x04, kRelease, 10}}));
    Open();
    SelectMacro(0);
    ASSERT_EQ(ActionList()->count(), 2);
    {
        BoxAnswers cancel(false);
        Click("ms_1_macro_delete_btn");
        EXPECT_EQ(cancel.texts, QStringList{Text("delete_macro_text")});
    }
    EXPECT_EQ(MacroCount(), 1);
    BoxAnswers ok;
    Click("ms_1_macro_delete_btn");
    EXPECT_EQ(MacroCount(), 0);
    EXPECT_EQ(MacroRows()->count(), 0);
    EXPECT_EQ(editor->CurrentMacroIndex(), -1);
    EXPECT_EQ(ActionList()->count(), 0);
    EXPECT_EQ(editor->Actions().count, 0);
    EXPECT_EQ(editor->Actions().selected, -1);
    EXPECT_EQ(ControlText(Control("ms_1_macro_name_edit")), QString());
    const QFileInfo store(dataDir.filePath(QStringLiteral("ms_1/macro.data")));
    EXPECT_TRUE(store.exists());
    EXPECT_EQ(store.size(), 0);
    // Nothing current: export, clear and click insertion do nothing.
    Click("ms_1_macro_clear_action_btn");
    Click("ms_1_macro_key1_btn");
    EXPECT_EQ(MacroCount(), 0);
}

TEST_F(MacroEditorTest, DeletingTheLastRowSelectsTheOneBefore)
{
    AddMacro(MakeMacro(QStringLiteral("One"), {{0x04, kPress, 10}}));
    AddMacro(MakeMacro(QStringLiteral("Two"), {{0x05, kPress, 10}, {0x05, kRelease, 10}}));
    Open();
    SelectMacro(1);
    BoxAnswers ok;
    Click("ms_1_macro_delete_btn");
    ASSERT_EQ(MacroCount(), 1);
    EXPECT_EQ(MacroRows()->currentRow(), 0);
    EXPECT_EQ(editor->CurrentMacroIndex(), 0);
    EXPECT_EQ(ActionList()->count(), 1);
    EXPECT_EQ(RowText(0, "key"), QStringLiteral("A"));
}

TEST_F(MacroEditorTest, AnEditPastFortySevenStepsIsUndoneAndTheUserIsTold)
{
    // 40 actions, 7 of them long: 47 steps, the most the mouse holds.
    AddMacro(MakeLongMacro(QStringLiteral("Long"), 40, 7));
    Open();
    SelectMacro(0);
    SelectAction(20);
    Check("ms_1_macro_action_edit_check");
    BoxAnswers ok;
    TypeAndLeave("ms_1_macro_delay_edit", QStringLiteral("2000"));  // an eighth long delay: 48 steps
    EXPECT_EQ(ok.texts, QStringList{Text("save_macro_text")});
    EXPECT_EQ(Stored(0).actions[20].delay_ms, 10);
    EXPECT_EQ(editor->Actions().actions[20].delay_ms, 10);
    EXPECT_EQ(RowText(20, "delay"), QStringLiteral("10"));
    EXPECT_EQ(MacroStepCount(Stored(0)), 47);

    // A change within the limit is kept (the panel is still open).
    SelectAction(20);
    TypeAndLeave("ms_1_macro_delay_edit", QStringLiteral("1280"));
    EXPECT_EQ(Stored(0).actions[20].delay_ms, 1280);
    EXPECT_EQ(ok.texts.size(), 1);
}

TEST_F(MacroEditorTest, KeyCaptureStoresTheKeyByItsUsage)
{
    AddMacro(MakeMacro(QStringLiteral("M"), {{0x04, kPress, 10}, {0x04, kRelease, 10}}));
    Open();
    SelectMacro(0);
    SelectAction(0);
    Check("ms_1_macro_action_edit_check");
    g_hookCalls.clear();
    Focus(Control("ms_1_macro_action_edit"));
    EXPECT_EQ(g_hookCalls, (std::vector<std::string>{"installhook", "enablehook(1)"}));
    ASSERT_TRUE(g_hookTarget);

    // The library posts left Shift going down.
    g_hookTarget->post(g_hookTarget->context, Msg::UM_HOOK_INPUT, 0xA0, 0);
    ProcessPending();
    EXPECT_EQ(Stored(0).actions[0].key_code, 0xE1);
    EXPECT_EQ(Stored(0).actions[0].kind, kPress);
    EXPECT_EQ(ControlText(Control("ms_1_macro_action_edit")), Text("key_LShift"));
    EXPECT_EQ(RowText(0, "key"), Text("key_LShift"));

    // Volume mute has no row: code 0, no name.
    Input(0xAD, 1);
    EXPECT_EQ(Stored(0).actions[0].key_code, 0);
    EXPECT_EQ(ControlText(Control("ms_1_macro_action_edit")), QString());

    g_hookCalls.clear();
    Focus(MacroRows());
    EXPECT_EQ(g_hookCalls, (std::vector<std::string>{"removehook", "enablehook(0)"}));
    Input(0x41, 0);  // a stray message after the capture ended changes nothing
    EXPECT_EQ(Stored(0).actions[0].key_code, 0);
}

TEST_F(MacroEditorTest, AddNamesMacrosAfterTheCountAndSavesTheStore)
{
    AddMacro(MakeMacro(QStringLiteral("Macro2"), {}));
    Open();
    Click("ms_1_macro_add_btn");
    ASSERT_EQ(MacroCount(), 2);
    EXPECT_EQ(MacroName(Stored(1)), QStringLiteral("Macro2_1"));
    EXPECT_EQ(MacroRows()->count(), 2);
    EXPECT_EQ(MacroRows()->item(1)->sizeHint().height(), 30);
    EXPECT_EQ(MacroRows()->currentRow(), 1);
    EXPECT_EQ(editor->CurrentMacroIndex(), 1);
    EXPECT_EQ(ControlText(Control("ms_1_macro_name_edit")), QStringLiteral("Macro2_1"));
    EXPECT_EQ(QFileInfo(dataDir.filePath(QStringLiteral("ms_1/macro.data"))).size(), 480);
}

TEST_F(MacroEditorTest, ExportThenImportGivesASuffixedCopy)
{
    AddMacro(MakeMacro(QStringLiteral("Combo"), {{0x04, kPress, 30}, {0xF2, kRelease, 10}}));
    Open();
    SelectMacro(0);
    const QString path = dataDir.filePath(QStringLiteral("combo.macro"));
    {
        DialogAnswers answers(path);
        Click("ms_1_macro_export_btn");
        QThreadPool::globalInstance()->waitForDone();
        ProcessPending();
        ASSERT_EQ(answers.requests.size(), 1u);
        EXPECT_EQ(answers.requests[0].kind, FileDialogRequest::Kind::Save);
        EXPECT_EQ(answers.requests[0].filter, Text("macro_file_text") + QStringLiteral(" (*.macro *.MACRO)"));
        EXPECT_EQ(answers.requests[0].defaultSuffix, QStringLiteral("macro"));
        EXPECT_EQ(answers.requests[0].initialFolder, DataFolder());
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const MacroRecord stored = Stored(0);
    EXPECT_EQ(file.readAll(), QByteArray(reinterpret_cast<const char*>(&stored), sizeof stored));

    const int savesBefore = saves;
    DialogAnswers answers(path);
    Click("ms_1_macro_import_btn");
    QThreadPool::globalInstance()->waitForDone();
    ProcessPending();
    ASSERT_EQ(MacroCount(), 2);
    EXPECT_EQ(MacroName(Stored(1)), QStringLiteral("Combo_1"));
    EXPECT_EQ(Stored(1).action_count, 2);
    EXPECT_EQ(Stored(1).actions[1].key_code, 0xF2);
    EXPECT_EQ(MacroRows()->item(1)->text(), QStringLiteral("Combo_1"));
    EXPECT_EQ(MacroRows()->currentRow(), 1);
    EXPECT_EQ(ActionList()->count(), 2);
    EXPECT_GT(saves, savesBefore);
    EXPECT_EQ(answers.requests[0].kind, FileDialogRequest::Kind::Open);
    EXPECT_EQ(answers.requests[0].initialFolder, DataFolder());
}

TEST_F(MacroEditorTest, ADamagedFileImportsNothingAndSaysSo)
{
    AddMacro(MakeMacro(QStringLiteral("Keep"), {}));
    Open();
    const QString path = dataDir.filePath(QStringLiteral("short.macro"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(100, '\0'));
    file.close();
    BoxAnswers ok;
    DialogAnswers answers(path);
    Click("ms_1_macro_import_btn");
    QThreadPool::globalInstance()->waitForDone();
    ProcessPending();
    EXPECT_EQ(ok.texts, QStringList{Text("import_bad_macro_text")});
    EXPECT_EQ(MacroCount(), 1);
    EXPECT_EQ(MacroRows()->count(), 1);
}

TEST_F(MacroEditorTest, DeleteAndClearActions)
{
    AddMacro(MakeMacro(QStringLiteral("M"), {{0x04, kPress, 50}, {0x05, kPress, 60}, {0x06, kPress, 70}}));
    Open();
    SelectMacro(0);
    SelectAction(1);
    Click("ms_1_macro_delete_action_btn");
    ASSERT_EQ(Stored(0).action_count, 2);
    EXPECT_EQ(Stored(0).actions[1].key_code, 0x06);
    EXPECT_EQ(ActionList()->count(), 2);
    EXPECT_EQ(ActionList()->currentRow(), 1);
    EXPECT_EQ(RowText(1, "delay"), QStringLiteral("10"));
    Click("ms_1_macro_delete_action_btn");  // the last row: the one before it is selected
    EXPECT_EQ(ActionList()->currentRow(), 0);
    EXPECT_EQ(RowText(0, "delay"), QStringLiteral("10"));
    Click("ms_1_macro_down_btn");  // nothing below
    EXPECT_EQ(Stored(0).actions[0].key_code, 0x04);
    Click("ms_1_macro_clear_action_btn");
    EXPECT_EQ(Stored(0).action_count, 0);
    EXPECT_EQ(ActionList()->count(), 0);
    EXPECT_EQ(editor->Actions().selected, -1);
}

TEST_F(MacroEditorTest, CancelReloadsAndShowsWhereTheRecordingStarted)
{
    AddMacro(MakeMacro(QStringLiteral("M"), {{0x04, kPress, 50}, {0x04, kRelease, 10}}));
    Open();
    SelectMacro(0);
    SelectAction(0);
    Check("ms_1_macro_record_btn");  // inserting after row 0
    Input(0x42, 0);
    Check("ms_1_macro_record_btn");
    ASSERT_EQ(Stored(0).action_count, 3);
    Check("ms_1_macro_action_edit_check");
    Click("ms_1_macro_cancel_btn");
    EXPECT_EQ(SelectedTabItem(Control<QStackedWidget>("ms_1_macro_action_edit_tab")), 0);
    EXPECT_EQ(ActionList()->currentRow(), 1);
    EXPECT_TRUE(editor->PaintManager().IsTimerActive(editor->PaintManager().Root(), CMS_1_Macro::kReloadTimerId));
}

TEST_F(MacroEditorTest, ScrollTimersEndAtTheirFirstExpiry)
{
    AddMacro(MakeMacro(QStringLiteral("M"), {{0x04, kPress, 10}, {0x04, kRelease, 10}}));
    Open();
    SelectMacro(0);
    SelectAction(0);
    Click("ms_1_macro_key3_btn");
    QWidget* root = editor->PaintManager().Root();
    ASSERT_TRUE(editor->PaintManager().IsTimerActive(root, CMS_1_Macro::kInsertTimerId));
    editor->PaintManager().SendNotify(root, NotifyType::kTimer, -1, CMS_1_Macro::kInsertTimerId);
    EXPECT_FALSE(editor->PaintManager().IsTimerActive(root, CMS_1_Macro::kInsertTimerId));
    EXPECT_EQ(ActionList()->currentRow(), 2);
    EXPECT_EQ(Stored(0).actions[1].key_code, 243);
    EXPECT_EQ(Stored(0).actions[2].key_code, 243);
}

TEST_F(MacroEditorTest, EscapeClosesExceptWhileRecording)
{
    AddMacro(MakeMacro(QStringLiteral("M"), {}));
    Open();
    SelectMacro(0);
    auto* escape = editor->GetHWND()->findChild<QShortcut*>();
    ASSERT_TRUE(escape);
    EXPECT_EQ(escape->key(), QKeySequence(Qt::Key_Escape));
    Check("ms_1_macro_record_btn");
    EXPECT_FALSE(escape->isEnabled());  // Escape is a key to record
    Check("ms_1_macro_record_btn");
    EXPECT_TRUE(escape->isEnabled());
    emit escape->activated();
    EXPECT_FALSE(editor->IsWindow());
}

TEST_F(MacroEditorTest, DeletingAMacroWhileRecordingStopsFirst)
{
    AddMacro(MakeMacro(QStringLiteral("Keep"), {}));
    AddMacro(MakeMacro(QStringLiteral("Gone"), {}));
    Open();
    SelectMacro(1);
    Check("ms_1_macro_record_btn");
    Input(0x41, 0);
    BoxAnswers ok;
    Click("ms_1_macro_delete_btn");
    EXPECT_FALSE(editor->Recorder().IsRecording());
    ASSERT_EQ(MacroCount(), 1);
    EXPECT_EQ(MacroName(Stored(0)), QStringLiteral("Keep"));
    EXPECT_EQ(Stored(0).action_count, 0);  // the recording did not land in the other macro
    EXPECT_EQ(editor->CurrentMacroIndex(), 0);
}

TEST_F(MacroEditorTest, ExitClosesWithOneAndAClosingEditorStopsRecordingAndRemovesEveryHook)
{
    AddMacro(MakeMacro(QStringLiteral("M"), {}));
    Open();
    SelectMacro(0);
    Check("ms_1_macro_record_btn");
    Input(0x41, 0);
    g_hookCalls.clear();
    Click("btn_exit");
    EXPECT_FALSE(editor->IsWindow());
    EXPECT_FALSE(editor->Recorder().IsRecording());
    EXPECT_EQ(g_hookCalls, (std::vector<std::string>{"removehook", "removemousehook", "enablemousehook(0)",
                                                     "enablehook(0)", "mousewheelenable(0)"}));
    EXPECT_EQ(Stored(0).action_count, 1);  // the recording was kept
}

TEST_F(MacroEditorTest, RunFromTheOwnerModallyReturnsOnExit)
{
    AddMacro(MakeMacro(QStringLiteral("M"), {}));
    CMsgWnd owner(QStringLiteral("warning_title_text"), QStringLiteral("no_device_text"));
    ASSERT_TRUE(owner.Create(nullptr, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow));
    int shown = 0;
    {
        ScopedModalDriver driver([&](WindowImplBase& window) {
            ++shown;
            EXPECT_EQ(window.WindowClassName(), QStringLiteral("MS_1_Macro"));
            EXPECT_EQ(window.PaintManager().FindControl<QListWidget>(QStringLiteral("ms_1_macro_list"))->count(), 1);
            ClickControl(window, QStringLiteral("btn_exit"));
        });
        RunMacroEditor(&owner, *session, [] {}, nullptr);
    }
    EXPECT_EQ(shown, 1);
    owner.DestroyWindow();
    ProcessPending();
}

TEST_F(MacroEditorTest, EveryControlHasAnAccessibleNameFromTheLanguageFile)
{
    Open();
    QList<QWidget*> interactive;
    for (QAbstractButton* b : editor->GetHWND()->findChildren<QAbstractButton*>())
        interactive << b;
    for (QLineEdit* e : editor->GetHWND()->findChildren<QLineEdit*>())
        interactive << e;
    for (QComboBox* c : editor->GetHWND()->findChildren<QComboBox*>())
        interactive << c;
    for (QListWidget* l : editor->GetHWND()->findChildren<QListWidget*>())
        interactive << l;
    EXPECT_GE(interactive.size(), 30);
    QStringList names;
    for (QWidget* control : interactive) {
        const QString key = control->property("accessibleNameKey").toString();
        EXPECT_TRUE(CResourceManager::Instance().HasText(key)) << control->objectName().toStdString();
        EXPECT_EQ(control->accessibleName(), CResourceManager::Instance().GetText(key))
            << control->objectName().toStdString();
        names << control->accessibleName();
    }
    names.removeDuplicates();
    EXPECT_EQ(names.size(), interactive.size());
}

TEST_F(MacroEditorTest, WithoutGlobalCaptureTheWindowRecordsItsOwnInputAndSaysSo)
{
    AddMacro(MakeMacro(QStringLiteral("M"), {}));
    Open(false);
    EXPECT_FALSE(editor->CaptureIsGlobal());
    EXPECT_EQ(Control("ms_1_macro_record_btn")->toolTip(), Text("record_window_only_text"));
    SelectMacro(0);
    Click("ms_1_record_delay_btn");
    Check("ms_1_macro_record_btn");
    ASSERT_TRUE(editor->Recorder().IsRecording());
    QWindow* window = editor->GetHWND()->windowHandle();
    ASSERT_TRUE(window);
    // The B key pressed and released 120 ms later, then a right click inside the window.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
    QApplication::sendEvent(window, &press);
    ProcessPending();
    clock.Advance(120);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"));
    QApplication::sendEvent(window, &release);
    ProcessPending();
    const QPointF inside(20, 300);
    QMouseEvent down(QEvent::MouseButtonPress, inside, window->mapToGlobal(inside), Qt::RightButton, Qt::RightButton,
                     Qt::NoModifier);
    QApplication::sendEvent(window, &down);
    ProcessPending();
    QMouseEvent up(QEvent::MouseButtonRelease, inside, window->mapToGlobal(inside), Qt::RightButton, Qt::NoButton,
                   Qt::NoModifier);
    QApplication::sendEvent(window, &up);
    ProcessPending();
    Check("ms_1_macro_record_btn");
    const MacroRecord stored = Stored(0);
    ASSERT_EQ(stored.action_count, 4);
    EXPECT_EQ(stored.actions[0].key_code, 0x05);
    EXPECT_EQ(stored.actions[0].delay_ms, 120);
    EXPECT_EQ(stored.actions[1].kind, kRelease);
    EXPECT_EQ(stored.actions[2].key_code, 242);
    EXPECT_EQ(stored.actions[3].key_code, 242);
    EXPECT_EQ(stored.actions[3].kind, kRelease);

    // Stopped: the window's input is no longer recorded.
    QKeyEvent again(QEvent::KeyPress, Qt::Key_C, Qt::NoModifier, QStringLiteral("c"));
    QApplication::sendEvent(window, &again);
    ProcessPending();
    EXPECT_EQ(Stored(0).action_count, 4);
}

TEST_F(MacroEditorTest, GlobalCaptureSaysSoOnTheRecordButton)
{
    Open(true);
    EXPECT_TRUE(editor->CaptureIsGlobal());
    EXPECT_EQ(Control("ms_1_macro_record_btn")->toolTip(), Text("record_global_text"));
    // The library was asked once and nothing was left installed.
    EXPECT_EQ(g_hookCalls, (std::vector<std::string>{"installhook", "removehook"}));
}

TEST_F(MacroEditorTest, ALibraryThatCannotSeeTheDesktopLeavesTheWindowToCapture)
{
    g_hookGlobal = false;  // as on a Wayland session
    AddMacro(MakeMacro(QStringLiteral("M"), {}));
    Open(true);
    EXPECT_FALSE(editor->CaptureIsGlobal());
    EXPECT_EQ(Control("ms_1_macro_record_btn")->toolTip(), Text("record_window_only_text"));
    SelectMacro(0);
    Check("ms_1_macro_record_btn");
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier, QStringLiteral("z"));
    QApplication::sendEvent(editor->GetHWND()->windowHandle(), &press);
    ProcessPending();
    Check("ms_1_macro_record_btn");
    ASSERT_EQ(Stored(0).action_count, 1);
    EXPECT_EQ(Stored(0).actions[0].key_code, 0x1D);
}

TEST_F(MacroEditorTest, ASkinWithoutTheControlsDoesNotOpen)
{
    QTemporaryDir skins;
    ASSERT_TRUE(skins.isValid());
    QDir().mkpath(skins.filePath(QStringLiteral("MS/MS_1")));
    QFile skin(skins.filePath(QStringLiteral("MS/MS_1/ms_1_macropage.xml")));
    ASSERT_TRUE(skin.open(QIODevice::WriteOnly));
    skin.write(R"(<?xml version="1.0" encoding="UTF-8"?><ui version="4.0"><widget class="QWidget" name="empty">)"
               R"(<property name="geometry"><rect><x>0</x><y>0</y><width>250</width><height>200</height></rect>)"
               R"(</property></widget></ui>)");
    skin.close();
    const QString resources = CResourceManager::Instance().ResourcePath();
    CResourceManager::Instance().SetResourcePath(skins.path() + QLatin1Char('/'));
    editor = std::make_unique<CMS_1_Macro>(*session, [] {}, &hookTable, &clock);
    const bool created = editor->Create(nullptr, WindowStyle::kPopup | WindowStyle::kVisible, WindowStyle::kExToolWindow);
    CResourceManager::Instance().SetResourcePath(resources);
    EXPECT_FALSE(created);
}

}  // namespace

#include "app/page_window_fixture.h"

namespace {

QString Text(const char* key)
{
    return CResourceManager::Instance().GetText(QLatin1String(key));
}

TEST_F(PageWindowTest, MacroButtonOpensTheEditorAndItsChangesReachTheStore)
{
    ModalScript script;
    script.Then([](WindowImplBase& editor) {
        ClickControl(editor, QStringLiteral("ms_1_macro_add_btn"));
        ClickControl(editor, QStringLiteral("btn_exit"));
    });
    auto* button = Control<QAbstractButton>(QStringLiteral("ms_1_btn_macro"));
    ASSERT_TRUE(button);
    button->click();
    EXPECT_EQ(script.shown, QStringList{QStringLiteral("MS_1_Macro")});
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(Session().Locked([](ProfileSession::State& s) { return int(s.macros.size()); }), 1);
    // The store is written by the device worker, not by the window.
    FinishStoreWrites();
    MacroList stored;
    LoadMacroStore(stored, DataFolder());
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(MacroName(*stored[0]), Text("add_macro_text") + QStringLiteral("1"));
}

}  // namespace
