#pragma once

#include "dictionary/dictionaryfile.h"
#include "wordlists/record.h"

#include <string>

namespace tamberlo::wordlists {

// The one check of an entry from a word list: what 登録 refuses (see newentry.h), an empty field, and
// a field longer than MaxFieldCharacters. Why the fields cannot become an entry, in the words the
// user is shown; else empty, with the entry's code page 932 bytes in `entry`.
std::string checkEntry(const Field &word, const Field &meaning, const char *encoding, EntryBytes &entry);

} // namespace tamberlo::wordlists
