#include "ui/file_dialogs.h"

#include <QFileDialog>

namespace {
std::function<QString(const FileDialogRequest&)> g_script;
}

void SetFileDialogScript(std::function<QString(const FileDialogRequest&)> script)
{
    g_script = std::move(script);
}

QString RunFileDialog(const FileDialogRequest& request)
{
    if (g_script)
        return g_script(request);
    QFileDialog dialog(request.owner, QString(), request.initialFolder, request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (request.kind == FileDialogRequest::Kind::Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}
