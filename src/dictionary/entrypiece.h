#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamberlo {

// Piece `index` of a split entry; a missing piece is a subscript error naming the file, the entry and
// what is wrong with its line (no pieces: a blank line; one: the line holds no "<>" and is that piece).
const std::string &entryPiece(const std::vector<std::string> &pieces, std::size_t index, const std::string &path,
                              std::int16_t entryNumber);

} // namespace tamberlo
