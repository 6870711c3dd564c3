// The installed tree and the Debian package: the program folder with its skins and the real
// driver libraries, the launcher and karvoctl, the udev rule, and desktop files that validate.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

constexpr int kWaitMs = 120000;

struct ToolRun {
    int exitCode = -1;
    QString out;
};

ToolRun RunTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(kWaitMs))
        return {-1, QStringLiteral("%1 did not finish").arg(program)};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
}

// Files every installation carries, relative to the prefix.
const QStringList kExpected = {
    "bin/karvo-gaming-mouse",
    "bin/karvoctl",
    "lib/karvo-gaming-mouse/karvo",
    "lib/karvo-gaming-mouse/hiddriver_1.so",
    "lib/karvo-gaming-mouse/hiddriver_2.so",
    "lib/karvo-gaming-mouse/res/main.xml",
    "lib/karvo-gaming-mouse/res/lan.xml",
    "lib/karvo-gaming-mouse/res/traymenu.xml",
    "lib/karvo-gaming-mouse/res/light.qss",
    "lib/udev/rules.d/70-karvo-gaming-mouse.rules",
    "share/applications/karvo-gaming-mouse.desktop",
    "share/metainfo/org.karvo.GamingMouse.metainfo.xml",
    "share/icons/hicolor/scalable/apps/karvo-gaming-mouse.svg",
    "share/icons/hicolor/48x48/apps/karvo-gaming-mouse.png",
    "share/icons/hicolor/256x256/apps/karvo-gaming-mouse.png",
    "share/man/man1/karvo-gaming-mouse.1",
    "share/man/man1/karvoctl.1",
    "share/dbus-1/interfaces/org.karvo.GamingMouse.xml",
};

QStringList TreeOf(const QString& root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(root).relativeFilePath(it.next());
    files.sort();
    return files;
}

void ExpectValidDesktopFiles(const QString& prefix)
{
    const QString desktopValidator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    const QString appstream = QStandardPaths::findExecutable(QStringLiteral("appstreamcli"));
    if (desktopValidator.isEmpty() || appstream.isEmpty())
        GTEST_FAIL() << "desktop-file-validate and appstreamcli are needed (scripts/setup installs them)";
    ToolRun run = RunTool(desktopValidator, {prefix + QStringLiteral("/share/applications/karvo-gaming-mouse.desktop")});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
    EXPECT_TRUE(run.out.trimmed().isEmpty()) << run.out.toStdString();
    run = RunTool(appstream, {QStringLiteral("validate"), QStringLiteral("--no-net"),
                              prefix + QStringLiteral("/share/metainfo/org.karvo.GamingMouse.metainfo.xml")});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
}

TEST(Install, TreeHoldsTheProgramFolderAndTheDesktopFiles)
{
    QTemporaryDir prefix;
    const ToolRun install = RunTool(QStringLiteral(KARVO_CMAKE_COMMAND),
                                    {QStringLiteral("--install"), QStringLiteral(KARVO_BINARY_DIR),
                                     QStringLiteral("--prefix"), prefix.path()});
    ASSERT_EQ(install.exitCode, 0) << install.out.toStdString();
    const QStringList tree = TreeOf(prefix.path());
    for (const QString& file : kExpected)
        EXPECT_TRUE(tree.contains(file)) << file.toStdString();
    // The emulated mouse is for the demo folder and tests, never installed.
    EXPECT_TRUE(tree.filter(QStringLiteral("sim")).isEmpty()) << tree.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(QFileInfo(prefix.filePath(QStringLiteral("bin/karvo-gaming-mouse"))).isExecutable());
    EXPECT_TRUE(QFileInfo(prefix.filePath(QStringLiteral("bin/karvoctl"))).isExecutable());

    QFile rule(prefix.filePath(QStringLiteral("lib/udev/rules.d/70-karvo-gaming-mouse.rules")));
    ASSERT_TRUE(rule.open(QIODevice::ReadOnly));
    const QString rules = QString::fromUtf8(rule.readAll());
    for (const char* product : {"fa61", "fa60"}) {
        EXPECT_TRUE(rules.contains(QStringLiteral(
            "SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"1d57\", ATTRS{idProduct}==\"%1\", TAG+=\"uaccess\"")
                                       .arg(QLatin1String(product))))
            << product;
    }
    ExpectValidDesktopFiles(prefix.path());

    // The installed karvoctl runs from anywhere.
    QTemporaryDir data;
    const ToolRun list = RunTool(prefix.filePath(QStringLiteral("bin/karvoctl")),
                                 {QStringLiteral("--data-dir"), data.path(), QStringLiteral("list")});
    EXPECT_EQ(list.exitCode, 0) << list.out.toStdString();
}

TEST(Install, DebianPackageCarriesTheSameWithItsDependencies)
{
    if (QStandardPaths::findExecutable(QStringLiteral("dpkg-deb")).isEmpty())
        GTEST_SKIP() << "dpkg-deb is not installed";
    QTemporaryDir out;
    const ToolRun pack = RunTool(QStringLiteral(KARVO_CPACK_COMMAND),
                                 {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), out.path(),
                                  QStringLiteral("--config"), QStringLiteral(KARVO_BINARY_DIR "/CPackConfig.cmake")});
    ASSERT_EQ(pack.exitCode, 0) << pack.out.toStdString();
    const QStringList packages = QDir(out.path()).entryList({QStringLiteral("*.deb")}, QDir::Files);
    ASSERT_EQ(packages.size(), 1) << pack.out.toStdString();
    const QString deb = out.filePath(packages.first());

    const ToolRun contents = RunTool(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), deb});
    ASSERT_EQ(contents.exitCode, 0);
    for (const QString& file : kExpected)
        EXPECT_TRUE(contents.out.contains(QStringLiteral(" ./usr/") + file + QLatin1Char('\n'))
                    || contents.out.contains(QStringLiteral(" ./usr/") + file + QLatin1Char(' ')))
            << file.toStdString();
    EXPECT_FALSE(contents.out.contains(QLatin1String("simmouse")));

    const ToolRun depends = RunTool(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), deb, QStringLiteral("Depends")});
    for (const char* package : {"libqt6widgets6", "libqt6dbus6", "libqt6uitools6", "libhidapi-hidraw0"})
        EXPECT_TRUE(depends.out.contains(QLatin1String(package))) << depends.out.toStdString();

    // What the package carries validates like the installed tree.
    QTemporaryDir root;
    ASSERT_EQ(RunTool(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), deb, root.path()}).exitCode, 0);
    ExpectValidDesktopFiles(root.path() + QStringLiteral("/usr"));
}

}  // namespace
