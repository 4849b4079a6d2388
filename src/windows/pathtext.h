#pragma once

#include <QString>
#include <string>

namespace tamberlo {

// File-system bytes and the text shown for them, as the platform's file names are encoded.
QString pathToText(const std::string &path);
std::string textToPath(const QString &text);

} // namespace tamberlo
