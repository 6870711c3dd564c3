#pragma once

#include <QString>
#include <functional>

class QWidget;

// The system's open and save dialogs. The result is the chosen path, or empty when cancelled.
// Tests install a script that answers instead of a person; it sees the request as the dialog
// would open it.
struct FileDialogRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    QWidget* owner = nullptr;
    QString filter;            // e.g. "Profile File (*.pro *.PRO)"
    QString defaultSuffix;     // e.g. "pro"
    // Where the dialog opens; empty means the folder last used by a file dialog of this run,
    // else the user's documents folder.
    QString initialFolder;
    QString suggestedName;  // the file name offered in a save dialog ("Profile1.pro")
};

QString RunFileDialog(const FileDialogRequest& request);
void SetFileDialogScript(std::function<QString(const FileDialogRequest&)> script);
