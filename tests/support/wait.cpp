#include "support/wait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>

bool WaitFor(const std::function<bool()>& done, int ms) {
    for (const QDeadlineTimer deadline(ms); !done(); QThread::msleep(10)) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

QByteArray ReadLineWithin(QProcess& process, int ms) {
    WaitFor([&] { return process.canReadLine() || process.state() == QProcess::NotRunning; }, ms);
    return process.canReadLine() ? process.readLine().trimmed() : QByteArray();
}

bool WaitForOutput(QProcess& process, QByteArray& seen, const char* text, int ms) {
    return WaitFor([&] { return (seen += process.readAll()).contains(text); }, ms);
}

ToolRun RunTool(const QString& program, const QStringList& arguments, const QProcessEnvironment& env,
                const QString& workingFolder, int ms) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(workingFolder);
    process.start(program, arguments);
    if (!process.waitForFinished(ms))
        return {-1, {}, QStringLiteral("%1 did not finish").arg(program)};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}
