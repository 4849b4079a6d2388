#pragma once

#include "wordlists/record.h"

#include <string>

namespace tamberlo::wordlists {

// An Anki package (.apkg, .colpkg: a ZIP holding an SQLite collection), or a collection itself.
// The newest collection a package holds is read: collection.anki21b (zstd-compressed), else
// collection.anki21, else collection.anki2 (beside a newer one, Anki writes there only a note asking
// for an upgrade). Each note, in the order of its id, is a record numbered from 1: its fields
// (notes.flds, parted by U+001F) cleaned of their HTML. Media are never read.
// The collection is unpacked into an unnamed temporary file for SQLite to read, read-only and with
// nothing in the file trusted; memory stays the same whatever the size of the package or a note.
class AnkiPackage final : public Reader {
public:
    using Reader::Reader;
    std::string read(RecordSink &sink) override;
};

} // namespace tamberlo::wordlists
