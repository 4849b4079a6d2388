#include "dictionary/cp932.h"

#include "dictionary/utf8.h"

#include <cerrno>
#include <iconv.h>
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

class Converter {
public:
    Converter(const char *to, const char *from)
        : m_cd(iconv_open(to, from))
    {
        // Only a libc installed without its gconv modules gets here.
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            throw std::system_error(errno, std::generic_category(), std::string("iconv_open ") + from + " -> " + to);
    }
    ~Converter() { iconv_close(m_cd); }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    iconv_t handle() const
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        return m_cd;
    }

private:
    iconv_t m_cd;
};

// iconv_open costs far more than converting a line, and an iconv_t must not be shared by threads.
iconv_t decoder()
{
    thread_local Converter converter("UTF-8", "CP932");
    return converter.handle();
}

iconv_t encoder()
{
    thread_local Converter converter("CP932", "UTF-8");
    return converter.handle();
}

constexpr std::string_view Utf8Replacement = "\xEF\xBF\xBD";

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
    // Converted through a small buffer: a megabyte line must not cost three megabytes up front
    // (three bytes of UTF-8 per input byte being the most code page 932 can need).
    std::string out;
    out.reserve(bytes.size());
    char buffer[16 * 1024];
    iconv_t cd = decoder();
    char *in = const_cast<char *>(bytes.data());
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char *o = buffer;
        std::size_t outLeft = sizeof buffer;
        const bool done = iconv(cd, &in, &inLeft, &o, &outLeft) != static_cast<std::size_t>(-1);
        const int err = errno;
        out.append(buffer, static_cast<std::size_t>(o - buffer));
        if (done || err == E2BIG)
            continue;
        if (err != EILSEQ && err != EINVAL)
            throw std::system_error(err, std::generic_category(), "iconv CP932 -> UTF-8");
        // EILSEQ: invalid sequence at *in; EINVAL: a lead byte cut off by the end of the text.
        out += Utf8Replacement;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
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
