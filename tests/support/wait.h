#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>

class QProcess;

// Another process or thread answers on its own time, and a loaded machine makes it slow, not
// silent: every wait loops to one generous deadline, never "give up after a pause".
constexpr int kWaitMs = 20000;

// Checks done, handling this thread's events (process output, posted messages) in short slices
// between checks, until done holds or the deadline passes. A short ms is only for checking that
// something does not happen.
bool WaitFor(const std::function<bool()>& done, int ms = kWaitMs);

// The next whole line the process writes, without its line end; empty when none comes in time.
QByteArray ReadLineWithin(QProcess& process, int ms = kWaitMs);

// Gathers the process's output into seen until it holds text.
bool WaitForOutput(QProcess& process, QByteArray& seen, const char* text, int ms = kWaitMs);

// A command-line program run to its end (bounded), with what it said.
struct ToolRun { int exitCode = -1; QString out, err; };
ToolRun RunTool(const QString& program, const QStringList& arguments,
                const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
                const QString& workingFolder = {}, int ms = 4 * kWaitMs);
