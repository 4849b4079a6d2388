#include "entrypiece.h"

#include "runtimeerror.h"
#include "textprefix.h"

namespace tamberlo {

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
