#include "app/shell/exit_watch.h"

#include <QGuiApplication>
#include <QLoggingCategory>
#include <QSessionManager>
#include <QSocketNotifier>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcExit, "karvo.app.exit", QtInfoMsg)

namespace {

constexpr std::array<int, 3> kSignals = {SIGTERM, SIGINT, SIGHUP};
std::array<struct sigaction, kSignals.size()> g_previous{};
int g_pipe[2] = {-1, -1};
std::atomic<std::function<void()>*> g_flushAtExit{nullptr};

void OnSignalCaught(int signal)
{
    const int saved = errno;
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

// The X connection's loss ends the process with exit() from inside the message loop (the
// platform's doing): at the end of a session that is how the desktop goes, not a failure.
void FlushAtExit()
{
    if (std::function<void()>* flush = g_flushAtExit.exchange(nullptr)) {
        qCInfo(lcExit) << "ending while the window runs (the display went away): saves are finished first";
        (*flush)();
        std::fflush(nullptr);
        std::_Exit(0);
    }
}

}  // namespace

ExitWatch::ExitWatch(std::function<void()> flush, std::function<void()> quit)
    : m_flush(std::move(flush)), m_quit(std::move(quit))
{
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] { OnSignal(); });
        struct sigaction action {};
        action.sa_handler = OnSignalCaught;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (std::size_t i = 0; i < kSignals.size(); ++i)
            ::sigaction(kSignals[i], &action, &g_previous[i]);
    } else {
        qCWarning(lcExit) << "no pipe for the end signals; SIGTERM ends the utility without saving first";
    }
#ifndef QT_NO_SESSIONMANAGER
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
            qCInfo(lcExit) << "the session ends: saves are finished";
            m_flush();
        });
#endif
    static std::once_flag registered;
    std::call_once(registered, [] { std::atexit(FlushAtExit); });
    g_flushAtExit = &m_flush;
}

ExitWatch::~ExitWatch()
{
    g_flushAtExit = nullptr;
    if (!m_notifier)
        return;
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &g_previous[i], nullptr);
    m_notifier.reset();
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void ExitWatch::OnSignal()
{
    char signal = 0;
    while (::read(g_pipe[0], &signal, 1) == 1)
        qCInfo(lcExit) << "signal" << int(signal) << "ends the utility: saves are finished first";
    m_flush();
    m_quit();
}
