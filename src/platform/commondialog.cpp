#include "platform/commondialog.h"

#include "platform/filedialog.h"

#include <QDir>
#include <QFileInfo>

namespace tamberlo {

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
