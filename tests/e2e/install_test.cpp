// The installed tree and the Debian package: the program folder with its skins and the real
// driver libraries, the launcher and karvoctl, the udev rule, and desktop files that validate.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "support/wait.h"

namespace {

// Files every installation carries, relative to the prefix; "@" is the program folder lib/karvo-gaming-mouse/.
const QStringList kExpected = {
    "bin/karvo-gaming-mouse", "bin/karvoctl", "@karvo", "@hiddriver_1.so", "@hiddriver_2.so", "@res/main.xml", "@res/lan.xml",
    "@res/traymenu.xml", "@res/dark.qss", "@res/light.qss", "lib/udev/rules.d/70-karvo-gaming-mouse.rules",
    "share/applications/karvo-gaming-mouse.desktop", "share/metainfo/org.karvo.GamingMouse.metainfo.xml",
    "share/icons/hicolor/scalable/apps/karvo-gaming-mouse.svg", "share/icons/hicolor/48x48/apps/karvo-gaming-mouse.png",
    "share/icons/hicolor/256x256/apps/karvo-gaming-mouse.png", "share/man/man1/karvo-gaming-mouse.1.gz",
    "share/man/man1/karvoctl.1.gz", "share/dbus-1/interfaces/org.karvo.GamingMouse.xml",
    "share/doc/karvo-gaming-mouse/copyright", "share/doc/karvo-gaming-mouse/changelog.gz", "@Hook.so"};

// What every installation holds and how it behaves, under prefix (an installed tree or an unpacked package).
void ExpectInstallation(const QString& prefix) {
    QStringList tree;
    for (QDirIterator it(prefix, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        tree << QDir(prefix).relativeFilePath(it.next());
    for (QString file : kExpected)
        EXPECT_TRUE(tree.contains(file.replace(u'@', QStringLiteral("lib/karvo-gaming-mouse/")))) << file.toStdString();
    // The emulated mouse is for the demo folder and tests, never installed.
    EXPECT_TRUE(tree.filter(QStringLiteral("sim")).isEmpty()) << tree.join(u'\n').toStdString();

    QFile rule(prefix + QStringLiteral("/lib/udev/rules.d/70-karvo-gaming-mouse.rules"));
    ASSERT_TRUE(rule.open(QIODevice::ReadOnly));
    const QString rules = QString::fromUtf8(rule.readAll());
    for (const char* product : {"fa61", "fa60"})
        EXPECT_TRUE(rules.contains(QStringLiteral("SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"1d57\", "
                                                  "ATTRS{idProduct}==\"%1\", TAG+=\"uaccess\"").arg(QLatin1String(product))))
            << product;

    // desktop-file-validate and appstreamcli come with scripts/setup; a missing one fails here.
    ToolRun run = RunTool("desktop-file-validate", {prefix + QStringLiteral("/share/applications/karvo-gaming-mouse.desktop")});
    EXPECT_EQ(std::pair(run.exitCode, (run.out + run.err).trimmed()), std::pair(0, QString()));
    run = RunTool("appstreamcli", {"validate", "--no-net", prefix + QStringLiteral("/share/metainfo/org.karvo.GamingMouse.metainfo.xml")});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();

    // The installed karvoctl runs from anywhere.
    QTemporaryDir data;
    run = RunTool(prefix + QStringLiteral("/bin/karvoctl"), {"--data-dir", data.path(), "list"});
    EXPECT_EQ(run.out, QStringLiteral("0\tProfile1\t*\n")) << run.err.toStdString();
}

TEST(Install, TheTreeHoldsTheProgramFolderTheRuleAndValidDesktopFiles) {
    QTemporaryDir prefix;
    const ToolRun install = RunTool(KARVO_CMAKE_COMMAND, {"--install", KARVO_BINARY_DIR, "--prefix", prefix.path()});
    ASSERT_EQ(install.exitCode, 0) << install.out.toStdString() << install.err.toStdString();
    EXPECT_TRUE(QFileInfo(prefix.filePath(QStringLiteral("bin/karvo-gaming-mouse"))).isExecutable());
    ExpectInstallation(prefix.path());
}

TEST(Install, TheDebianPackageCarriesTheSameWithItsDependencies) {
    if (QStandardPaths::findExecutable(QStringLiteral("dpkg-deb")).isEmpty())
        GTEST_SKIP() << "dpkg-deb is not installed";
    QTemporaryDir out;
    const ToolRun pack = RunTool(KARVO_CPACK_COMMAND, {"-G", "DEB", "-B", out.path(), "--config", KARVO_BINARY_DIR "/CPackConfig.cmake"});
    ASSERT_EQ(pack.exitCode, 0) << pack.out.toStdString() << pack.err.toStdString();
    const QStringList packages = QDir(out.path()).entryList({QStringLiteral("*.deb")}, QDir::Files);
    ASSERT_EQ(packages.size(), 1) << pack.out.toStdString();
    const QString deb = out.filePath(packages.first());
    const ToolRun depends = RunTool(QStringLiteral("dpkg-deb"), {"-f", deb, "Depends"});
    QStringList dependencies;  // one entry per library: the package names alone
    for (const QString& entry : depends.out.split(u','))
        dependencies << entry.trimmed().section(u' ', 0, 0);
    for (const char* package : {"libqt6widgets6", "libqt6dbus6", "libqt6uitools6", "libhidapi-hidraw0"})
        EXPECT_EQ(dependencies.count(QLatin1String(package)), 1) << depends.out.toStdString();
    // Installed by scripts/setup; a missing lintian fails here. No error and no warning.
    const ToolRun lintian = RunTool(QStringLiteral("lintian"), {"--fail-on", "error,warning", deb});
    EXPECT_EQ(lintian.exitCode, 0) << lintian.out.toStdString() << lintian.err.toStdString();
    QTemporaryDir root;
    ASSERT_EQ(RunTool(QStringLiteral("dpkg-deb"), {"-x", deb, root.path()}).exitCode, 0);
    ExpectInstallation(root.path() + QStringLiteral("/usr"));
}

}  // namespace
