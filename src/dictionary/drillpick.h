#pragma once

#include "int16.h"
#include "runtimeerror.h"
#include "textprefix.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tamberlo {

// The 1-based entry a draw r in [0, 1) picks from count entries; 1 for an empty dictionary.
inline std::int16_t pickEntryNumber(float r, std::int16_t count)
{
    // The product is formed in double: in single precision r * count could round up to count.
    return checkedInt16(static_cast<long long>(static_cast<double>(r) * count) + 1);
}

// Piece `index` of a split entry; a missing piece is a subscript error naming the file, entry and line.
inline const std::string &entryPiece(const std::vector<std::string> &pieces, std::size_t index,
                                     const std::string &path, std::int16_t entryNumber,
                                     const std::string &line)
{
    if (index >= pieces.size())
        throw RuntimeError(ErrorKind::SubscriptOutOfRange, path, entryNumber,
                           line.empty() ? std::string("空行です（「<>」がありません）")
                                        : "「<>」がありません: " + textPrefix(line));
    return pieces[index];
}

} // namespace tamberlo
