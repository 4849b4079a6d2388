#pragma once

#include <QFile>
#include <QString>
#include <string>

// Qt's texts as the core's bytes and back: file names as the platform encodes them, entries as UTF-8.
namespace tamberlo {

inline QString pathToText(const std::string &path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
inline std::string textToPath(const QString &text) { return QFile::encodeName(text).toStdString(); }

// UTF-8 of a text, with each lone surrogate as U+FFFD (Qt would write '?', another character).
std::string textToUtf8(const QString &text);

} // namespace tamberlo
