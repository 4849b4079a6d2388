#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Conversion between code page 932 (Windows Shift_JIS) and UTF-8.
namespace tamberlo {

// A byte that begins a double-byte character.
inline constexpr bool isCp932Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Never fails: each byte sequence that is not valid code page 932 becomes U+FFFD. After an invalid
// sequence decoding resumes at the next byte, so a lead byte with a bad trail byte costs only itself.
std::string decodeCp932(std::string_view bytes);

struct Cp932Encoding {
    std::string bytes;                  // the encoded text (unencodable characters left out)
    std::vector<char32_t> unencodable;  // characters code page 932 cannot hold, in order of appearance
    bool ok() const { return unencodable.empty(); }
};

// A character is encodable only when it decodes back to itself: look-alikes such as U+00A5 or
// U+301C, which would come back as a backslash or U+FF5E, are unencodable. Each byte of invalid
// UTF-8 counts as one unencodable U+FFFD.
Cp932Encoding encodeCp932(std::string_view utf8);

} // namespace tamberlo
