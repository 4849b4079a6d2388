// Decoding never fails and gives valid UTF-8 that encodes back losslessly, U+FFFD aside; encoding
// arbitrary UTF-8 keeps exactly the characters it does not report.
#include "dictionary/cp932.h"
#include "dictionary/utf8.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz_cp932: %s\n", what);
        std::abort();
    }
}

bool validUtf8(const std::string &s) { return tamberlo::utf8::sanitized(s) == s; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char *>(data), size);

    const std::string text = tamberlo::decodeCp932(bytes);
    check(validUtf8(text), "decoding gave invalid UTF-8");
    const auto encoded = tamberlo::encodeCp932(text);
    std::string kept; // the decoded text without its U+FFFD
    for (std::size_t i = 0; i < text.size();) {
        const char32_t cp = tamberlo::utf8::next(text, i);
        if (cp != tamberlo::utf8::Replacement)
            tamberlo::utf8::append(kept, cp);
    }
    for (char32_t c : encoded.unencodable)
        check(c == tamberlo::utf8::Replacement, "a decoded character does not encode");
    check(tamberlo::decodeCp932(encoded.bytes) == kept, "decode(encode(decode(x))) lost characters");

    // The same bytes taken as UTF-8.
    const auto direct = tamberlo::encodeCp932(bytes);
    std::string expected;
    std::size_t skipped = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t start = i;
        const char32_t cp = tamberlo::utf8::next(bytes, i);
        if (skipped < direct.unencodable.size() && direct.unencodable[skipped] == cp) {
            ++skipped;
            continue;
        }
        expected.append(bytes, start, i - start);
    }
    check(skipped == direct.unencodable.size(), "unencodable list does not match the text");
    check(tamberlo::decodeCp932(direct.bytes) == expected, "encoding changed an encodable character");
    return 0;
}
