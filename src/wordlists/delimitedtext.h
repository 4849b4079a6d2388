#pragma once

#include "wordlists/record.h"

#include <optional>
#include <string_view>

namespace tamberlo::wordlists {

// "tab", "comma" or "<>" (or the character itself), as an option or a "#separator:" header names it.
std::optional<Separator> separatorNamed(std::string_view name);

// UTF-16 without a byte order mark, told by its first bytes; nullopt for anything else.
std::optional<Encoding> utf16WithoutMark(std::string_view head);

// Lists of text, a record a line: a spreadsheet's CSV, a card program's tab-separated export, or a
// list in the dictionary's own "<>" form.
// Encoding: the one given, else a byte order mark's, else UTF-16 told by its NULs, else UTF-8 until a
// byte is not valid UTF-8: then reading starts over in code page 932, as Japanese spreadsheets save CSV.
// Line ends: LF, CR LF or CR; blank lines are skipped. Leading "#key:value" lines (a card program's
// header) are skipped, and "#separator:" among them is taken. Without a separator given, the first
// other line decides: "<>" outside quotes, else a tab, else a comma. With a tab or a comma, a field
// that starts with a double quote is quoted as RFC 4180 has it ("" for a quote; line ends and
// separators inside); text after its closing quote is taken as it stands, as spreadsheets take it.
class DelimitedText final : public Reader {
public:
    using Reader::Reader;
    std::string read(RecordSink &sink) override;
};

} // namespace tamberlo::wordlists
