#include "app/rules/running_process_watch.h"

#include <QDir>
#include <QFile>

#include "app/rules/active_application_source.h"
#include "app/shell/background_queue.h"

QStringList RunningExecutables()
{
    QStringList names;
    const QDir proc(QStringLiteral("/proc"));
    for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (!number)
            continue;
        QString name = ExecutableOfProcess(pid);
        if (name.isEmpty()) {
            QFile comm(proc.filePath(entry + QStringLiteral("/comm")));
            if (comm.open(QIODevice::ReadOnly))
                name = QString::fromLocal8Bit(comm.readAll().trimmed());
        }
        if (!name.isEmpty() && !names.contains(name))
            names << name;
    }
    return names;
}

RunningProcessWatch::RunningProcessWatch(std::function<void(const QStringList&)> heard) : m_heard(std::move(heard))
{
    m_timer.setInterval(kIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &RunningProcessWatch::CheckNow);
}

RunningProcessWatch::~RunningProcessWatch()
{
    BackgroundQueue::Shell().WaitForDone();
}

void RunningProcessWatch::Enable(bool enabled)
{
    if (enabled == m_timer.isActive())
        return;
    if (enabled) {
        m_timer.start();
        CheckNow();
    } else {
        m_timer.stop();
        m_heard({});
    }
}

void RunningProcessWatch::CheckNow()
{
    BackgroundQueue::Shell().Run<QStringList>(&RunningExecutables, this, [this](QStringList names) {
        if (m_heard)
            m_heard(names);
    });
}
