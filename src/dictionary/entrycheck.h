#pragma once

#include <string>

namespace tamberlo {

enum class EntryCheck {
    Ok,
    HoldsSeparator,  // "<>" would split the pair into other fields on reading
    NotStorable,     // a line break, or a character code page 932 cannot hold
};

// Whether word and meaning (UTF-8) can be appended and read back exactly as typed. Whether the
// dictionary has room is the append's to say, from the file as it is then.
EntryCheck checkNewEntry(const std::string &word, const std::string &meaning);

} // namespace tamberlo
