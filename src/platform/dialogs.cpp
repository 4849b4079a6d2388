#include "platform/dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace tamberlo {

void QtMessageBox::show(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, ApplicationTitle, text, QMessageBox::Ok, parent);
    // Words may hold "<>" or markup-like text: never let Qt guess rich text.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

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

QStringList qtNameFilters(const QString &filter)
{
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString &description = parts.at(i);
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // A description that already ends in its patterns is a valid Qt filter as it stands.
        const QString suffix = QLatin1Char('(') + patterns + QLatin1Char(')');
        result << (description.endsWith(suffix) ? description
                                                : description + QLatin1Char(' ') + suffix);
    }
    return result;
}

CommonDialog::CommonDialog(FileDialog &dialog)
    : m_dialog(dialog)
{
}

void CommonDialog::showOpen(QWidget *parent)
{
    OpenFileRequest request;
    request.initialFile = m_fileName;
    request.nameFilters = qtNameFilters(m_filter);
    if (m_filterIndex >= 1 && m_filterIndex <= request.nameFilters.size())
        request.selectedFilter = request.nameFilters.at(m_filterIndex - 1);
    request.defaultSuffix = m_defaultExt.startsWith(QLatin1Char('.')) ? m_defaultExt.mid(1) : m_defaultExt;

    const std::optional<QString> chosen = m_dialog.getOpenFileName(parent, request);
    if (!chosen)
        return;
    const QFileInfo info(*chosen);
    m_fileName = info.absoluteFilePath();
    QDir::setCurrent(info.absolutePath());
}

} // namespace tamberlo
