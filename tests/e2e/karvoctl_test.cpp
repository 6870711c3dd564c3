// Drives the real karvoctl program against data folders made for each case.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <functional>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

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

// The stores' bytes and the store folder's entries, to show that a refused command changed nothing.
struct StoreSnapshot {
    QStringList entries;
    QByteArray profiles;
    QByteArray macros;

    static StoreSnapshot Of(const TempDataFolder& folder)
    {
        StoreSnapshot snapshot;
        snapshot.entries = QDir(folder.path() + QStringLiteral("ms_1"))
                               .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        for (auto [name, bytes] : {std::pair{"pro.data", &snapshot.profiles}, std::pair{"macro.data", &snapshot.macros}}) {
            QFile file(folder.storeFile(name));
            if (QFileInfo(file).isFile() && file.open(QIODevice::ReadOnly))
                *bytes = file.readAll();
        }
        return snapshot;
    }
    bool operator==(const StoreSnapshot&) const = default;
};

// A profile with two macro-bound buttons, as a *.pro file.
QString ProfileWithMacros(const TempDataFolder& folder)
{
    auto record = CreateProfile(QStringLiteral("Macros"));
    for (int button : {4, 5}) {
        record->buttons[button].function = 17;
        WriteNameField(record->buttons[button].macro_name, QStringLiteral("Combo"));
        record->buttons[button].macro_action_count = 2;
    }
    const QString file = folder.file(QStringLiteral("macros.pro"));
    WriteFileBytes(file, BytesOf(*record));
    return file;
}

// A file size limit karvoctl inherits: a store larger than it cannot be written, as on a full disk.
CtlRun KarvoctlWithFileSizeLimit(const TempDataFolder& folder, const QStringList& arguments, rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
    const CtlRun run = Karvoctl(folder, arguments);
    setrlimit(RLIMIT_FSIZE, &saved);
    return run;
}

TEST(Karvoctl, ImportWhoseProfileSaveFailsLeavesBothStoresAsTheyWere)
{
    TempDataFolder folder;
    ASSERT_EQ(Karvoctl(folder, {QStringLiteral("list")}).exitCode, 0);
    const QString file = ProfileWithMacros(folder);
    const StoreSnapshot before = StoreSnapshot::Of(folder);

    // macro.data (480 bytes) fits, pro.data (two profiles) does not.
    const CtlRun run = KarvoctlWithFileSizeLimit(folder, {QStringLiteral("import-profile"), file}, 200000);
    ExpectRefused(run);
    EXPECT_TRUE(run.err.contains(QStringLiteral("pro.data"))) << run.err.toStdString();
    EXPECT_EQ(StoreSnapshot::Of(folder), before);
    EXPECT_FALSE(QFileInfo::exists(folder.storeFile("macro.data")));

    // With earlier macros the macro store gets its previous bytes back.
    auto macro = CreateMacro(QStringLiteral("Old"));
    WriteFileBytes(folder.storeFile("macro.data"), QByteArray(reinterpret_cast<const char*>(macro.get()), 240));
    const StoreSnapshot withMacros = StoreSnapshot::Of(folder);
    ExpectRefused(KarvoctlWithFileSizeLimit(folder, {QStringLiteral("import-profile"), file}, 200000));
    EXPECT_EQ(StoreSnapshot::Of(folder), withMacros);
}

TEST(Karvoctl, StoresThatCannotBeReadAreReportedAndLeftAlone)
{
    struct Case {
        const char* name;
        const char* store;
        std::function<void(const QString&)> make;
    };
    const auto loop = [](const QString& path) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        ASSERT_TRUE(QFile::link(path + QStringLiteral(".loop"), path));
        ASSERT_TRUE(QFile::link(path, path + QStringLiteral(".loop")));
    };
    const auto folderInPlace = [](const QString& path) { ASSERT_TRUE(QDir().mkpath(path)); };
    const auto ioError = [](const QString& path) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/mem"), path));
    };
    const auto noPermission = [](const QString& path) {
        WriteFileBytes(path, QByteArray(10, 'x'));
        QFile::setPermissions(path, {});
    };
    std::vector<Case> cases = {
        {"pro.data loop", "pro.data", loop},         {"pro.data folder", "pro.data", folderInPlace},
        {"pro.data io", "pro.data", ioError},        {"macro.data loop", "macro.data", loop},
        {"macro.data folder", "macro.data", folderInPlace},
    };
    if (::geteuid() != 0)
        cases.push_back({"pro.data permission", "pro.data", noPermission});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDataFolder folder;
        if (QLatin1String(c.store) == QLatin1String("macro.data")) {
            ASSERT_EQ(Karvoctl(folder, {QStringLiteral("list")}).exitCode, 0);
        }
        c.make(folder.storeFile(c.store));
        const QString file = ProfileWithMacros(folder);
        const StoreSnapshot before = StoreSnapshot::Of(folder);
        const QStringList command = QLatin1String(c.store) == QLatin1String("pro.data")
                                        ? QStringList{QStringLiteral("list")}
                                        : QStringList{QStringLiteral("macros")};
        for (const QStringList& arguments : {command, QStringList{QStringLiteral("import-profile"), file}}) {
            const CtlRun run = Karvoctl(folder, arguments);
            ExpectRefused(run);
            EXPECT_TRUE(run.err.contains(QStringLiteral("cannot read ") + QLatin1String(c.store)))
                << run.err.toStdString();
            EXPECT_EQ(StoreSnapshot::Of(folder), before);
        }
    }
}

// The system does not hold root to file permissions, so as root karvoctl runs as nobody here.
CtlRun KarvoctlWithoutPrivileges(const QStringList& arguments)
{
    if (::geteuid() != 0)
        return Karvoctl(arguments);
    QProcess process;
    process.start(QStringLiteral("setpriv"), QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                                         QStringLiteral("--clear-groups"), QStringLiteral(KARVOCTL_PATH)}
                                                 + arguments);
    EXPECT_TRUE(process.waitForFinished(30000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

TEST(Karvoctl, StoreWithoutReadPermissionIsReportedAndLeftAlone)
{
    TempDataFolder folder;
    ASSERT_EQ(Karvoctl(folder, {QStringLiteral("list")}).exitCode, 0);
    const QString storeFolder = folder.path() + QStringLiteral("ms_1");
    const QFileDevice::Permissions everyone = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                              | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther
                                              | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup;
    ASSERT_TRUE(QFile::setPermissions(folder.path(), everyone));
    // Anyone may write the folder: a store taken for a damaged one would be moved and replaced.
    ASSERT_TRUE(QFile::setPermissions(storeFolder, everyone));
    ASSERT_TRUE(QFile::setPermissions(folder.storeFile("pro.data"), {}));
    const QStringList before = QDir(storeFolder).entryList(QDir::Files);

    const CtlRun run = KarvoctlWithoutPrivileges({QStringLiteral("--data-dir"), folder.path(), QStringLiteral("list")});
    ExpectRefused(run);
    EXPECT_TRUE(run.err.contains(QStringLiteral("cannot read pro.data"))) << run.err.toStdString();
    EXPECT_EQ(QDir(storeFolder).entryList(QDir::Files), before);
    ASSERT_TRUE(QFile::setPermissions(folder.storeFile("pro.data"), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_EQ(ReadFileBytes(folder.storeFile("pro.data")).size(), 197860);
}

TEST(Karvoctl, ImportStopsAtAnUnreadableMacroStoreBeforeMakingAProfileStore)
{
    TempDataFolder folder;
    ASSERT_TRUE(QDir().mkpath(folder.storeFile("macro.data")));
    const CtlRun run = Karvoctl(folder, {QStringLiteral("import-profile"), ProfileWithMacros(folder)});
    ExpectRefused(run);
    EXPECT_FALSE(QFileInfo::exists(folder.storeFile("pro.data")));
    EXPECT_TRUE(QFileInfo(folder.storeFile("macro.data")).isDir());
}

TEST(Karvoctl, StoresAreNeverExportTargetsNorImportSources)
{
    TempDataFolder folder;
    ASSERT_EQ(Karvoctl(folder, {QStringLiteral("list")}).exitCode, 0);
    const QString hardLink = folder.file(QStringLiteral("hard.pro"));
    ASSERT_EQ(::link(QFile::encodeName(folder.storeFile("pro.data")).constData(),
                     QFile::encodeName(hardLink).constData()),
              0);
    const QString softLink = folder.file(QStringLiteral("soft.pro"));
    ASSERT_TRUE(QFile::link(folder.storeFile("pro.data"), softLink));
    const QString toMacros = folder.file(QStringLiteral("to-macros.macro"));
    ASSERT_TRUE(QFile::link(folder.storeFile("macro.data"), toMacros));  // not there yet
    const QString spelled = folder.path() + QStringLiteral("ms_1/../ms_1/./pro.data");

    const QList<QStringList> refused = {
        {QStringLiteral("export-profile"), QStringLiteral("0"), folder.storeFile("pro.data")},
        {QStringLiteral("export-profile"), QStringLiteral("0"), spelled},
        {QStringLiteral("export-profile"), QStringLiteral("0"), hardLink},
        {QStringLiteral("export-profile"), QStringLiteral("0"), softLink},
        {QStringLiteral("export-profile"), QStringLiteral("0"), folder.storeFile("macro.data")},
        {QStringLiteral("export-profile"), QStringLiteral("0"), toMacros},
        {QStringLiteral("import-profile"), folder.storeFile("pro.data")},
        {QStringLiteral("import-profile"), hardLink},
    };
    const StoreSnapshot before = StoreSnapshot::Of(folder);
    for (const QStringList& arguments : refused) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        const CtlRun run = Karvoctl(folder, arguments);
        ExpectRefused(run);
        EXPECT_TRUE(run.err.contains(QStringLiteral("one of the stores"))) << run.err.toStdString();
        EXPECT_EQ(StoreSnapshot::Of(folder), before);
    }
    EXPECT_FALSE(QFileInfo::exists(folder.storeFile("macro.data")));

    auto macro = CreateMacro(QStringLiteral("Only"));
    WriteFileBytes(folder.storeFile("macro.data"), QByteArray(reinterpret_cast<const char*>(macro.get()), 240));
    const StoreSnapshot withMacro = StoreSnapshot::Of(folder);
    for (const QStringList& arguments :
         {QStringList{QStringLiteral("export-macro"), QStringLiteral("0"), folder.storeFile("macro.data")},
          QStringList{QStringLiteral("export-macro"), QStringLiteral("0"), toMacros},
          QStringList{QStringLiteral("export-macro"), QStringLiteral("0"), folder.storeFile("pro.data")},
          QStringList{QStringLiteral("import-macro"), folder.storeFile("macro.data")},
          QStringList{QStringLiteral("import-macro"), toMacros}}) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        ExpectRefused(Karvoctl(folder, arguments));
        EXPECT_EQ(StoreSnapshot::Of(folder), withMacro);
    }
}

TEST(Karvoctl, IndexesArePlainDecimalDigits)
{
    TempDataFolder folder;
    ASSERT_EQ(Karvoctl(folder, {QStringLiteral("list")}).exitCode, 0);
    ASSERT_EQ(Karvoctl(folder, {QStringLiteral("import-profile"), ProfileWithMacros(folder)}).exitCode, 0);
    EXPECT_EQ(Karvoctl(folder, {QStringLiteral("show"), QStringLiteral("1")}).exitCode, 0);
    EXPECT_EQ(Karvoctl(folder, {QStringLiteral("show"), QStringLiteral("01")}).exitCode, 0);
    for (const QString& index : {QStringLiteral(" 1"), QStringLiteral("1 "), QStringLiteral("+1"),
                                 QStringLiteral("\t1"), QStringLiteral("0x1"), QStringLiteral("1e0"),
                                 QString(QChar(0x0661)), QStringLiteral("")}) {
        SCOPED_TRACE(index.toStdString());
        const CtlRun run = Karvoctl(folder, {QStringLiteral("show"), index});
        ExpectRefused(run);
        EXPECT_TRUE(run.err.contains(QStringLiteral("is not an index"))) << run.err.toStdString();
    }
}

TEST(Karvoctl, DataFolderThatDoesNotExistIsNamedSo)
{
    TempDataFolder folder;
    const CtlRun run =
        Karvoctl({QStringLiteral("--data-dir"), folder.file(QStringLiteral("missing")), QStringLiteral("list")});
    ExpectRefused(run);
    EXPECT_TRUE(run.err.contains(QStringLiteral("does not exist"))) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("missing"))));

    WriteFileBytes(folder.file(QStringLiteral("plain")), "a file");
    const CtlRun notFolder =
        Karvoctl({QStringLiteral("--data-dir"), folder.file(QStringLiteral("plain")), QStringLiteral("list")});
    ExpectRefused(notFolder);
    EXPECT_TRUE(notFolder.err.contains(QStringLiteral("is not a folder"))) << notFolder.err.toStdString();
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
