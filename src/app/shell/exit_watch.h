#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

// Ends the utility in order when the desktop ends it: on SIGTERM, SIGINT or SIGHUP (a logout),
// when the session manager ends the session, and when the X connection is lost. Each first has
// flush() bring every save asked for to disk; a signal then ends the message loop with quit(), as
// Exit in the menu does, and the process ends with status 0. The signals reach the UI thread
// through a pipe: the handler itself only writes a byte to it.
//
// One watch at a time; it lives while the message loop runs.
class ExitWatch final : public QObject {
public:
    ExitWatch(std::function<void()> flush, std::function<void()> quit);
    ~ExitWatch() override;
    ExitWatch(const ExitWatch&) = delete;
    ExitWatch& operator=(const ExitWatch&) = delete;

private:
    void OnSignal();

    std::function<void()> m_flush;
    std::function<void()> m_quit;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
