#pragma once

#include <cstdint>
#include <string>

namespace tamberlo {

enum class EntryCheck {
    Ok,
    HoldsSeparator,  // "<>" would split the pair into other fields on reading
    NotStorable,     // a line break, or a character code page 932 cannot hold
    DictionaryFull,  // one more line would pass the 32767-entry limit
};

// Whether word and meaning (UTF-8) can be appended to a dictionary of `entryCount` entries
// and read back exactly as typed.
EntryCheck checkNewEntry(const std::string &word, const std::string &meaning, std::int16_t entryCount);

} // namespace tamberlo
