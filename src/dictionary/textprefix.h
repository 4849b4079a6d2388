#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tamberlo {

// As much of a file's text as a message or a label ever shows: a hostile megabyte line must not
// take seconds to lay out or push a box's OK button off the screen.
inline constexpr std::size_t ShownCharacters = 80;

// The text itself when it has at most maxCharacters characters, else its first maxCharacters
// characters and "…". Cuts only between whole UTF-8 characters.
std::string textPrefix(std::string_view utf8Text, std::size_t maxCharacters = ShownCharacters);

} // namespace tamberlo
