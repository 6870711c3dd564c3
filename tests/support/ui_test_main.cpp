// Main of the window tests: a headless QApplication, the real skins from res/ beside the test
// program, and a private data folder so that no test touches the user's stores.
#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "ui/resource_manager.h"
#include "ui/tray_icon.h"

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", (home.path() + QStringLiteral("/run")).toUtf8());
    // The machine's own Bluetooth mouse never takes part: tests that need BlueZ start their own bus.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + home.path() + QStringLiteral("/no-system-bus")).toUtf8());
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    CResourceManager::Instance().LoadResource(QStringLiteral("main.xml"));
    CResourceManager::Instance().SetLanguageCodes({});
    // The desktop the tests assume has a tray; tests of the other case say so.
    CTrayIcon::SetAvailableForTesting(true);
    // The shell's settings and autostart entry go to a private configuration folder.
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toUtf8());
    CResourceManager::Instance().LoadLanguage(QStringLiteral("lan.xml"));
    return RUN_ALL_TESTS();
}
