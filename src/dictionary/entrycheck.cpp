#include "entrycheck.h"

#include "cp932.h"
#include "dictionaryfile.h"

namespace tamberlo {

namespace {
bool storable(const std::string &text)
{
    return text.find_first_of("\r\n") == std::string::npos && encodeCp932(text).ok();
}
} // namespace

EntryCheck checkNewEntry(const std::string &word, const std::string &meaning)
{
    if (word.find(EntrySeparator) != std::string::npos || meaning.find(EntrySeparator) != std::string::npos)
        return EntryCheck::HoldsSeparator;
    if (!storable(word) || !storable(meaning))
        return EntryCheck::NotStorable;
    return EntryCheck::Ok;
}

} // namespace tamberlo
