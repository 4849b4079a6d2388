#pragma once

#include <QString>

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

} // namespace tamberlo
