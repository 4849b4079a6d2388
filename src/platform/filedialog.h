#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace tamberlo {

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

} // namespace tamberlo
