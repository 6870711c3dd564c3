// Profiles that follow the window in front, end to end: the utility from the demo folder on a
// private Xvfb with openbox, two windows of known WM_CLASS activated in turn with xdotool, and the
// emulated mouse telling which profile it holds.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "support/wait.h"
#include "support/xvfb_server.h"

namespace {

const QString kDemo = QStringLiteral(KARVO_DEMO_DIR "/");
constexpr int kFirstDpiOffset = 2244;  // in a profile record, in units of 40

class RulesOnX11 : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"openbox", "xdotool", "xprop"})
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                GTEST_SKIP() << tool << " is not installed (scripts/setup installs it)";
        ASSERT_TRUE(xvfb.Start());
        const QString display = QString::fromStdString(xvfb.Display());
        env.insert("DISPLAY", display);
        for (const char* name : {"WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "SWAYSOCK", "I3SOCK", "DBUS_SESSION_BUS_ADDRESS"})
            env.remove(QLatin1String(name));
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "KARVO_SIM_SOCKET"})
            env.insert(name, home.filePath(name));
        for (auto [name, value] : {std::pair{"QT_QPA_PLATFORM", "offscreen"}, {"KARVO_SIM_RECEIVER", "0"}, {"QT_LOGGING_RULES", "karvo.*=true"}})
            env.insert(name, value);
        env.insert("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + home.filePath("no-bus"));
        windowManager.setProcessEnvironment(env);
        windowManager.start("openbox", {"--sm-disable"});
        ASSERT_TRUE(WaitFor([&] { return Tool("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).out.contains("window id"); }));
        x = XOpenDisplay(display.toLatin1().constData());
        ASSERT_NE(x, nullptr);
    }
    void TearDown() override {
        for (QProcess* process : {&program, &windowManager}) {
            process->kill();
            process->waitForFinished();
        }
        if (x)
            XCloseDisplay(x);
    }
    ToolRun Tool(const QString& path, const QStringList& arguments) { return RunTool(path, arguments, env, home.path()); }
    // A mapped top-level window with this WM_CLASS class; its id for xdotool.
    QString MapWindow(const char* appClass) {
        const ::Window window = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 200, 100, 0, 0, 0);
        XClassHint hint{const_cast<char*>("karvo-test"), const_cast<char*>(appClass)};
        XSetClassHint(x, window, &hint);
        XMapWindow(x, window);
        XFlush(x);
        return QString::number(window);
    }
    // Profile 0 with its first stage at another DPI, imported as a new profile.
    void AddProfile(int dpiUnits) {
        const QString file = home.filePath(QString::number(dpiUnits) + ".pro");
        ASSERT_EQ(Tool(KARVOCTL_PATH, {"export-profile", "0", file}).exitCode, 0);
        QFile pro(file);
        ASSERT_TRUE(pro.open(QIODevice::ReadWrite) && pro.seek(kFirstDpiOffset) && pro.write(QByteArray(1, char(dpiUnits))) == 1);
        pro.close();
        ASSERT_EQ(Tool(KARVOCTL_PATH, {"import-profile", file}).exitCode, 0);
    }
    QJsonObject Mouse() { return QJsonDocument::fromJson(Tool(kDemo + "karvo-simctl", {"state"}).out.toUtf8()).object(); }
    int FirstStageDpi() { return Mouse()["stages"].toArray()[0].toObject()["dpi"].toInt(); }
    bool Logged(const char* text) { return WaitForOutput(program, output, text); }
    // Activates the windows one after another as fast as xdotool goes.
    void Activate(const QStringList& windows) {
        QStringList arguments;
        for (const QString& window : windows)
            arguments << "windowactivate" << window;
        ASSERT_EQ(Tool("xdotool", arguments).exitCode, 0);
    }

    XvfbServer xvfb;
    Display* x = nullptr;
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QProcess windowManager, program;
    QByteArray output;
};

TEST_F(RulesOnX11, TheBoundProfileReachesTheMouseAfterEachActivationAndAFlickSendsNothing) {
    ASSERT_NO_FATAL_FAILURE(AddProfile(10));  // Profile1_1: 400 DPI
    ASSERT_NO_FATAL_FAILURE(AddProfile(50));  // Profile1_2: 2000 DPI
    const QString folder = home.filePath("XDG_DATA_HOME/Karvo Gaming Mouse/ms_1/");
    QFile apps(folder + "apps.json");
    ASSERT_TRUE(apps.open(QIODevice::WriteOnly));
    apps.write(R"({"rules": [{"application": "KarvoAlpha", "profile": "Profile1_1"},
                             {"application": "karvo*beta", "profile": "Profile1_2"},
                             {"application": "KarvoGamma", "profile": "Profile1_2"}], "default": "Profile1"})");
    apps.close();
    // Each switch is one full send: as many reports as karvoctl lists for a profile.
    const int fullSend = int(Tool(KARVOCTL_PATH, {"reports", "1"}).out.trimmed().count('\n')) + 1;
    ASSERT_GT(fullSend, 3);
    const QString alpha = MapWindow("KarvoAlpha"), beta = MapWindow("KarvoBeta"), gamma = MapWindow("KarvoGamma"), other = MapWindow("Other");

    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.setWorkingDirectory(home.path());
    program.start(kDemo + "karvo", {});
    ASSERT_TRUE(Logged("the application in front comes from \"X11\"")) << output.toStdString();
    ASSERT_TRUE(WaitFor([&] { return Mouse()["reportsAccepted"].toInt() >= 4; })) << output.toStdString();

    const struct { const QString& window; int dpi; } kSteps[] = {{alpha, 400}, {beta, 2000}, {other, 800}, {beta, 2000}};
    for (const auto& step : kSteps) {
        const int before = Mouse()["reportsAccepted"].toInt();
        ASSERT_NO_FATAL_FAILURE(Activate({step.window}));
        EXPECT_TRUE(WaitFor([&] { return Mouse()["reportsAccepted"].toInt() >= before + fullSend && FirstStageDpi() == step.dpi; }))
            << step.dpi << output.toStdString();
    }
    // A flick past alpha to gamma, bound to the profile beta left current, sends nothing.
    const int accepted = Mouse()["reportsAccepted"].toInt();
    ASSERT_NO_FATAL_FAILURE(Activate({alpha, gamma}));
    EXPECT_TRUE(Logged("is already current for \"KarvoGamma\"")) << output.toStdString();
    // A switch is a full send; the page may still send a section it refreshed after the last one.
    EXPECT_LT(Mouse()["reportsAccepted"].toInt(), accepted + fullSend) << output.toStdString();
    EXPECT_EQ(output.count("follows \"KarvoAlpha\""), 1) << output.toStdString();  // the first step's
    EXPECT_EQ(FirstStageDpi(), 2000);
}

}  // namespace
