// Drives the real karvoctl program against data folders made for each case.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include "core/text/name_field.h"
#include "core/macro/macro_record.h"
#include "core/profile/profile_record.h"
#include "support/test_files.h"

namespace {

struct CtlRun {
    int exitCode = -1;
    QString out;
    QString err;
};

CtlRun Karvoctl(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(KARVOCTL_PATH), arguments);
    EXPECT_TRUE(process.waitForFinished(30000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

CtlRun Karvoctl(const TempDataFolder& folder, QStringList arguments)
{
    arguments.prepend(folder.path());
    arguments.prepend(QStringLiteral("--data-dir"));
    return Karvoctl(arguments);
}

QByteArray BytesOf(const ProfileRecord& record)
{
    return QByteArray(reinterpret_cast<const char*>(&record), sizeof record);
}

// One clear line on stderr, exit 2.
void ExpectRefused(const CtlRun& run)
{
    EXPECT_EQ(run.exitCode, 2) << run.out.toStdString();
    EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("karvoctl: "))) << run.err.toStdString();
}

TEST(Karvoctl, ListOnEmptyFolderCreatesDefaultStore)
{
    TempDataFolder folder;
    const CtlRun run = Karvoctl(folder, {QStringLiteral("list")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("0\tProfile1\t*\n"));

    const QByteArray store = ReadFileBytes(folder.storeFile("pro.data"));
    ASSERT_EQ(store.size(), 197860);
    EXPECT_EQ(store.left(164884), QByteArray(164884, '\0'));
    EXPECT_EQ(store.mid(164884), BytesOf(*CreateProfile(QStringLiteral("Profile1"))));
}

TEST(Karvoctl, ShowDescribesTheCurrentProfile)
{
    TempDataFolder folder;
    const CtlRun run = Karvoctl(folder, {QStringLiteral("show")});
    EXPECT_EQ(run.exitCode, 0);
    for (const char* line : {"name: Profile1", "  2: 1200 DPI on #00FF00 (current)", "  7: 0 DPI off #FF4000",
                             "polling rate: 500 Hz", "colour: #FFFFFF", "  9: function 44 ms_1_show_desktop",
                             "  11: function 0 ms_1_button_off"})
        EXPECT_TRUE(run.out.contains(QLatin1String(line))) << line << "\n" << run.out.toStdString();
}

TEST(Karvoctl, ExportThenImportAddsACurrentProfileWithUniqueName)
{
    TempDataFolder folder;
    const QString file = folder.file(QStringLiteral("mine.pro"));
    ASSERT_EQ(Karvoctl(folder, {QStringLiteral("export-profile"), QStringLiteral("0"), file}).exitCode, 0);
    EXPECT_EQ(QFileInfo(file).size(), 32976);

    const CtlRun imported = Karvoctl(folder, {QStringLiteral("import-profile"), file});
    EXPECT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    EXPECT_EQ(Karvoctl(folder, {QStringLiteral("list")}).out, QStringLiteral("0\tProfile1\n1\tProfile1_1\t*\n"));
    EXPECT_FALSE(QFileInfo::exists(folder.storeFile("macro.data")));  // no macros to bring along
}

TEST(Karvoctl, ImportBringsMacrosIntoMacroStore)
{
    TempDataFolder folder;
    auto record = CreateProfile(QStringLiteral("Macros"));
    for (int button : {4, 5}) {
        record->buttons[button].function = 17;
        WriteNameField(record->buttons[button].macro_name, QStringLiteral("Combo"));
        record->buttons[button].macro_action_count = 2;
    }
    const QString file = folder.file(QStringLiteral("macros.pro"));
    WriteFileBytes(file, BytesOf(*record));

    const CtlRun run = Karvoctl(folder, {QStringLiteral("import-profile"), file});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QByteArray macros = ReadFileBytes(folder.storeFile("macro.data"));
    ASSERT_EQ(macros.size(), 480);
    EXPECT_EQ(ReadNameField({reinterpret_cast<const char16_t*>(macros.constData() + 240), 24}),
              QStringLiteral("Combo_1"));
}

TEST(Karvoctl, BadInputIsRefusedAndChangesNoStore)
{
    TempDataFolder folder;
    ASSERT_EQ(Karvoctl(folder, {QStringLiteral("list")}).exitCode, 0);
    const QByteArray before = ReadFileBytes(folder.storeFile("pro.data"));

    const QString shortFile = folder.file(QStringLiteral("short.pro"));
    WriteFileBytes(shortFile, QByteArray(100, '\0'));
    auto unterminated = CreateProfile(QString());
    std::fill(std::begin(unterminated->name), std::end(unterminated->name), u'x');
    const QString nameFile = folder.file(QStringLiteral("name.pro"));
    WriteFileBytes(nameFile, BytesOf(*unterminated));

    const QList<QStringList> refused = {
        {QStringLiteral("import-profile"), shortFile},
        {QStringLiteral("import-profile"), nameFile},
        {QStringLiteral("import-profile"), folder.file(QStringLiteral("absent.pro"))},
        {QStringLiteral("show"), QStringLiteral("1")},
        {QStringLiteral("show"), QStringLiteral("-1")},
        {QStringLiteral("show"), QStringLiteral("one")},
        {QStringLiteral("export-profile"), QStringLiteral("3"), folder.file(QStringLiteral("x.pro"))},
        {QStringLiteral("export-profile"), QStringLiteral("0"), folder.file(QStringLiteral("no/such/dir/x.pro"))},
        {QStringLiteral("list"), QStringLiteral("extra")},
        {QStringLiteral("frobnicate")},
        {QStringLiteral("--frobnicate"), QStringLiteral("list")},
        {},
    };
    for (const QStringList& arguments : refused) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        ExpectRefused(Karvoctl(folder, arguments));
    }
    EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data")), before);
    EXPECT_EQ(QDir(folder.path() + QStringLiteral("ms_1")).entryList(QDir::Files), QStringList{"pro.data"});
}

TEST(Karvoctl, UnusableDataFolderIsRefused)
{
    TempDataFolder folder;
    ExpectRefused(Karvoctl({QStringLiteral("--data-dir"), folder.file(QStringLiteral("missing")),
                            QStringLiteral("list")}));

    WriteFileBytes(folder.file(QStringLiteral("ms_1")), "a file where the store folder belongs");
    const CtlRun run = Karvoctl(folder, {QStringLiteral("list")});
    ExpectRefused(run);
    EXPECT_TRUE(run.err.contains(QStringLiteral("cannot write"))) << run.err.toStdString();
}

TEST(Karvoctl, HelpExplainsEveryCommand)
{
    const CtlRun run = Karvoctl({QStringLiteral("--help")});
    EXPECT_EQ(run.exitCode, 0);
    for (const char* command : {"list", "show [INDEX]", "export-profile INDEX FILE", "import-profile FILE", "--data-dir"})
        EXPECT_TRUE(run.out.contains(QLatin1String(command))) << command;
}

}  // namespace

namespace {

TEST(KarvoctlDevice, ReportsOfFreshStore)
{
    TempDataFolder folder;
    const CtlRun run = Karvoctl(folder, {QStringLiteral("reports")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("04 38 01 08 08 3f 30 30 15 1f 2a 3f 2a 3f 00 00 ")));
    EXPECT_EQ(lines[0].split(QLatin1Char(' ')).size(), 56);
    EXPECT_EQ(lines[1], QStringLiteral("05 0f 01 73 03 08 ff ff ff 01 01 00 00 00 00"));
    EXPECT_EQ(lines[2], QStringLiteral("06 09 01 02 00 00 00 00 00"));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("08 3b 01 02 00 00 03 00 00")));
}

TEST(KarvoctlDevice, MacroExportImportAndRejects)
{
    TempDataFolder folder;
    auto macro = CreateMacro(QStringLiteral("Burst"));
    macro->action_count = 2;
    macro->actions[0] = {4, 1, 2000};
    WriteFileBytes(folder.storeFile("macro.data"),
                   QByteArray(reinterpret_cast<const char*>(macro.get()), sizeof(MacroRecord)));
    EXPECT_EQ(Karvoctl(folder, {QStringLiteral("macros")}).out, QStringLiteral("0\tBurst\t2\t3\n"));

    const QString file = folder.file(QStringLiteral("burst.macro"));
    ASSERT_EQ(Karvoctl(folder, {QStringLiteral("export-macro"), QStringLiteral("0"), file}).exitCode, 0);
    EXPECT_EQ(QFileInfo(file).size(), 240);
    ASSERT_EQ(Karvoctl(folder, {QStringLiteral("import-macro"), file}).exitCode, 0);
    EXPECT_EQ(Karvoctl(folder, {QStringLiteral("macros")}).out,
              QStringLiteral("0\tBurst\t2\t3\n1\tBurst_1\t2\t3\n"));

    const QByteArray before = ReadFileBytes(folder.storeFile("macro.data"));
    macro->action_count = 47;
    const QString bad = folder.file(QStringLiteral("bad.macro"));
    WriteFileBytes(bad, QByteArray(reinterpret_cast<const char*>(macro.get()), sizeof(MacroRecord)));
    ExpectRefused(Karvoctl(folder, {QStringLiteral("import-macro"), bad}));
    ExpectRefused(Karvoctl(folder, {QStringLiteral("export-macro"), QStringLiteral("2"), file}));
    EXPECT_EQ(ReadFileBytes(folder.storeFile("macro.data")), before);
}

// DPI is shown as the stored value times 40, whatever a crafted store holds.
TEST(Karvoctl, ShowOfExtremeDpiValuesGivesTheExactProduct)
{
    TempDataFolder folder;
    auto record = CreateProfile(QStringLiteral("Crafted"));
    record->dpi_value[0] = INT32_MAX;
    record->dpi_value[1] = INT32_MIN;
    record->dpi_value[2] = -1;
    WriteFileBytes(folder.storeFile("pro.data"), QByteArray(164884, '\0') + BytesOf(*record));
    const CtlRun run = Karvoctl(folder, {QStringLiteral("show")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    for (const char* line : {"  1: 85899345880 DPI", "  2: -85899345920 DPI", "  3: -40 DPI"})
        EXPECT_TRUE(run.out.contains(QLatin1String(line))) << line << "\n" << run.out.toStdString();
}

}  // namespace
