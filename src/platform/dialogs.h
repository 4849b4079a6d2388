#pragma once

// The modal dialogs the windows open: a message, and a file to open.

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace tamberlo {

inline const QString ApplicationTitle = QStringLiteral("Tamberlo");

// A modal message with the application title, one OK button and no icon.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual void show(QWidget *parent, const QString &text) = 0;
};

class QtMessageBox final : public MessageBox {
public:
    void show(QWidget *parent, const QString &text) override;
};

struct OpenFileRequest {
    QString initialFile;    // shown selected when the dialog opens; may be empty
    QStringList nameFilters; // Qt form: "Description (*.ext)"
    QString selectedFilter;
    QString defaultSuffix;  // without the leading period
};

// A modal file-open dialog: the chosen existing file's absolute path, or nothing on cancel.
class FileDialog {
public:
    virtual ~FileDialog() = default;
    virtual std::optional<QString> getOpenFileName(QWidget *parent, const OpenFileRequest &request) = 0;
};

class QtFileDialog final : public FileDialog {
public:
    std::optional<QString> getOpenFileName(QWidget *parent, const OpenFileRequest &request) override;
};

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
