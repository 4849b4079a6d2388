#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace tamberlo {

class FileDialog;

// Turns a "description|pattern|description|pattern" filter into Qt's name filters.
QStringList qtNameFilters(const QString &filter);

// The file-open dialog a window owns: it keeps its settings and the file name it reported last
// for as long as the window lives.
class CommonDialog {
public:
    explicit CommonDialog(FileDialog &dialog);

    void setDefaultExt(const QString &extension) { m_defaultExt = extension; }
    void setFilter(const QString &filter) { m_filter = filter; }
    void setFilterIndex(int index) { m_filterIndex = index; }

    // On confirm, the file name becomes the chosen file's full path and its folder the working
    // directory; on cancel the file name stays what it was.
    void showOpen(QWidget *parent);

    QString fileName() const { return m_fileName; }

private:
    FileDialog &m_dialog;
    QString m_defaultExt;
    QString m_filter;
    int m_filterIndex = 0;
    QString m_fileName;
};

} // namespace tamberlo
