#pragma once

#include "wordlists/record.h"

#include <string>
#include <string_view>

// The text a card program's field shows, from the HTML it keeps.
namespace tamberlo::wordlists {

// Bytes of a card field's markup kept for cleaning: a field whose markup runs longer is no word.
inline constexpr std::size_t CardFieldRoom = 64 * 1024;

// Tags stripped, <br> and block elements a space, entities decoded (&nbsp; a plain space),
// [sound:...] dropped, a cloze {{c1::answer::hint}} its answer; white space collapsed to one
// space and trimmed. Bytes that are not valid UTF-8 pass through for the check to name.
std::string cardText(std::string_view html);

// A field read with room CardFieldRoom, cleaned: its text and count become the cleaned text's.
// One cut short keeps the count of its markup, far past any word's.
void cleanCardField(Field &field);

} // namespace tamberlo::wordlists
