// The macro editor driven through its real controls: what it shows, what typed values and clicks
// commit to the macro list and the store, what it refuses and says, export and import, and that
// closing it leaves no hook behind.
#include "app/macro_editor_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

#include "app/macro/macro_action_buffer.h"
#include "app/macro/macro_action_rows.h"
#include "ui/file_dialogs.h"

using namespace macro_test;

namespace {

TEST(MacroActionBufferRules, DelayTypedIsClampedTo10Through65535)
{
    const std::pair<const char*, int> rows[] = {{"5", 10}, {"10", 10}, {"11", 11}, {"70000", 65535}, {"65535", 65535},
                                                {"abc", 10}, {"", 10}, {"-40", 10}, {"250ms", 250},
                                                {"99999999999999999999", 65535}};
    for (const auto& [text, delay] : rows)
        EXPECT_EQ(MacroActionBuffer::ParseDelay(QLatin1String(text)), delay) << text;
}

TEST(MacroActionBufferRules, InsertFollowsTheInsertPositionAndRefusesWhenFull)
{
    MacroActionBuffer buffer;
    buffer.InsertAction({0x04, 1, 10}), buffer.InsertAction({0x05, 1, 10});  // appended
    buffer.insertPosition = 1;
    buffer.InsertAction({0x06, 1, 10});
    EXPECT_EQ(std::pair(ActionsOf(buffer.actions, buffer.count), buffer.insertPosition), std::pair(Actions{{4, 1, 10}, {6, 1, 10}, {5, 1, 10}}, 2));
    buffer.count = MacroActionLimit;
    EXPECT_EQ(std::pair(buffer.InsertAction({0x07, 1, 10}), buffer.count), std::pair(false, MacroActionLimit));
}

// Opens with every macro and none selected, having asked the library once whether it sees the
// desktop; Add names the new macro after the count (with a suffix when taken) and saves the store.
TEST_F(MacroEditorTest, OpensWithNoneSelectedAndAddNamesAfterTheCount)
{
    const QString third = Text("add_macro_text") + QLatin1Char('3');
    SetMacros(MakeMacro(third, {{0x04, kPress, 50}}), MakeMacro(QStringLiteral("Jump"), {}));
    Open();
    EXPECT_EQ(std::tuple(MacroRows()->count(), MacroRows()->item(1)->text(), MacroRows()->currentRow(), ActionList()->count(),
                         editor->CurrentMacroIndex(), PanelPage()), std::tuple(2, QStringLiteral("Jump"), -1, 0, -1, 0));
    EXPECT_TRUE(Control("ms_1_macro_name_tab")->isVisible() && !Control("ms_1_macro_mouse_event_tab")->isVisible());
    EXPECT_EQ(g_hookCalls, (Calls{"installhook", "removehook"}));  // nothing left installed

    Click("ms_1_macro_add_btn");
    ASSERT_EQ(MacroCount(), 3);
    EXPECT_EQ(std::tuple(MacroName(Stored(2)), Shown("ms_1_macro_name_edit")), std::tuple(third + "_1", third + "_1"));
    EXPECT_EQ(std::tuple(MacroRows()->count(), MacroRows()->currentRow(), editor->CurrentMacroIndex()), std::tuple(3, 2, 2));
    EXPECT_EQ(QFileInfo(dataDir.filePath(QStringLiteral("ms_1/macro.data"))).size(), 3 * 240);
}

TEST_F(MacroEditorTest, RowsShowKeyActionAndDelayAndTheLastAlways10)
{
    SetMacros(MakeMacro(QStringLiteral("M"), {{0x04, kPress, 120}, {0xF1, kRelease, 300}, {0x05, kPress, 999}}));
    OpenOn(0);
    const auto row = [&](int r) { return QStringList{RowText(r, "key"), RowText(r, "action"), RowText(r, "delay")}; };
    ASSERT_EQ(ActionList()->count(), 3);  // the last row's delay is 10 whatever the slot holds
    EXPECT_EQ(std::tuple(row(0), row(1), row(2)[2]), std::tuple(QStringList{"A", Text("key_down_action"), "120"},
                                                                 QStringList{Text("L_Button"), Text("key_up_action"), "300"}, "10"));
    EXPECT_EQ(ActionList()->item(2)->data(Qt::AccessibleTextRole).toString(),  // read out as one sentence
              Text("acc_macro_action_row_text").arg(QStringLiteral("B"), Text("key_down_action")).arg(10));

    // The last action moves up: both rows follow the rule.
    EXPECT_EQ(ActionList()->currentRow(), 2);
    Click("ms_1_macro_up_btn");
    EXPECT_EQ(std::pair(row(1), row(2)), std::pair(QStringList{"B", Text("key_down_action"), "999"},
                                                   QStringList{Text("L_Button"), Text("key_up_action"), "10"}));
    EXPECT_EQ(std::tuple(ActionList()->currentRow(), int(Stored(0).actions[1].key_code)), std::tuple(1, 0x05));

    // Deleting a row selects the one in its place, or before it at the end; nothing moves below the last.
    Click("ms_1_macro_delete_action_btn");
    EXPECT_EQ(std::tuple(ActionsOf(Stored(0)), ActionList()->count(), ActionList()->currentRow(), RowText(1, "delay")),
              std::tuple(Actions{{0x04, kPress, 120}, {0xF1, kRelease, 300}}, 2, 1, QStringLiteral("10")));
    Click("ms_1_macro_delete_action_btn");
    EXPECT_EQ(std::tuple(ActionList()->currentRow(), RowText(0, "delay")), std::tuple(0, QStringLiteral("10")));
    Click("ms_1_macro_down_btn");
    EXPECT_EQ(ActionsOf(Stored(0)), (Actions{{0x04, kPress, 120}}));
    Click("ms_1_macro_clear_action_btn");
    EXPECT_EQ(std::tuple(Stored(0).action_count, ActionList()->count(), editor->Actions().selected), std::tuple(0, 0, -1));
}

// One out-of-range value per delay field (MacroActionBufferRules tables the clamp). An action's
// field commits to the action and its row; the last action's field shows 10, stays shut and
// changes nothing.
TEST_F(MacroEditorTest, DelayFieldsCommitTheClampedValue)
{
    SetMacros(MakeMacro(QStringLiteral("Keys"), {{0x04, kPress, 100}, {0x04, kRelease, 100}, {0x05, kPress, 100}}),
              MakeMacro(QStringLiteral("Mouse"), {{0xF1, kPress, 100}, {0xF1, kRelease, 100}}));
    struct Typed { const char* field; int macro, action; const char* typed; const char* shown; int stored; };
    const char *const kKey = "ms_1_macro_delay_edit", *const kMouse = "ms_1_macro_mouseaction_delay_edit";
    const Typed kTyped[] = {{kKey, 0, 1, "70000", "65535", 65535}, {kKey, 0, 2, "500", "10", 100},
                            {kMouse, 1, 0, "3", "10", 10}, {kMouse, 1, 1, "500", "10", 100},
                            {"ms_1_default_delay_edit", -1, -1, "70000", "65535", -1}};
    for (const Typed& t : kTyped) {
        SCOPED_TRACE(std::string(t.field) + " " + t.typed);
        t.macro < 0 ? Open() : OpenOn(t.macro, t.action);
        EXPECT_EQ(PanelPage(), t.macro + 1);  // key actions on page 1, mouse actions on page 2
        const bool last = t.macro >= 0 && t.action == Stored(t.macro).action_count - 1;
        EXPECT_EQ(Control(t.field)->isEnabled(), !last);
        if (last) {
            EXPECT_EQ(Shown(t.field), QStringLiteral("10"));
            Control<QLineEdit>(t.field)->setText(QLatin1String(t.typed)), editor->PaintManager().SendNotify(Control(t.field), NotifyType::kKillFocus);
        } else {
            TypeAndLeave(t.field, QLatin1String(t.typed));
            EXPECT_EQ(Shown(t.field), QLatin1String(t.shown));
        }
        EXPECT_TRUE(t.macro < 0 || std::pair(RowText(t.action, "delay"), int(Stored(t.macro).actions[t.action].delay_ms)) ==
                                       std::pair(QString(last ? "10" : t.shown), t.stored));
    }
}

TEST_F(MacroEditorTest, MouseActionTakesItsButtonFromTheComboAndSaveClosesThePanel)
{
    SetMacros(MakeMacro(QStringLiteral("M"), {{0xF1, kPress, 40}, {0xF1, kRelease, 10}}));
    OpenOn(0, 0);
    auto* combo = Control<QComboBox>("ms_1_macro_mouse_action_combo");
    EXPECT_EQ(std::tuple(combo->currentIndex(), combo->itemText(3)), std::tuple(0, Text("Forward_Button")));
    for (const auto& [item, code, name] : {std::tuple(4, 244, "Backward_Button"), {3, 245, "Forward_Button"}}) {
        combo->setCurrentIndex(item), ProcessPending();
        EXPECT_EQ(std::tuple(int(Stored(0).actions[0].key_code), RowText(0, "key")), std::tuple(code, Text(name)));
    }
    // Save and Cancel close the panel; without a selected action it stays shut.
    const auto shut = [&] { return PanelPage() == 0 && !Control<QCheckBox>("ms_1_macro_action_edit_check")->isChecked(); };
    Click("ms_1_macro_save_btn");
    EXPECT_TRUE(shut());
    Check("ms_1_macro_action_edit_check"), Click("ms_1_macro_cancel_btn");
    EXPECT_TRUE(shut());
    SelectAction(-1), Check("ms_1_macro_action_edit_check");
    EXPECT_TRUE(shut());
}

TEST_F(MacroEditorTest, RenameIgnoresLetterCaseRefusesUsedAndBlankNamesAndKeeps23Characters)
{
    SetMacros(MakeMacro(QStringLiteral("Macro1"), {{0x04, kPress, 10}}), MakeMacro(QStringLiteral("Other"), {}));
    OpenOn(0);
    EXPECT_EQ(std::tuple(Shown("ms_1_macro_name_edit"), Control<QLineEdit>("ms_1_macro_name_edit")->maxLength()),
              std::tuple(QStringLiteral("Macro1"), 23));
    struct Renamed { const char* typed; const char* kept; bool saved; };
    const Renamed kRenamed[] = {{"macro1", "Macro1", false}, {"OTHER", "Macro1", false}, {"   ", "Macro1", false},
                                {"A name far longer than the record holds", "A name far longer than", true},  // cut, then cleaned
                                {" Tab\tbed\n", "Tabbed", true}};
    for (const Renamed& r : kRenamed) {
        const int before = saves;
        TypeAndLeave("ms_1_macro_name_edit", QLatin1String(r.typed));
        const QString kept = QLatin1String(r.kept);
        EXPECT_EQ(std::tuple(MacroName(Stored(0)), MacroRows()->item(0)->text(), Shown("ms_1_macro_name_edit"), saves > before),
                  std::tuple(kept, kept, kept, r.saved)) << r.typed;
    }
    MacroList reread;
    LoadMacroStore(reread, DataFolder());
    EXPECT_EQ(std::pair(reread.size(), MacroName(*reread.at(0))), std::pair(size_t(2), QStringLiteral("Tabbed")));
}

TEST_F(MacroEditorTest, ClickInsertionTakesTheDelayModeAndNeedsTwoFreeSlots)
{
    SetMacros(MakeMacro(QStringLiteral("M"), {{0x04, kPress, 77}, {0x04, kRelease, 10}}), MakeLongMacro(45, 0),
              MakeLongMacro(44, 0));
    OpenOn(0);
    SelectAction(-1), Click("ms_1_record_delay_btn");  // inserts at the top
    Check("ms_1_macro_insert_mouse_btn");
    EXPECT_TRUE(Control("ms_1_macro_mouse_event_tab")->isVisible() && !Control("ms_1_macro_name_tab")->isVisible());
    Click("ms_1_macro_key2_btn");
    EXPECT_EQ(ActionsOf(Stored(0)), (Actions{{242, 1, 10}, {242, 2, 10}, {4, 1, 77}, {4, 2, 10}}));
    EXPECT_EQ(ActionList()->currentRow(), 1);  // the inserted release

    // The default delay mode gives both the field's delay; button 4 is the forward button.
    Click("ms_1_default_delay_btn");
    TypeAndLeave("ms_1_default_delay_edit", QStringLiteral("50"));
    SelectAction(3), Click("ms_1_macro_key4_btn");
    const Actions after = ActionsOf(Stored(0));
    ASSERT_EQ(after.size(), 6u);
    EXPECT_EQ(std::tuple(after[4], after[5]), std::tuple(Action{245, 1, 50}, Action{245, 2, 50}));
    for (const auto& [macro, count] : {std::pair{1, 45}, std::pair{2, 46}}) {  // 46 actions at most
        SelectMacro(macro), Click("ms_1_macro_key1_btn");
        EXPECT_EQ(std::pair(int(Stored(macro).action_count), ActionList()->count()), std::pair(count, count)) << macro;
    }
}

TEST_F(MacroEditorTest, DeletingAMacroAsksAndSelectsTheOneBefore)
{
    SetMacros(MakeMacro(QStringLiteral("One"), {{4, kPress, 10}}), MakeMacro(QStringLiteral("Two"), {{5, kPress, 10}}));
    OpenOn(1);
    {
        BoxAnswers cancel(false);
        Click("ms_1_macro_delete_btn");
        EXPECT_EQ(std::tuple(cancel.texts, MacroCount()), std::tuple(QStringList{Text("delete_macro_text")}, 2));
    }
    BoxAnswers ok;
    Click("ms_1_macro_delete_btn");
    ASSERT_EQ(MacroCount(), 1);
    EXPECT_EQ(std::tuple(MacroRows()->currentRow(), editor->CurrentMacroIndex(), RowText(0, "key")), std::tuple(0, 0, QStringLiteral("A")));
    // The only macro: nothing is current afterwards, the store is empty and clear or click insertion do nothing.
    Click("ms_1_macro_delete_btn");
    EXPECT_EQ(std::tuple(MacroCount(), MacroRows()->count(), editor->CurrentMacroIndex(), ActionList()->count(), editor->Actions().count,
                         editor->Actions().selected, Shown("ms_1_macro_name_edit")), std::tuple(0, 0, -1, 0, 0, -1, QString()));
    const QFileInfo store(dataDir.filePath(QStringLiteral("ms_1/macro.data")));
    EXPECT_EQ(std::tuple(store.exists(), store.size()), std::tuple(true, 0));
    Click("ms_1_macro_clear_action_btn"), Click("ms_1_macro_key1_btn");
    EXPECT_EQ(MacroCount(), 0);
}

TEST_F(MacroEditorTest, AnEditPastFortySevenStepsIsUndoneAndTheUserIsTold)
{
    SetMacros(MakeLongMacro(40, 7));  // 7 long delays take two steps each: 47 steps, the most
    OpenOn(0, 20);
    BoxAnswers ok;
    TypeAndLeave("ms_1_macro_delay_edit", QStringLiteral("2000"));  // an eighth long delay: 48 steps
    EXPECT_EQ(std::tuple(ok.texts, Stored(0).actions[20].delay_ms, editor->Actions().actions[20].delay_ms, RowText(20, "delay"),
                         MacroStepCount(Stored(0))), std::tuple(QStringList{Text("save_macro_text")}, 10, 10, QStringLiteral("10"), 47));
    SelectAction(20);  // a change within the limit is kept (the panel is still open)
    TypeAndLeave("ms_1_macro_delay_edit", QStringLiteral("1280"));
    EXPECT_EQ(std::tuple(Stored(0).actions[20].delay_ms, ok.texts.size()), std::tuple(1280, 1));
}

TEST_F(MacroEditorTest, KeyCaptureStoresTheKeyByItsUsageAndTakesTheHookDownAfter)
{
    SetMacros(MakeMacro(QStringLiteral("M"), {{0x04, kPress, 10}, {0x04, kRelease, 10}}));
    OpenOn(0, 0);
    g_hookCalls.clear();
    Focus(Control("ms_1_macro_action_edit"));
    EXPECT_EQ(g_hookCalls, (Calls{"installhook", "enablehook(1)"}));
    HookPost(0xA0, 0);  // left Shift going down
    EXPECT_EQ(std::tuple(ActionsOf(Stored(0))[0], Shown("ms_1_macro_action_edit"), RowText(0, "key")),
              std::tuple(Action{0xE1, kPress, 10}, Text("key_LShift"), Text("key_LShift")));
    HookPost(0xAD, 1);  // volume mute has no row: code 0, no name
    EXPECT_EQ(std::pair(int(Stored(0).actions[0].key_code), Shown("ms_1_macro_action_edit")), std::pair(0, QString()));
    g_hookCalls.clear(), Focus(MacroRows());
    EXPECT_EQ(g_hookCalls, (Calls{"removehook", "enablehook(0)"}));
    Input(0x41, 0);  // a stray message after the capture ended changes nothing
    EXPECT_EQ(Stored(0).actions[0].key_code, 0);
}

// Export writes the macro as it is stored, Import reads it back as a suffixed copy and refuses a
// damaged file with a message (the file format's own rules are tested with the store).
TEST_F(MacroEditorTest, ExportAndImportGoThroughAFileAndADamagedOneIsRefused)
{
    SetMacros(MakeMacro(QStringLiteral("Combo"), {{0x04, kPress, 30}, {0xF2, kRelease, 10}}));
    OpenOn(0);
    QString path = dataDir.filePath(QStringLiteral("combo.macro"));
    SetFileDialogScript([&](const FileDialogRequest&) { return path; });
    const auto click = [this](const char* button) { Click(button), BackgroundQueue::Files().WaitForDone(), ProcessPending(); };
    click("ms_1_macro_export_btn");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const MacroRecord exported = Stored(0);
    EXPECT_EQ(file.readAll(), QByteArray(reinterpret_cast<const char*>(&exported), sizeof exported));
    file.close();
    click("ms_1_macro_import_btn");
    ASSERT_EQ(MacroCount(), 2);
    EXPECT_EQ(std::tuple(MacroName(Stored(1)), ActionsOf(Stored(1)), MacroRows()->item(1)->text(), MacroRows()->currentRow()),
              std::tuple("Combo_1", ActionsOf(exported), QStringLiteral("Combo_1"), 1));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(100, '\0')), file.close();  // shorter than a macro
    BoxAnswers ok;
    click("ms_1_macro_import_btn");
    EXPECT_EQ(std::tuple(ok.texts, MacroCount(), MacroRows()->count()), std::tuple(QStringList{Text("import_bad_macro_text")}, 2, 2));
    path = DataFolder() + "ms_1/macro.data", ok.texts.clear();  // the store itself is never an export's target
    const auto stored = [&] { session->FlushSaves(), file.setFileName(path), file.open(QIODevice::ReadOnly); return file.readAll(); };
    const QByteArray before = stored();
    file.close(), click("ms_1_macro_export_btn"), SetFileDialogScript({});
    EXPECT_EQ(std::tuple(ok.texts, stored()), std::tuple(QStringList{Text("store_file_text")}, before));
}

// Escape closes, but is a key to record while recording. Closing while recording keeps the recording
// and takes every hook down, none left enabled. Without a hook library, or with one that cannot see the
// desktop (a Wayland session), the window records its own keys and clicks, and says so.
TEST_F(MacroEditorTest, EscapeClosesAndWithoutGlobalCaptureTheWindowRecordsItsOwnInput)
{
    for (const int library : {-1, 0, 1}) {  // -1: a library that sees the desktop
        SCOPED_TRACE(library);
        ResetHook(library < 0);
        SetMacros(MakeMacro(QStringLiteral("M"), {}));
        Open(library != 0);
        EXPECT_EQ(std::tuple(editor->CaptureIsGlobal(), Control("ms_1_macro_record_btn")->toolTip()),
                  std::tuple(library < 0, Text(library < 0 ? "record_global_text" : "record_window_only_text")));
        const auto escape = [&] { QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, {}); QApplication::sendEvent(editor->GetHWND(), &key); };
        SelectMacro(0), Click("ms_1_record_delay_btn"), Check("ms_1_macro_record_btn");
        escape();  // recorded, not a way out
        ASSERT_TRUE(editor->IsWindow());
        if (library < 0) {
            Input(0x41, 0), g_hookCalls.clear(), Click("btn_exit");
            EXPECT_EQ(std::tuple(editor->IsWindow(), editor->Recorder().IsRecording(), int(Stored(0).action_count)),
                      std::tuple(false, false, 1));
            EXPECT_EQ(g_hookCalls, kAllDown);
            continue;
        }
        QWindow* window = editor->GetHWND()->windowHandle();
        const auto send = [&](std::uint64_t afterMs, QEvent&& event) { clock.now += afterMs, QApplication::sendEvent(window, &event), ProcessPending(); };
        const QPointF in(20, 300);  // B pressed and released, then a right click inside the window
        send(0, QKeyEvent(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("b")));
        send(120, QKeyEvent(QEvent::KeyRelease, Qt::Key_B, Qt::NoModifier, QStringLiteral("b")));
        const QPointF at = window->mapToGlobal(in);
        send(40, QMouseEvent(QEvent::MouseButtonPress, in, at, Qt::RightButton, Qt::RightButton, {}));
        send(60, QMouseEvent(QEvent::MouseButtonRelease, in, at, Qt::RightButton, Qt::NoButton, {}));
        Check("ms_1_macro_record_btn");
        send(0, QKeyEvent(QEvent::KeyPress, Qt::Key_C, Qt::NoModifier, QStringLiteral("c")));  // stopped: not recorded
        EXPECT_EQ(ActionsOf(Stored(0)), (Actions{{5, 1, 120}, {5, 2, 40}, {242, 1, 60}, {242, 2, 10}}));
        escape();  // not recording: Escape closes
        EXPECT_FALSE(editor->IsWindow());
    }
}

}  // namespace
