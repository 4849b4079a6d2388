#include "dictionary/cp932.h"

#include "dictionary/textdecoder.h"
#include "dictionary/utf8.h"

#include <cerrno>
#include <iconv.h>
#include <memory>
#include <system_error>
#include <unordered_map>

// glibc's "CP932" agrees with Microsoft's table on every valid sequence (NEC row 13, the NEC-selected
// and IBM extensions, 0x8160 -> U+FF5E and the other Microsoft-specific choices, the user-defined
// rows F0-F9 -> U+E000...) and rejects every invalid one, so decoding needs no override table of
// ours; the oracle test pins that down should a future glibc change it.
// Resynchronisation after an invalid sequence: the byte where glibc stops becomes U+FFFD and
// decoding resumes at the very next byte. A lead byte followed by an invalid trail byte therefore
// costs only the lead byte, and the trail byte (which may be ASCII, even CR) is read on its own.
namespace tamberlo {

namespace {

// iconv_open costs far more than encoding a character, and an iconv_t must not be shared by threads.
iconv_t encoder()
{
    thread_local const std::unique_ptr<void, int (*)(iconv_t)> cd([] {
        const iconv_t opened = iconv_open("CP932", "UTF-8");
        // Only a libc installed without its gconv modules gets here.
        if (opened == reinterpret_cast<iconv_t>(-1))
            throw std::system_error(errno, std::generic_category(), "iconv_open UTF-8 -> CP932");
        return opened;
    }(), iconv_close);
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    return cd.get();
}

// Encodes one non-ASCII character given as its UTF-8 bytes; false when code page 932 cannot hold it.
bool encodeOneUncached(std::string_view utf8Char, std::string &out)
{
    char buffer[8];
    char *in = const_cast<char *>(utf8Char.data());
    std::size_t inLeft = utf8Char.size();
    char *o = buffer;
    std::size_t outLeft = sizeof buffer;
    if (iconv(encoder(), &in, &inLeft, &o, &outLeft) == static_cast<std::size_t>(-1))
        return false;
    const std::string_view encoded(buffer, static_cast<std::size_t>(o - buffer));
    // glibc also folds look-alikes (U+00A5 -> 0x5C, U+301C -> 0x8160, ...) and drops the tag characters
    // U+E0000-U+E007F; such a character would come back as another one or as nothing, so it counts
    // as unencodable.
    if (decodeCp932(encoded) != utf8Char)
        return false;
    out += encoded;
    return true;
}

// The answers for the characters met so far: two iconv calls per character would make a word list of
// 32767 entries take a third of a second. Bounded, so that text of every Unicode character cannot grow
// it past the few thousand characters code page 932 has.
bool encodeOne(char32_t cp, std::string_view utf8Char, std::string &out)
{
    thread_local std::unordered_map<char32_t, std::string> known; // empty: cannot be held
    if (const auto found = known.find(cp); found != known.end()) {
        out += found->second;
        return !found->second.empty();
    }
    std::string encoded;
    const bool ok = encodeOneUncached(utf8Char, encoded);
    if (known.size() < 16384)
        known.emplace(cp, encoded);
    out += encoded;
    return ok;
}

} // namespace

std::string decodeCp932(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    TextDecoder decoder(Encoding::Cp932);
    decoder.feed(bytes, out);
    decoder.finish(out);
    return out;
}

Cp932Encoding encodeCp932(std::string_view utf8Text)
{
    Cp932Encoding result;
    result.bytes.reserve(utf8Text.size());
    for (std::size_t i = 0; i < utf8Text.size();) {
        const unsigned char b = static_cast<unsigned char>(utf8Text[i]);
        if (b < 0x80) { // code page 932 keeps ASCII as is, 0x5C and 0x7E included
            result.bytes += static_cast<char>(b);
            ++i;
            continue;
        }
        const std::size_t start = i;
        const char32_t cp = utf8::next(utf8Text, i);
        if (cp == utf8::Replacement || !encodeOne(cp, utf8Text.substr(start, i - start), result.bytes))
            result.unencodable.push_back(cp);
    }
    return result;
}

} // namespace tamberlo
