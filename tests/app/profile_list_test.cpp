// The profile list through its real controls: switching, adding, deleting, renaming, resetting,
// exporting and importing, with the profile-name dialog and the message boxes answered by script.
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QThread>
#include <mutex>

#include "app/settings/profile_name_wnd.h"
#include "core/profile/profile_file.h"
#include "core/storage/macro_store.h"
#include "core/storage/store_files.h"
#include "core/text/name_field.h"
#include "page_window_fixture.h"
#include "ui/file_dialogs.h"
#include "ui/resource_manager.h"

namespace {

constexpr int kRecordBytes = 32976;

class ProfileListTest : public PageWindowTest {
protected:
    void TearDown() override
    {
        SetFileDialogScript({});
        PageWindowTest::TearDown();
    }

    void Click(const char* name) { ASSERT_TRUE(ClickControl(*window, QLatin1String(name))); }

    void AddProfile(const QString& name)
    {
        ModalScript script;
        script.EnterName(name);
        Click("ms_1_profile_add_btn");
        EXPECT_TRUE(script.Done());
    }

    // Answers the next file dialog with the path, noting what it was asked.
    void AnswerFileDialog(const QString& path)
    {
        SetFileDialogScript([this, path](const FileDialogRequest& request) {
            lastRequest = request;
            return path;
        });
    }

    FileDialogRequest lastRequest;
};

TEST_F(ProfileListTest, StartShowsTheStoredProfileAndTheFirstClickSwitches)
{
    EXPECT_EQ(ListRows(), QStringList{QStringLiteral("Profile1")});
    EXPECT_EQ(List()->currentRow(), 0);
    AddProfile(QStringLiteral("Second"));
    window.reset();

    // A new start over the same store: the user's first choice is not swallowed.
    window = std::make_unique<CMainWnd>();
    ASSERT_TRUE(window->Create(nullptr, CMainWnd::kStyle, 0, {0, 0, 800, 572}));
    ProcessPending();
    EXPECT_EQ(List()->currentRow(), CurrentIndex());
    const int other = 1 - CurrentIndex();
    List()->setCurrentRow(other);
    EXPECT_EQ(CurrentIndex(), other);
}

TEST_F(ProfileListTest, AddAppendsADefaultProfileAndMakesItCurrent)
{
    Session().Locked([](ProfileSession::State& s) { s.Current().dpi_value[0] = 77; });
    AddProfile(QStringLiteral("Sniper"));
    EXPECT_EQ(ListRows(), (QStringList{"Profile1", "Sniper"}));
    EXPECT_EQ(List()->currentRow(), 1);
    EXPECT_EQ(CurrentIndex(), 1);
    EXPECT_EQ(Current().dpi_value[0], 20);  // defaults, not a copy of the other profile
    EXPECT_EQ(ControlText(Control(QStringLiteral("ms_1_label_dpi_1"))), QStringLiteral("800"));
}

TEST_F(ProfileListTest, DeletingTheLastOfThreeSelectsPositionOneAndTheFirstSelectsZero)
{
    AddProfile(QStringLiteral("B"));
    AddProfile(QStringLiteral("C"));
    ASSERT_EQ(CurrentIndex(), 2);
    {
        ModalScript script;
        script.Click("btn_ok");
        Click("ms_1_profile_delete_btn");
        EXPECT_EQ(script.texts, QStringList{QStringLiteral("Delete this profile?")});
    }
    EXPECT_EQ(ListRows(), (QStringList{"Profile1", "B"}));
    EXPECT_EQ(List()->currentRow(), 1);
    EXPECT_EQ(CurrentIndex(), 1);

    List()->setCurrentRow(0);
    {
        ModalScript script;
        script.Click("btn_ok");
        Click("ms_1_profile_delete_btn");
    }
    EXPECT_EQ(ListRows(), QStringList{QStringLiteral("B")});
    EXPECT_EQ(List()->currentRow(), 0);
    EXPECT_EQ(ProfileName(Current()), QStringLiteral("B"));

    // The last one stays.
    ModalScript script;
    script.Click("btn_ok");
    Click("ms_1_profile_delete_btn");
    EXPECT_EQ(script.texts, QStringList{QStringLiteral("The last profile cannot be deleted.")});
    EXPECT_EQ(ProfileNames(), QStringList{QStringLiteral("B")});
}

TEST_F(ProfileListTest, CancelledDeleteChangesNothing)
{
    AddProfile(QStringLiteral("B"));
    ModalScript script;
    script.Click("btn_cancel");
    Click("ms_1_profile_delete_btn");
    EXPECT_EQ(ProfileNames(), (QStringList{"Profile1", "B"}));
    EXPECT_EQ(CurrentIndex(), 1);
}

TEST_F(ProfileListTest, RenameToTheOwnNameInAnotherCaseIsRefused)
{
    ModalScript script;
    // The warning comes while the dialog's own step runs; the dialog stays open for a cancel.
    script
        .Then([](WindowImplBase& dialog) {
            SetControlText(dialog.PaintManager().FindControl(QStringLiteral("edit_name")), QStringLiteral("PROFILE1"));
            ClickControl(dialog, QStringLiteral("btn_ok"));
            EXPECT_TRUE(dialog.IsWindow());
            ClickControl(dialog, QStringLiteral("btn_cancel"));
        })
        .Click("btn_ok");
    Click("ms_1_profile_rename_btn");
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(script.texts, QStringList{QStringLiteral("This name is already in use.")});
    EXPECT_EQ(ProfileNames(), QStringList{QStringLiteral("Profile1")});
}

TEST_F(ProfileListTest, RenameChangesTheRowAndSavesAtOnce)
{
    ModalScript script;
    script.EnterName(QStringLiteral("  Evening  "));
    Click("ms_1_profile_rename_btn");
    EXPECT_EQ(ListRows(), QStringList{QStringLiteral("Evening")});
    FinishStoreWrites();
    const QByteArray store = [this] {
        QFile file(DataFolder() + QStringLiteral("ms_1/pro.data"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    ASSERT_GT(store.size(), 164884 + 14);
    // The first record follows the store header.
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t*>(store.constData() + 164884), 7),
              QStringLiteral("Evening"));
}

TEST_F(ProfileListTest, EmptyNamesAreRefusedAndLongNamesCannotBeEntered)
{
    ModalScript script;
    script
        .Then([](WindowImplBase& dialog) {
            auto* edit = dialog.PaintManager().FindControl(QStringLiteral("edit_name"));
            SetControlText(edit, QStringLiteral("   "));
            ClickControl(dialog, QStringLiteral("btn_ok"));  // refused: the next step answers the warning
            ASSERT_TRUE(dialog.IsWindow());
            SetControlText(edit, QString(150, QLatin1Char('x')));
            EXPECT_EQ(ControlText(edit).size(), CMS_1_ProfileName::kMaxNameLength);
            ClickControl(dialog, QStringLiteral("btn_ok"));
        })
        .Click("btn_ok");
    Click("ms_1_profile_add_btn");
    EXPECT_EQ(script.texts, QStringList{QStringLiteral("Please enter a name.")});
    EXPECT_EQ(ProfileName(Current()), QString(99, QLatin1Char('x')));
}

TEST_F(ProfileListTest, EnterInTheNameEditAccepts)
{
    ModalScript script;
    script.Then([](WindowImplBase& dialog) {
        auto* edit = dialog.PaintManager().FindControl<QLineEdit>(QStringLiteral("edit_name"));
        ASSERT_TRUE(edit);
        edit->setText(QStringLiteral("Typed"));
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(edit, &enter);
    });
    Click("ms_1_profile_add_btn");
    EXPECT_EQ(ProfileNames(), (QStringList{"Profile1", "Typed"}));
}

TEST_F(ProfileListTest, ResetKeepsTheNameAndRestoresTheRest)
{
    Session().Locked([](ProfileSession::State& s) {
        s.Current().dpi_value[2] = 99;
        s.Current().move_mode = 1;
    });
    ModalScript script;
    script.Click("btn_ok");
    Click("ms_1_profile_reset_btn");
    EXPECT_EQ(script.texts, QStringList{QStringLiteral("Restore this profile's default settings?")});
    const ProfileRecord current = Current();
    EXPECT_EQ(ProfileName(current), QStringLiteral("Profile1"));
    EXPECT_EQ(current.dpi_value[2], 40);
    EXPECT_EQ(current.move_mode, 1);
    EXPECT_EQ(ControlText(Control(QStringLiteral("ms_1_label_dpi_3"))), QStringLiteral("1600"));
}

TEST_F(ProfileListTest, ExportWritesExactlyOneRecordUnderTheProfileFileFilter)
{
    const QString path = TempPath(QStringLiteral("mine.pro"));
    AnswerFileDialog(path);
    Click("ms_1_profile_export_btn");
    FinishFileJobs();
    EXPECT_EQ(lastRequest.kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(lastRequest.filter, QStringLiteral("Profile File (*.pro *.PRO)"));
    EXPECT_EQ(lastRequest.defaultSuffix, QStringLiteral("pro"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes.size(), kRecordBytes);
    const ProfileRecord current = Current();
    EXPECT_EQ(bytes, QByteArray(reinterpret_cast<const char*>(&current), kRecordBytes));
}

TEST_F(ProfileListTest, ExportThatCannotWriteSaysSo)
{
    AnswerFileDialog(TempPath(QStringLiteral("no/such/folder/mine.pro")));
    ModalScript script;
    script.Click("btn_ok");
    Click("ms_1_profile_export_btn");
    FinishFileJobs();
    EXPECT_EQ(script.texts, QStringList{QStringLiteral("The profile file cannot be written. Choose another folder or name.")});
}

TEST_F(ProfileListTest, ImportOfAnExistingNameAppendsASuffixAndBecomesCurrent)
{
    const QString path = TempPath(QStringLiteral("copy.pro"));
    auto record = CreateProfile(QStringLiteral("profile1"));
    record->dpi_value[0] = 33;
    ASSERT_TRUE(WriteProfileFile(path, *record));
    AnswerFileDialog(path);
    Click("ms_1_profile_import_btn");
    FinishFileJobs();
    EXPECT_EQ(lastRequest.kind, FileDialogRequest::Kind::Open);
    EXPECT_EQ(ListRows(), (QStringList{"Profile1", "profile1_1"}));
    EXPECT_EQ(CurrentIndex(), 1);
    EXPECT_EQ(List()->currentRow(), 1);
    EXPECT_EQ(Current().dpi_value[0], 33);

    // Again: the next free number.
    Click("ms_1_profile_import_btn");
    FinishFileJobs();
    EXPECT_EQ(ProfileNames().last(), QStringLiteral("profile1_2"));
}

TEST_F(ProfileListTest, ImportBringsTwoBoundMacrosAlongUnderFreeNames)
{
    Session().Locked([](ProfileSession::State& s) {
        auto macro = CreateMacro(QStringLiteral("Burst"));
        s.macros.push_back(std::move(macro));
    });
    const int macrosBefore = Session().Locked([](ProfileSession::State& s) { return int(s.macros.size()); });
    auto record = CreateProfile(QStringLiteral("Macro pro"));
    const char* names[2] = {"Burst", "Combo"};
    const int buttons[2] = {2, 5};
    for (int i = 0; i < 2; ++i) {
        ButtonRecord& button = record->buttons[buttons[i]];
        button.function = 17;
        WriteNameField(button.macro_name, QLatin1String(names[i]));
        button.macro_action_count = 2;
        button.macro_loop_count = 3;
        button.macro_actions[0] = {std::uint8_t(4 + i), 1, 10};
        button.macro_actions[1] = {std::uint8_t(4 + i), 2, 10};
    }
    const QString path = TempPath(QStringLiteral("macros.pro"));
    ASSERT_TRUE(WriteProfileFile(path, *record));
    AnswerFileDialog(path);
    Click("ms_1_profile_import_btn");
    FinishFileJobs();

    Session().Locked([&](ProfileSession::State& s) {
        ASSERT_EQ(int(s.macros.size()), macrosBefore + 2);
        const ProfileRecord& imported = s.Current();
        EXPECT_EQ(ProfileName(imported), QStringLiteral("Macro pro"));
        const QString expected[2] = {QStringLiteral("Burst_1"), QStringLiteral("Combo")};
        for (int i = 0; i < 2; ++i) {
            const ButtonRecord& button = imported.buttons[buttons[i]];
            ASSERT_GE(button.macro_index, 0);
            const MacroRecord& macro = *s.macros.at(button.macro_index);
            EXPECT_EQ(MacroName(macro), expected[i]);
            EXPECT_EQ(ReadNameField(button.macro_name), expected[i]);
            EXPECT_EQ(macro.action_count, 2);
            EXPECT_EQ(macro.actions[0].key_code, 4 + i);
        }
        EXPECT_NE(imported.buttons[2].macro_index, imported.buttons[5].macro_index);
    });

    // Both stores reach the disk: the macro store holds the new macros.
    FinishStoreWrites();
    MacroList saved;
    LoadMacroStore(saved, DataFolder());
    EXPECT_EQ(int(saved.size()), macrosBefore + 2);
}

TEST_F(ProfileListTest, ImportWithMacrosWritesTheMacroStoreBeforeTheProfileStore)
{
    QStringList order;
    std::mutex orderMutex;
    Session().Writer().SetWriteFunction([&](const QString& path, const QByteArray& bytes, QString*) {
        {
            std::lock_guard lock(orderMutex);
            order << QFileInfo(path).fileName();
        }
        return WriteFileAtomically(path, {QByteArrayView(bytes)});
    });
    auto record = CreateProfile(QStringLiteral("Macro pro"));
    record->buttons[3].function = 17;
    WriteNameField(record->buttons[3].macro_name, QLatin1String("Burst"));
    const QString path = TempPath(QStringLiteral("macro.pro"));
    ASSERT_TRUE(WriteProfileFile(path, *record));
    AnswerFileDialog(path);
    Click("ms_1_profile_import_btn");
    FinishFileJobs();
    FinishStoreWrites();
    EXPECT_EQ(order, (QStringList{"macro.data", "pro.data"}));
    MacroList saved;
    LoadMacroStore(saved, DataFolder());
    EXPECT_EQ(saved.size(), 1u);
}

TEST_F(ProfileListTest, ImportIsRefusedWhileAStoreCannotBeRead)
{
    const QString macroStore = DataFolder() + QStringLiteral("ms_1/macro.data");
    QFile::remove(macroStore);
    ASSERT_TRUE(QDir().mkpath(macroStore));  // a folder where the store belongs: it cannot be read
    const QString unreadable = CResourceManager::Instance().GetText(QStringLiteral("store_unreadable_text"));

    ModalScript script;
    script.Click("btn_ok").Click("btn_ok");
    Session().CheckStores();  // or the watch, whichever looks first: the news comes once
    const QDeadlineTimer deadline(20000);
    while (script.texts.isEmpty() && !deadline.hasExpired()) {
        ProcessPending();
        QThread::yieldCurrentThread();
    }
    ASSERT_EQ(script.texts, QStringList{unreadable});
    EXPECT_FALSE(Session().MacroStoreIsOurs());

    auto record = CreateProfile(QStringLiteral("Macro pro"));
    record->buttons[3].function = 17;
    const QString path = TempPath(QStringLiteral("macro.pro"));
    ASSERT_TRUE(WriteProfileFile(path, *record));
    AnswerFileDialog(path);
    Click("ms_1_profile_import_btn");
    FinishFileJobs();
    EXPECT_EQ(script.texts, (QStringList{unreadable, unreadable}));
    EXPECT_EQ(ProfileNames(), QStringList{QStringLiteral("Profile1")});
    FinishStoreWrites();
    EXPECT_TRUE(QFileInfo(macroStore).isDir());
    EXPECT_TRUE(QDir(macroStore).isEmpty());
    ASSERT_TRUE(QDir().rmdir(macroStore));
}

TEST_F(ProfileListTest, ShortOrUnterminatedFilesAreRefusedWithAMessage)
{
    const QString shortFile = TempPath(QStringLiteral("short.pro"));
    QFile file(shortFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(kRecordBytes - 1, '\0'));
    file.close();
    const QString unterminated = TempPath(QStringLiteral("noend.pro"));
    QFile other(unterminated);
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write(QByteArray(kRecordBytes, 'A'));
    other.close();

    for (const QString& path : {shortFile, unterminated}) {
        AnswerFileDialog(path);
        ModalScript script;
        script.Click("btn_ok");
        Click("ms_1_profile_import_btn");
        FinishFileJobs();
        EXPECT_EQ(script.texts, QStringList{QStringLiteral(
                                    "This file is not a profile: it is too short or its name is damaged. Nothing was imported.")})
            << path.toStdString();
    }
    EXPECT_EQ(ProfileNames(), QStringList{QStringLiteral("Profile1")});

    AnswerFileDialog(TempPath(QStringLiteral("missing.pro")));
    ModalScript script;
    script.Click("btn_ok");
    Click("ms_1_profile_import_btn");
    FinishFileJobs();
    EXPECT_EQ(script.texts, QStringList{QStringLiteral("The profile file cannot be read. Nothing was imported.")});
}

TEST_F(ProfileListTest, CancelledFileDialogsDoNothing)
{
    AnswerFileDialog(QString());
    Click("ms_1_profile_import_btn");
    Click("ms_1_profile_export_btn");
    FinishFileJobs();
    EXPECT_EQ(ProfileNames(), QStringList{QStringLiteral("Profile1")});
}

}  // namespace
