#include "platform/filedialog.h"

#include <QDir>
#include <QFileDialog>

namespace tamberlo {

std::optional<QString> QtFileDialog::getOpenFileName(QWidget *parent, const OpenFileRequest &request)
{
    QFileDialog dialog(parent);
    // Qt's own dialog behaves the same on every desktop and under test automation.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(request.nameFilters);
    if (!request.selectedFilter.isEmpty())
        dialog.selectNameFilter(request.selectedFilter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    // Qt would otherwise open wherever its settings file says it was last, even in an earlier run.
    dialog.setDirectory(QDir::currentPath());
    if (!request.initialFile.isEmpty())
        dialog.selectFile(request.initialFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace tamberlo
