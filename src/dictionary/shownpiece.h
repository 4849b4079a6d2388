#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// How much of an entry is shown, and the piece the drill shows. Texts are UTF-8.
namespace tamberlo {

// As much of a file's text as a message or a label ever shows: a hostile megabyte line must not
// take seconds to lay out or push a box's OK button off the screen.
inline constexpr std::size_t ShownCharacters = 80;

// The text itself when it has at most maxCharacters characters, else its first maxCharacters
// characters and "…". Cuts only between whole UTF-8 characters.
std::string textPrefix(std::string_view utf8Text, std::size_t maxCharacters = ShownCharacters);

// Piece `index` of a split entry; a missing piece is a subscript error naming the file, the entry and
// what is wrong with its line (no pieces: a blank line; one: the line holds no "<>" and is that piece).
const std::string &entryPiece(const std::vector<std::string> &pieces, std::size_t index, const std::string &path,
                              std::int16_t entryNumber);

} // namespace tamberlo
