#include "platform/messagebox.h"

#include <QMessageBox>

namespace tamberlo {

void QtMessageBox::show(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, ApplicationTitle, text, QMessageBox::Ok, parent);
    // Words may hold "<>" or markup-like text: never let Qt guess rich text.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace tamberlo
