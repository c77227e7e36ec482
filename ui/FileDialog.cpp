#include "ui/FileDialog.h"

#include <QFileDialog>

#include "ui/Toolkit.h"

namespace kg::ui {

namespace {
std::function<QString(const FileDialogRequest&)>& answerer() {
    static std::function<QString(const FileDialogRequest&)> a;
    return a;
}
}  // namespace

void setFileDialogAnswerer(std::function<QString(const FileDialogRequest&)> a) {
    answerer() = std::move(a);
}

QString chooseFile(QWidget* owner, const FileDialogRequest& request) {
    if (answerer()) {
        return answerer()(request);
    }
    Toolkit* tk = Toolkit::instance();
    const QString caption = tk ? tk->tr(request.caption) : request.caption;
    const QString filter = tk ? tk->tr(request.filter) : request.filter;
    if (request.kind == FileDialogKind::Save) {
        return QFileDialog::getSaveFileName(owner, caption, request.suggestedName, filter);
    }
    return QFileDialog::getOpenFileName(owner, caption, QString(), filter);
}

}  // namespace kg::ui
