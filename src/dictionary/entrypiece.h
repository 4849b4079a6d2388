#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamberlo {

// Piece `index` of a split entry; a missing piece is a subscript error naming the file, entry and line.
const std::string &entryPiece(const std::vector<std::string> &pieces, std::size_t index, const std::string &path,
                              std::int16_t entryNumber, const std::string &line);

} // namespace tamberlo
