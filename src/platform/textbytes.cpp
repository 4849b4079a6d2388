#include "platform/textbytes.h"

namespace tamberlo {

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
