#include "wholeline.h"

#include "dictionary/cp932.h"
#include "dictionary/entrysplitter.h"
#include "dictionary/shownpiece.h"
#include "dictionary/runtimeerror.h"

#include <fstream>
#include <iterator>

namespace tamberlo {

std::vector<std::string> wholeLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    std::string current;
    bool pending = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r') {
            lines.push_back(current);
            current.clear();
            pending = false;
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            current += bytes[i];
            pending = true;
        }
    }
    if (pending)
        lines.push_back(current);
    return lines;
}

std::string readEntry(const std::string &path, std::int16_t n)
{
    if (n < 1)
        throw RuntimeError(ErrorKind::SubscriptOutOfRange, path, n);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw RuntimeError(ErrorKind::FileNotFound, path);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::vector<std::string> lines = wholeLines(bytes);
    if (static_cast<std::size_t>(n) > lines.size())
        throw RuntimeError(ErrorKind::InputPastEndOfFile, path, n);
    return decodeCp932(lines[static_cast<std::size_t>(n) - 1]);
}

std::vector<std::string> splitEntry(const std::string &line)
{
    std::vector<std::string> pieces;
    if (line.empty())
        return pieces;
    std::size_t start = 0;
    for (std::size_t at; (at = line.find(EntrySeparator, start)) != std::string::npos; start = at + EntrySeparator.size())
        pieces.push_back(line.substr(start, at - start));
    pieces.push_back(line.substr(start));
    return pieces;
}

std::vector<std::string> shownPieces(const std::string &line)
{
    std::vector<std::string> pieces = splitEntry(line);
    if (pieces.size() > 2)
        pieces.resize(2);
    for (std::string &piece : pieces)
        piece = textPrefix(piece);
    return pieces;
}

} // namespace tamberlo
