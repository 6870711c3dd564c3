// The profile list through its real controls: switching, adding, deleting, renaming, resetting,
// exporting and importing, with the profile-name dialog and the message boxes answered by script.
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <memory>
#include <semaphore>

#include "app/settings/profile_name_wnd.h"
#include "core/profile/profile_file.h"
#include "core/storage/profile_store.h"
#include "page_window_fixture.h"
#include "ui/file_dialogs.h"

namespace {

constexpr int kRecordBytes = 32976;
constexpr int kStoreHeaderBytes = 164884;  // the first record follows the store header

class ProfileListTest : public PageWindowTest {
protected:
    void TearDown() override
    {
        SetFileDialogScript({});
        PageWindowTest::TearDown();
    }
    void AddProfile(const QString& name)
    {
        ModalScript script;
        script.EnterName(name);
        Click(QStringLiteral("ms_1_profile_add_btn"));
        EXPECT_TRUE(script.Done());
    }
    // Runs the button with the next file dialog answered by the path; returns the message texts.
    QStringList WithFile(const char* button, const QString& path)
    {
        SetFileDialogScript([this, path](const FileDialogRequest& request) {
            lastRequest = request;
            return path;
        });
        ModalScript script;
        script.Click("btn_ok");
        Click(QLatin1String(button));
        FinishFileJobs();
        return script.texts;
    }
    FileDialogRequest lastRequest;
};

TEST_F(ProfileListTest, StartShowsTheStoredProfileAndTheFirstClickSwitches)
{
    EXPECT_EQ(std::tuple(ListRows(), List()->currentRow()), std::tuple(QStringList{"Profile1"}, 0));
    AddProfile(QStringLiteral("Second"));
    Reopen(true);  // a new start over the same store: the user's first choice is not swallowed
    EXPECT_EQ(ListRows(), (QStringList{"Profile1", "Second"}));
    EXPECT_EQ(List()->currentRow(), CurrentIndex());
    const int other = 1 - CurrentIndex();
    List()->setCurrentRow(other);
    EXPECT_EQ(CurrentIndex(), other);
}

TEST_F(ProfileListTest, AddAppendsADefaultProfileUnderTheTypedNameAndMakesItCurrent)
{
    Session().Locked([](ProfileSession::State& s) { s.Current().dpi_value[0] = 77; });
    ModalScript script;
    script.Then([](WindowImplBase& dialog) {
        auto* edit = dialog.PaintManager().FindControl<QLineEdit>(QStringLiteral("edit_name"));
        edit->setText(QString(150, QLatin1Char('x')));  // longer names cannot be entered
        EXPECT_EQ(edit->text().size(), CMS_1_ProfileName::kMaxNameLength);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);  // Enter accepts
        QCoreApplication::sendEvent(edit, &enter);
    });
    Click(QStringLiteral("ms_1_profile_add_btn"));
    const QString name(99, QLatin1Char('x'));
    EXPECT_EQ(std::tuple(ListRows(), List()->currentRow(), CurrentIndex()), std::tuple(QStringList{"Profile1", name}, 1, 1));
    EXPECT_EQ(Current().dpi_value[0], 20);  // defaults, not a copy of the other profile
    EXPECT_EQ(TextOf(QStringLiteral("ms_1_edit_dpi_1")), QStringLiteral("800"));
}

// Each refused name is told, the dialog stays open for another try (here a cancel), and nothing changes.
TEST_F(ProfileListTest, BlankAndUsedNamesAreRefusedInAnyLetterCase)
{
    const struct {
        const char *button, *typed, *says;
    } kRefused[] = {{"ms_1_profile_rename_btn", "PROFILE1", "This name is already in use."},
                    {"ms_1_profile_add_btn", "profile1", "This name is already in use."},
                    {"ms_1_profile_add_btn", "   ", "Please enter a name."}};
    for (const auto& row : kRefused) {
        SCOPED_TRACE(row.typed);
        ModalScript script;
        script
            .Then([&](WindowImplBase& dialog) {
                SetControlText(dialog.PaintManager().FindControl(QStringLiteral("edit_name")), QLatin1String(row.typed));
                ClickControl(dialog, QStringLiteral("btn_ok"));  // refused: the next step answers the warning
                EXPECT_TRUE(dialog.IsWindow());
                ClickControl(dialog, QStringLiteral("btn_cancel"));
            })
            .Click("btn_ok");
        Click(QLatin1String(row.button));
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(script.texts, QStringList{QLatin1String(row.says)});
        EXPECT_EQ(ProfileNames(), QStringList{"Profile1"});
    }
}

TEST_F(ProfileListTest, DeleteAsksSelectsTheNeighbourAndKeepsTheLastProfile)
{
    AddProfile(QStringLiteral("B"));
    AddProfile(QStringLiteral("C"));
    const auto remove = [this](const char* answer) {
        ModalScript script;
        script.Click(answer);
        Click(QStringLiteral("ms_1_profile_delete_btn"));
        return script.texts;
    };
    EXPECT_EQ(remove("btn_cancel"), QStringList{"Delete this profile?"});
    EXPECT_EQ(std::tuple(ProfileNames(), CurrentIndex()), std::tuple(QStringList{"Profile1", "B", "C"}, 2));
    remove("btn_ok");  // the last of three: position one is selected
    EXPECT_EQ(std::tuple(ListRows(), List()->currentRow(), CurrentIndex()), std::tuple(QStringList{"Profile1", "B"}, 1, 1));
    List()->setCurrentRow(0);
    remove("btn_ok");  // the first: position zero
    EXPECT_EQ(std::tuple(ListRows(), List()->currentRow(), ProfileName(Current())), std::tuple(QStringList{"B"}, 0, QStringLiteral("B")));
    EXPECT_EQ(remove("btn_ok"), QStringList{"The last profile cannot be deleted."});
    EXPECT_EQ(ProfileNames(), QStringList{"B"});
    FinishStoreWrites();
    ProfileList stored;
    auto header = std::make_unique<StoreHeader>();
    LoadProfileStore(stored, *header, DataFolder());
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(ProfileName(*stored[0]), QStringLiteral("B"));
}

TEST_F(ProfileListTest, RenameChangesTheRowAndSavesAtOnce)
{
    ModalScript script;
    script.EnterName(QStringLiteral("  Evening  "));
    Click(QStringLiteral("ms_1_profile_rename_btn"));
    EXPECT_EQ(ListRows(), QStringList{"Evening"});
    FinishStoreWrites();
    const QByteArray store = FileBytes(DataFolder() + QStringLiteral("ms_1/pro.data"));
    ASSERT_GT(store.size(), kStoreHeaderBytes + 16);
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t*>(store.constData() + kStoreHeaderBytes), 8),
              QStringLiteral("Evening") + QChar(0));
}

TEST_F(ProfileListTest, ResetKeepsTheNameAndRestoresTheRest)
{
    Session().Locked([](ProfileSession::State& s) {
        s.Current().dpi_value[2] = 99;
        s.Current().move_mode = 1;
    });
    ModalScript script;
    script.Click("btn_ok");
    Click(QStringLiteral("ms_1_profile_reset_btn"));
    EXPECT_EQ(script.texts, QStringList{"Restore this profile's default settings?"});
    EXPECT_EQ(std::tuple(ProfileName(Current()), Current().dpi_value[2], Current().move_mode), std::tuple(QStringLiteral("Profile1"), 40, 1));
    EXPECT_EQ(TextOf(QStringLiteral("ms_1_edit_dpi_3")), QStringLiteral("1600"));
}

TEST_F(ProfileListTest, ExportWritesExactlyOneRecordOrSaysWhyNot)
{
    const QString path = TempPath(QStringLiteral("mine.pro"));
    EXPECT_EQ(WithFile("ms_1_profile_export_btn", path), QStringList{});
    EXPECT_EQ(std::tuple(lastRequest.kind, lastRequest.filter, lastRequest.defaultSuffix, lastRequest.suggestedName),
              std::tuple(FileDialogRequest::Kind::Save, QStringLiteral("Profile File (*.pro *.PRO)"), QStringLiteral("pro"),
                         QStringLiteral("Profile1.pro")));
    const ProfileRecord current = Current();
    EXPECT_EQ(FileBytes(path), QByteArray(reinterpret_cast<const char*>(&current), kRecordBytes));
    EXPECT_EQ(WithFile("ms_1_profile_export_btn", TempPath(QStringLiteral("no/such/folder/mine.pro"))),
              QStringList{"The profile file cannot be written. Choose another folder or name."});
    EXPECT_EQ(lastRequest.initialFolder, QFileInfo(path).absolutePath());  // where the last file went
    EXPECT_EQ(WithFile("ms_1_profile_export_btn", QString()), QStringList{});  // cancelled
    EXPECT_EQ(WithFile("ms_1_profile_import_btn", QString()), QStringList{});
    // Neither store is ever a target or a source, however the path is spelled.
    Session().FlushSaves();
    const auto stores = [this] { return FileBytes(DataFolder() + "ms_1/pro.data") + '|' + FileBytes(DataFolder() + "ms_1/macro.data"); };
    const QByteArray before = stores();
    for (const auto& [button, store] : {std::pair{"ms_1_profile_export_btn", "ms_1/pro.data"},
                                        {"ms_1_profile_export_btn", "ms_1/../ms_1/macro.data"}, {"ms_1_profile_import_btn", "ms_1/pro.data"}}) {
        EXPECT_EQ(WithFile(button, DataFolder() + store), QStringList{LangText("store_file_text")}) << store;
    }
    Session().FlushSaves();
    EXPECT_EQ(std::pair(stores(), ProfileNames()), std::pair(before, QStringList{"Profile1"}));
}

TEST_F(ProfileListTest, ImportOfAnExistingNameTakesTheNextFreeSuffixAndBecomesCurrent)
{
    const QString path = TempPath(QStringLiteral("copy.pro"));
    auto record = CreateProfile(QStringLiteral("profile1"));
    record->dpi_value[0] = 33;
    ASSERT_FALSE(WriteProfileFile(path, DataFolder(), *record));
    WithFile("ms_1_profile_import_btn", path);
    EXPECT_EQ(lastRequest.kind, FileDialogRequest::Kind::Open);
    EXPECT_EQ(std::tuple(ListRows(), CurrentIndex(), List()->currentRow(), Current().dpi_value[0]),
              std::tuple(QStringList{"Profile1", "profile1_1"}, 1, 1, 33));
    WithFile("ms_1_profile_import_btn", path);
    EXPECT_EQ(ProfileNames().last(), QStringLiteral("profile1_2"));
}

TEST_F(ProfileListTest, DamagedOrMissingFilesAreRefusedWithAMessage)
{
    const struct { const char* file; int size; char fill; QString says; } kRefused[] = {
        {"noend.pro", kRecordBytes, 'A',  // a name without its terminating zero
         QStringLiteral("This file is not a profile: it is not exactly one profile long or its name is damaged. Nothing was imported.")},
        {"missing.pro", -1, 0, QStringLiteral("The profile file cannot be read. Nothing was imported.")}};
    for (const auto& row : kRefused) {
        SCOPED_TRACE(row.file);
        QFile file(TempPath(QLatin1String(row.file)));
        if (row.size >= 0) {
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(row.size, row.fill));
            file.close();
        }
        EXPECT_EQ(WithFile("ms_1_profile_import_btn", file.fileName()), QStringList{row.says});
        EXPECT_EQ(ProfileNames(), QStringList{"Profile1"});
    }
    // While the file queue is full (files on a share that does not answer), more file work is refused at once.
    // Shared with the queue's pieces: they may still wait on it after this test has returned.
    const auto held = std::make_shared<std::counting_semaphore<>>(0);
    int taken = 0;
    while (BackgroundQueue::Files().Run([held] { held->acquire(); }))
        ++taken;
    SetFileDialogScript([this](const FileDialogRequest&) { return TempPath(QStringLiteral("any.pro")); });
    ModalScript script;
    script.Click("btn_ok");
    Click(QStringLiteral("ms_1_profile_import_btn"));
    held->release(taken);
    EXPECT_EQ(std::pair(script.texts, taken), std::pair(QStringList{LangText("import_failed_text")}, 8));
}

}  // namespace
