#include "wordlists/record.h"

#include "dictionary/utf8.h"

namespace tamberlo::wordlists {

void Field::append(std::string_view utf8Text)
{
    // Past the limit only the count goes on: such a field is refused whole, so its tail is never needed.
    if (text.size() < room)
        text.append(utf8Text.substr(0, room - text.size()));
    characters += utf8::characters(utf8Text);
}

void Field::clear(long long atColumn)
{
    text.clear();
    characters = 0;
    column = atColumn;
}

} // namespace tamberlo::wordlists

namespace tamberlo::wordlists {

void ProblemList::add(long long location, std::string reason)
{
    if (m_listed.size() < Listed)
        m_listed.push_back({location, std::move(reason)});
    ++m_count;
}

} // namespace tamberlo::wordlists
