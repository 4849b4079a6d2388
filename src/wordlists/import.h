#pragma once

#include "dictionary/dictionaryfile.h"
#include "wordlists/record.h"

#include <string>

namespace tamberlo::wordlists {

class Source;

// The one check of an entry from a word list: what 登録 refuses (see newentry.h), an empty field, and
// a field longer than MaxFieldCharacters. Why the fields cannot become an entry, in the words the
// user is shown; else empty, with the entry's code page 932 bytes in `entry`.
std::string checkEntry(const Field &word, const Field &meaning, const char *encoding, EntryBytes &entry);

struct ImportOptions {
    ReadOptions read;
    std::size_t wordField = 0; // which fields of a record are the word and the meaning
    std::size_t meaningField = 1;
    bool skipBad = false; // write the good entries of a list that has bad ones
};

struct ImportResult {
    enum Status { Done, BadRecords, SourceUnreadable, DictionaryUnusable, DictionaryFull, NotWritten } status = Done;
    std::string reason;   // why SourceUnreadable, DictionaryUnusable or NotWritten
    ProblemList problems; // the records that cannot become entries
    long long added = 0;
    long long already = 0; // pairs the dictionary holds already, not added again
    long long room = 0;    // DictionaryFull: how many entries would fit
};

// Adds the entries of a word list to a dictionary, all or nothing. Everything is read, decoded,
// checked and held before the dictionary's lock is taken (at most the 32767 entries a dictionary
// can take); under the lock only what others appended meanwhile is read. A pair the dictionary
// holds already is not added again, so a second run adds nothing; a pair the list gives twice is
// added twice, so that an exported dictionary comes back as it was.
ImportResult importList(const Source &source, Reader &reader, const std::string &dictionary, const ImportOptions &options);

} // namespace tamberlo::wordlists
