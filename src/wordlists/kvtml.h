#pragma once

#include "wordlists/record.h"

namespace tamberlo::wordlists {

// KWordQuiz's and Parley's vocabulary files (KVTML), streamed through expat. Version 2: each
// kvtml/entries/entry is a record whose fields are its translations by id (<translation id="0">
// <text>), as many as the file's identifiers declare. Version 1: each kvtml/e, <o> the first field
// and each <t> the next. A record's location is the line its entry starts on; an entry whose word and
// meaning are both empty is an empty row of the grid, no entry. Entity declarations are refused,
// so no entity can expand; no external file is ever read.
class Kvtml final : public Reader {
public:
    using Reader::Reader;
    std::string read(RecordSink &sink) override;
};

} // namespace tamberlo::wordlists
