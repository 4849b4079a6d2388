#include "dictionary/textdecoder.h"

#include "dictionary/cp932.h"
#include "dictionary/utf8.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <memory>
#include <utility>
#include <system_error>

namespace tamberlo {

namespace {

// iconv_open costs far more than decoding a line, and an iconv_t must not be shared by threads.
// Sharing one between decoders is safe: these encodings keep no state between calls, since a cut
// character is carried here and never left inside iconv.
iconv_t converter(Encoding encoding)
{
    using Handle = std::unique_ptr<void, int (*)(iconv_t)>;
    thread_local Handle handles[4] = {{nullptr, iconv_close}, {nullptr, iconv_close}, {nullptr, iconv_close},
                                      {nullptr, iconv_close}};
    Handle &handle = handles[static_cast<int>(encoding)];
    if (!handle) {
        const iconv_t cd = iconv_open("UTF-8", encodingName(encoding));
        // Only a libc installed without its gconv modules gets here.
        if (cd == reinterpret_cast<iconv_t>(-1))
            throw std::system_error(errno, std::generic_category(), std::string("iconv_open ") + encodingName(encoding));
        handle.reset(cd);
    }
    return handle.get();
}

// glibc takes UTF-8's old five- and six-byte forms and values past U+10FFFF for valid; Unicode
// does not, so iconv is not given them.
const char *beyondUnicode(const char *from, const char *to)
{
    return std::find_if(from, to, [&](const char &c) {
        const auto b = static_cast<unsigned char>(c);
        return b >= 0xF5 || (b == 0xF4 && &c + 1 < to && static_cast<unsigned char>((&c)[1]) >= 0x90);
    });
}

} // namespace

const char *encodingName(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf8: return "UTF-8";
    case Encoding::Utf16Le: return "UTF-16LE";
    case Encoding::Utf16Be: return "UTF-16BE";
    case Encoding::Cp932: break;
    }
    return "CP932";
}

void TextDecoder::decode(std::string_view bytes, std::string &out, bool last)
{
    std::string joined;
    if (!m_carry.empty()) {
        joined = std::exchange(m_carry, {}) + std::string(bytes);
        bytes = joined;
    }
    const bool utf16 = m_encoding == Encoding::Utf16Le || m_encoding == Encoding::Utf16Be;
    const auto ascii = [](char c) { return static_cast<unsigned char>(c) < 0x80; };
    const iconv_t cd = converter(m_encoding);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    const char *in = bytes.data();
    const char *const end = in + bytes.size();
    char buffer[16 * 1024];
    while (in < end) {
        // ASCII is itself in UTF-8 and code page 932: only the runs between go through iconv.
        if (!utf16 && ascii(*in)) {
            const char *const text = std::find_if_not(in, end, ascii);
            out.append(in, text);
            in = text;
            continue;
        }
        const char *run = end;
        if (!utf16)
            for (run = in; run < end && !ascii(*run);)
                run += m_encoding == Encoding::Cp932 && isCp932Lead(static_cast<unsigned char>(*run)) && run + 1 < end ? 2 : 1;
        const char *const stop = m_encoding == Encoding::Utf8 ? beyondUnicode(in, run) : run;
        char *from = const_cast<char *>(in);
        std::size_t left = static_cast<std::size_t>(stop - in);
        int err = 0;
        while (left > 0 && err == 0) {
            char *to = buffer;
            std::size_t room = sizeof buffer;
            if (iconv(cd, &from, &left, &to, &room) == static_cast<std::size_t>(-1) && errno != E2BIG)
                err = errno;
            out.append(buffer, static_cast<std::size_t>(to - buffer));
        }
        in = from;
        if (in == run)
            continue;
        // EINVAL: a character cut by the end of the chunk, to be completed by the next one.
        if (err == EINVAL && !last && stop == end) {
            m_carry.assign(in, end);
            return;
        }
        if (err != 0 && err != EILSEQ && err != EINVAL)
            throw std::system_error(err, std::generic_category(), std::string("iconv ") + encodingName(m_encoding));
        utf8::append(out, utf8::Replacement);
        m_invalid = true;
        in += std::min<std::ptrdiff_t>(utf16 ? 2 : 1, end - in);
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
}

} // namespace tamberlo
