#pragma once

#include <QString>
#include <functional>

class QWidget;

// The system's open and save dialogs. The result is the chosen path, or empty when cancelled.
// Tests install a script that answers instead of a person.
struct FileDialogRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    QWidget* owner = nullptr;
    QString filter;            // e.g. "Profile File (*.pro *.PRO)"
    QString defaultSuffix;     // e.g. "pro"
    QString initialFolder;
};

QString RunFileDialog(const FileDialogRequest& request);
void SetFileDialogScript(std::function<QString(const FileDialogRequest&)> script);
