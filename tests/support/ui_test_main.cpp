// Main of the window tests: a headless QApplication, the real skins from res/ beside the test
// program, and a private data folder so that no test touches the user's stores.
#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include "ui/resource_manager.h"

namespace {

// A test that destroys the main window asks the application to quit; with no loop of the
// application's running, that request would end every later modal loop at once. Running the
// application's loop for one turn after each test takes the request back.
class QuitRequestReset final : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
    }
};

}  // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", (home.path() + QStringLiteral("/run")).toUtf8());
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    CResourceManager::Instance().LoadResource(QStringLiteral("main.xml"));
    CResourceManager::Instance().LoadLanguage(QStringLiteral("lan.xml"));
    ::testing::UnitTest::GetInstance()->listeners().Append(new QuitRequestReset);
    return RUN_ALL_TESTS();
}
