#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What may go into a new entry, and the bytes it adds to the file. Texts are UTF-8.
namespace tamberlo {

struct Cp932Encoding;

// The bytes a new entry adds to the file: word "<>" meaning CR LF, both already in code page 932.
std::string composeEntryLine(std::string_view word, std::string_view meaning);
void appendEntryLine(std::string &out, std::string_view word, std::string_view meaning);

// The first reason a text cannot be one field of an entry that reads back exactly as written.
struct TextFault {
    enum Kind {
        None,
        Separator,   // "<>" would split the pair into other fields on reading
        LineBreak,   // a CR or LF would end the line
        Nul,         // a NUL character, which no label shows
        Unencodable, // a character code page 932 cannot hold (U+FFFD for invalid UTF-8)
    } kind = None;
    std::size_t at = 0;   // byte offset of the fault in the text
    char32_t character = 0; // Unencodable: which
};

// Looked for in the order of the kinds: a separator anywhere outranks a character that cannot be stored.
// Without a fault, the text's code page 932 bytes go to `cp932` where one is given.
TextFault textFault(std::string_view text, std::string *cp932 = nullptr);

enum class EntryCheck {
    Ok,
    HoldsSeparator,
    NotStorable, // a line break, a NUL or a character code page 932 cannot hold
};

// Whether word and meaning can be appended and read back exactly as typed. Whether the
// dictionary has room is the append's to say, from the file as it is then.
EntryCheck checkNewEntry(std::string_view word, std::string_view meaning);

// Why an entry could not be stored: the characters code page 932 cannot hold, as U+ codes.
std::string unencodableReason(const Cp932Encoding &word, const Cp932Encoding &meaning);

} // namespace tamberlo
