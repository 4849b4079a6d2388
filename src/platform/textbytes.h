#pragma once

#include <QString>
#include <string>

// Qt's texts as the core's bytes and back: file names as the platform encodes them, entries as UTF-8.
namespace tamberlo {

QString pathToText(const std::string &path);
std::string textToPath(const QString &text);

// UTF-8 of a text, with each lone surrogate as U+FFFD (Qt would write '?', another character).
std::string textToUtf8(const QString &text);

} // namespace tamberlo
