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
    if (text.isValidUtf16())
        return text.toStdString();
    QString repaired;
    repaired.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            repaired += c;
            repaired += text.at(++i);
        } else {
            repaired += c.isSurrogate() ? QChar(QChar::ReplacementCharacter) : c;
        }
    }
    return repaired.toStdString();
}

} // namespace tamberlo
