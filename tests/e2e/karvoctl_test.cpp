// Drives the real karvoctl program against data folders made for each case, with no utility
// running (its session bus is one that does not exist).
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <sys/stat.h>
#include <unistd.h>

#include "core/macro/macro_record.h"
#include "core/profile/profile_record.h"
#include "core/text/name_field.h"
#include "support/test_files.h"
#include "support/wait.h"

namespace {

template <typename Record>
QByteArray BytesOf(const Record& record) { return QByteArray(reinterpret_cast<const char*>(&record), sizeof record); }

// "@x" in an argument is x in the data folder. The data folder is given unless the arguments name one.
ToolRun Karvoctl(const TempDataFolder& folder, QStringList arguments) {
    arguments.replaceInStrings(QRegularExpression(QStringLiteral("^@")), folder.path());
    if (arguments.value(0) != QLatin1String("--data-dir"))
        arguments = QStringList{"--data-dir", folder.path()} + arguments;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + folder.file("no-bus"));
    return RunTool(QStringLiteral(KARVOCTL_PATH), arguments, env);
}

// Refused: exit 2 and one "karvoctl: " line on stderr that says why.
void ExpectRefused(const ToolRun& run, const char* says) {
    EXPECT_EQ(run.exitCode, 2) << run.out.toStdString();
    EXPECT_EQ(run.err.count(u'\n'), 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("karvoctl: ")) && run.err.contains(QLatin1String(says))) << run.err.toStdString();
}

// Every entry under the data folder with its bytes (none for a folder), to show that a refusal changed nothing.
using StoreSnapshot = QMap<QString, QByteArray>;
StoreSnapshot SnapshotOf(const TempDataFolder& folder) {
    StoreSnapshot snapshot;
    const auto all = QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot;
    for (QDirIterator it(folder.path(), all, QDirIterator::Subdirectories); it.hasNext();) {
        QFile file(it.next());
        snapshot[file.fileName()] = it.fileInfo().isFile() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    return snapshot;
}

// A profile with two buttons bound to a two-action macro "Combo" and crafted DPI values, as a *.pro file.
QString ProfileWithMacros(const TempDataFolder& folder) {
    auto record = CreateProfile(QStringLiteral("Macros"));
    std::copy_n(std::begin({INT32_MAX, INT32_MIN, -1}), 3, record->dpi_value);
    for (int button : {4, 5}) {
        record->buttons[button].function = 17;
        WriteNameField(record->buttons[button].macro_name, QStringLiteral("Combo"));
        record->buttons[button].macro_action_count = 2;
    }
    WriteFileBytes(folder.file("macros.pro"), BytesOf(*record));
    return folder.file("macros.pro");
}

struct Step {
    QStringList args;
    QStringList says;  // parts of what it prints
};
// One session on one folder, in order; each step succeeds and says nothing on stderr. The first
// list makes the default store.
const Step kSession[] = {
    {{"list"}, {"0\tProfile1\t*\n"}}, {{"macros"}, {"0\tBurst\t2\t3\n"}},  // a delay of 2000 ms takes two steps
    {{"show"}, {"name: Profile1", "  2: 1200 DPI on #00FF00 (current)", "  7: 0 DPI off #FF4000", "polling rate: 500 Hz",
                "colour: #FFFFFF", "  9: function 44 ms_1_show_desktop", "  11: function 0 ms_1_button_off"}},
    {{"export-profile", "0", "@mine.pro"}, {"exported profile 0 (Profile1)"}},
    {{"import-profile", "@mine.pro"}, {"imported as profile 1 (Profile1_1)\n"}},  // no macros to bring along
    {{"import-profile", "@macros.pro"}, {"imported as profile 2 (Macros) with 2 macro(s)"}},
    {{"list"}, {"0\tProfile1\n1\tProfile1_1\n2\tMacros\t*\n"}},
    {{"macros"}, {"0\tBurst\t2\t3\n1\tCombo\t2\t2\n2\tCombo_1\t2\t2\n"}}, {{"show", "01"}, {"index: 1\n"}},
    {{"show", "2"}, {"  1: 85899345880 DPI", "  2: -85899345920 DPI", "  3: -40 DPI"}},  // the stored value times 40, exactly
    {{"reports", "0"}, {"04 38 01 08 08 3f 30 30 15 1f 2a 3f 2a 3f 00 00 ",  // a full send, in order
                        "\n05 0f 01 73 03 08 ff ff ff 01 01 00 00 00 00\n06 09 01 02 00 00 00 00 00\n08 3b 01 02 00 00 03 00 00 "}},
    {{"switch", "profile1"}, {"profile 0 (Profile1) is now current in the store"}},  // by name, any letter case
    {{"switch", "1"}, {"profile 1 (Profile1_1) is now current"}},
    {{"apply"}, {"the utility is not running: nothing was sent to the mouse and the store is unchanged"}},
    {{"status"}, {"utility: not running\n"}}, {{"list"}, {"0\tProfile1\n1\tProfile1_1\t*\n2\tMacros\n"}},
    {{"rules", "add", "steam_app_*", "macros"}, {"saved in"}}, {{"rules", "add", "game.x86_64", "Profile1_1", "running"}, {"saved in"}},
    {{"rules", "default", "profile1"}, {"saved in"}}, {{"rules", "remove", "STEAM_APP_*"}, {"saved in"}},
    {{"rules", "list"}, {"game.x86_64\trunning\tProfile1_1\ndefault: Profile1\n"}},
    {{"rules", "default", "none"}, {"saved in"}}, {{"rules", "list"}, {"default: none\n"}},
    {{"export-macro", "0", "@burst.macro"}, {"exported macro 0 (Burst)"}},
    {{"import-macro", "@burst.macro"}, {"imported as macro 3 (Burst_1)"}},
    {{"--help"}, {"list", "show [INDEX]", "export-profile INDEX FILE", "import-profile FILE", "--data-dir", "switch NAME|INDEX", "rules add APP PROFILE"}},
};

TEST(Karvoctl, ASessionOfCommandsDoesWhatEachSays) {
    TempDataFolder folder;
    auto macro = CreateMacro(QStringLiteral("Burst"));
    macro->action_count = 2;
    macro->actions[0] = {4, 1, 2000};
    WriteFileBytes(folder.storeFile("macro.data"), BytesOf(*macro));
    ProfileWithMacros(folder);
    for (const Step& step : kSession) {
        SCOPED_TRACE(step.args.join(u' ').toStdString());
        const ToolRun run = Karvoctl(folder, step.args);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.err, QString());
        for (const QString& part : step.says)
            EXPECT_TRUE(run.out.contains(part)) << part.toStdString() << " in\n" << run.out.toStdString();
    }
    EXPECT_EQ(QFileInfo(folder.file("mine.pro")).size(), 32976);
    EXPECT_EQ(QFileInfo(folder.file("burst.macro")).size(), 240);
}

struct Refusal {
    QStringList args;  // "@" = the data folder
    const char* says;
};
const Refusal kRefused[] = {
    {{}, "no command given"}, {{"frobnicate"}, "unknown command 'frobnicate'"}, {{"--frobnicate", "list"}, "frobnicate"},
    {{"list", "extra"}, "usage: karvoctl [--data-dir DIR] list"}, {{"apply", "now"}, "usage"},
    {{"switch"}, "usage: karvoctl [--data-dir DIR] switch NAME|INDEX"}, {{"switch", "5"}, "index 5 is out of range"},
    {{"show", "1"}, "index 1 is out of range: there are 1 profiles (0..0)"}, {{"switch", "No Such"}, "no profile is named 'No Such'"},
    {{"export-profile", "3", "@x.pro"}, "out of range"}, {{"export-macro", "0", "@x.macro"}, "there are no macros"},
    {{"show", "-1"}, "is not an index"}, {{"show", "one"}, "is not an index"}, {{"show", " 1"}, "is not an index"},
    {{"show", "1 "}, "is not an index"}, {{"show", "+1"}, "is not an index"}, {{"show", "\t1"}, "is not an index"},
    {{"show", "0x1"}, "is not an index"}, {{"show", "1e0"}, "is not an index"}, {{"show", "\u0661"}, "is not an index"},
    {{"show", ""}, "is not an index"}, {{"import-profile", "@absent.pro"}, "cannot read"},
    {{"import-profile", "@short.pro"}, "it holds 32975 bytes, a profile needs 32976"},
    {{"import-profile", "@tiny.pro"}, "it holds 100 bytes"}, {{"import-macro", "@short.macro"}, "it holds 239 bytes, a macro needs 240"},
    {{"import-profile", "@long.pro"}, "it holds 32977 bytes"}, {{"import-profile", "@pipe.pro"}, "it is not a regular file"},
    {{"import-macro", "@ms_1"}, "it is not a regular file"},
    {{"import-profile", "@name.pro"}, "its profile name has no terminator"},
    {{"export-profile", "0", "@no/such/dir/x.pro"}, "cannot write"},
    {{"export-profile", "0", "@ms_1/pro.data"}, "is one of the stores; it cannot be exported to"},
    {{"export-profile", "0", "@hard.pro"}, "one of the stores"},  // other spellings of a store are the core's to tell
    {{"export-profile", "0", "@ms_1/macro.data"}, "one of the stores"},  // macro.data is not there yet
    {{"import-profile", "@ms_1/pro.data"}, "is one of the stores; it cannot be imported"},
    {{"--data-dir", "@missing", "list"}, "does not exist"}, {{"--data-dir", "@tiny.pro", "list"}, "is not a folder"},
    {{"--data-dir", "@blocked", "list"}, "cannot write pro.data"},  // its ms_1 is a file
    {{"rules"}, "rules takes list, add APP PROFILE [running]"}, {{"rules", "add", "x", "Profile1", "sometimes"}, "rules takes"},
    {{"rules", "add", "x", "No Such"}, "no profile is named 'No Such'"}, {{"rules", "remove", "x"}, "no rule for 'x'"},
    {{"rules", "add", " ", "Profile1"}, "a rule needs an application"},
};
// With a macro in macro.data.
const Refusal kRefusedWithAMacro[] = {
    {{"export-macro", "1", "@x.macro"}, "index 1 is out of range: there are 1 macros (0..0)"}, {{"import-macro", "@bad.macro"}, "action"},
    {{"export-macro", "0", "@ms_1/macro.data"}, "one of the stores"}, {{"export-macro", "0", "@ms_1/pro.data"}, "one of the stores"},
    {{"import-macro", "@ms_1/macro.data"}, "one of the stores"}, {{"export-macro", "0", "@pipe.pro"}, "it is not a regular file"},
};

class KarvoctlFolder : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Karvoctl(folder, {"list"}).exitCode, 0);
        WriteFileBytes(folder.file("short.pro"), QByteArray(32975, '\0'));
        WriteFileBytes(folder.file("tiny.pro"), QByteArray(100, '\0'));
        WriteFileBytes(folder.file("long.pro"), QByteArray(32977, '\0'));
        ASSERT_EQ(::mkfifo(QFile::encodeName(folder.file("pipe.pro")).constData(), 0600), 0);
        WriteFileBytes(folder.file("short.macro"), QByteArray(239, '\0'));
        WriteFileBytes(folder.file("blocked/ms_1"), "a file where the store folder belongs");
        auto unterminated = CreateProfile(QString());
        std::fill(std::begin(unterminated->name), std::end(unterminated->name), u'x');
        WriteFileBytes(folder.file("name.pro"), BytesOf(*unterminated));
        auto bad = CreateMacro(QStringLiteral("Bad"));
        bad->action_count = 47;
        WriteFileBytes(folder.file("bad.macro"), BytesOf(*bad));
        ASSERT_EQ(::link(QFile::encodeName(folder.storeFile("pro.data")).constData(),
                         QFile::encodeName(folder.file("hard.pro")).constData()), 0);
    }
    template <std::size_t N>
    void ExpectRefusals(const Refusal (&rows)[N]) {
        const StoreSnapshot before = SnapshotOf(folder);
        for (const Refusal& row : rows) {
            SCOPED_TRACE(row.args.join(u' ').toStdString());
            ExpectRefused(Karvoctl(folder, row.args), row.says);
            EXPECT_EQ(SnapshotOf(folder), before);
        }
    }
    TempDataFolder folder;
};

TEST_F(KarvoctlFolder, RefusalsSayWhyOnOneLineAndChangeNothing) {
    ExpectRefusals(kRefused);
    WriteFileBytes(folder.storeFile("macro.data"), BytesOf(*CreateMacro(QStringLiteral("Only"))));
    ExpectRefusals(kRefusedWithAMacro);
}

// The kinds of unreadable store are the core's to tell apart; karvoctl names the store and leaves it.
TEST(Karvoctl, StoresThatCannotBeReadAreReportedAndLeftAlone) {
    for (const char* store : {"pro.data", "macro.data"}) {
        TempDataFolder folder;
        QDir().mkpath(folder.storeFile(store));  // a folder where the store belongs
        const QString file = ProfileWithMacros(folder);
        const StoreSnapshot before = SnapshotOf(folder);
        // Importing stops at an unreadable macro store before it makes a profile store.
        for (const QStringList& args : {QStringList{store == QLatin1String("pro.data") ? "list" : "macros"}, QStringList{"import-profile", file}}) {
            SCOPED_TRACE(args.join(u' ').toStdString());
            ExpectRefused(Karvoctl(folder, args), (QStringLiteral("cannot read ") + store).toUtf8().constData());
            EXPECT_EQ(SnapshotOf(folder), before);
        }
    }
}

}  // namespace
