#include "entrypiece.h"

#include "runtimeerror.h"
#include "textprefix.h"

namespace tamberlo {

const std::string &entryPiece(const std::vector<std::string> &pieces, std::size_t index, const std::string &path,
                              std::int16_t entryNumber, const std::string &line)
{
    if (index >= pieces.size())
        throw RuntimeError(ErrorKind::SubscriptOutOfRange, path, entryNumber,
                           line.empty() ? std::string("空行です（「<>」がありません）")
                                        : "「<>」がありません: " + textPrefix(line));
    return pieces[index];
}

} // namespace tamberlo
