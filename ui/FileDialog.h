#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace kg::ui {

enum class FileDialogKind { Open, Save };

struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::Open;
    QString caption;        // a source text; shown translated
    QString filter;         // "Macro groups (*.xml)"
    QString suggestedName;  // the file name a save starts with
};

// Asks the user for a file to open or to save to; empty when the user cancels.
QString chooseFile(QWidget* owner, const FileDialogRequest& request);

// Test seam: while set, the answerer answers instead of the system's file dialog.
void setFileDialogAnswerer(std::function<QString(const FileDialogRequest&)> answerer);

}  // namespace kg::ui
