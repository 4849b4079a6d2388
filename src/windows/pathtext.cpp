#include "pathtext.h"

#include <QFile>

namespace tamberlo {

QString pathToText(const std::string &path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string textToPath(const QString &text)
{
    return QFile::encodeName(text).toStdString();
}

} // namespace tamberlo
