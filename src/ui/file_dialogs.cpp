#include "ui/file_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
std::function<QString(const FileDialogRequest&)> g_script;
QString g_lastFolder;  // UI thread only

QString StartFolder()
{
    if (!g_lastFolder.isEmpty() && QFileInfo(g_lastFolder).isDir())
        return g_lastFolder;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

QString Ask(const FileDialogRequest& request)
{
    if (g_script)
        return g_script(request);
    QFileDialog dialog(request.owner, QString(), request.initialFolder, request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (request.kind == FileDialogRequest::Kind::Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        if (!request.suggestedName.isEmpty())
            dialog.selectFile(request.suggestedName);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

}  // namespace

void SetFileDialogScript(std::function<QString(const FileDialogRequest&)> script)
{
    g_script = std::move(script);
}

QString RunFileDialog(const FileDialogRequest& request)
{
    FileDialogRequest asked = request;
    if (asked.initialFolder.isEmpty())
        asked.initialFolder = StartFolder();
    // A name may hold what a file name cannot.
    asked.suggestedName.replace(QLatin1Char('/'), QLatin1Char('_'));
    const QString path = Ask(asked);
    if (!path.isEmpty())
        g_lastFolder = QFileInfo(path).absolutePath();
    return path;
}
