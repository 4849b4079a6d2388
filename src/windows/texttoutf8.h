#pragma once

#include <QString>
#include <string>

namespace tamberlo {

// UTF-8 of a text, with each lone surrogate as U+FFFD (Qt would write '?', another character).
std::string textToUtf8(const QString &text);

} // namespace tamberlo
