#include "platform/textbytes.h"

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

std::string textToUtf8(const QString &text)
{
    QString repaired = text;
    for (qsizetype i = 0; i < repaired.size(); ++i) {
        if (repaired.at(i).isHighSurrogate() && i + 1 < repaired.size() && repaired.at(i + 1).isLowSurrogate())
            ++i;
        else if (repaired.at(i).isSurrogate())
            repaired[i] = QChar::ReplacementCharacter;
    }
    return repaired.toStdString();
}

} // namespace tamberlo
