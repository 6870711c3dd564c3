#include "app/rules/active_application_source.h"

#include <QFileInfo>

QString ExecutableOfProcess(qint64 pid)
{
    if (pid <= 0)
        return {};
    QString target = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
    // A program replaced while it runs shows as "name (deleted)".
    if (target.endsWith(QLatin1String(" (deleted)")))
        target.chop(10);
    return QFileInfo(target).fileName();
}
