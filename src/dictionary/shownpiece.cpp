#include "dictionary/shownpiece.h"

#include "dictionary/runtimeerror.h"
#include "dictionary/utf8.h"

namespace tamberlo {

std::string textPrefix(std::string_view utf8Text, std::size_t maxCharacters)
{
    std::size_t end = 0;
    for (std::size_t count = 0; end < utf8Text.size() && count < maxCharacters; ++count)
        utf8::next(utf8Text, end);
    if (end == utf8Text.size())
        return std::string(utf8Text);
    return std::string(utf8Text.substr(0, end)) + "…";
}

const std::string &entryPiece(const std::vector<std::string> &pieces, std::size_t index, const std::string &path,
                              std::int16_t entryNumber)
{
    if (index >= pieces.size())
        throw RuntimeError(ErrorKind::SubscriptOutOfRange, path, entryNumber,
                           pieces.empty() ? std::string("空行です（「<>」がありません）")
                                          : "「<>」がありません: " + textPrefix(pieces.front()));
    return pieces[index];
}

} // namespace tamberlo
