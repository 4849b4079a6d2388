#pragma once

#include <string>
#include <string_view>

// Text in UTF-8, UTF-16 or code page 932 decoded to UTF-8, in chunks cut anywhere.
namespace tamberlo {

enum class Encoding { Utf8, Utf16Le, Utf16Be, Cp932 };

// The encoding's name as iconv and the user know it: "UTF-8", "UTF-16LE", "UTF-16BE", "CP932".
const char *encodingName(Encoding encoding);

// Decodes through iconv. A sequence that is not valid in the encoding becomes U+FFFD and decoding
// resumes at the next code unit, so a stray byte never swallows what follows; a character cut by the
// end of a chunk waits for the next one. A byte order mark is text here, like any other character.
class TextDecoder {
public:
    explicit TextDecoder(Encoding encoding) : m_encoding(encoding) {}

    // Appends the text of `bytes` to `out`.
    void feed(std::string_view bytes, std::string &out) { decode(bytes, out, false); }
    // The end of the text: a character left incomplete becomes U+FFFD.
    void finish(std::string &out) { decode({}, out, true); }
    // Whether any sequence was not valid in the encoding.
    bool sawInvalid() const { return m_invalid; }

private:
    void decode(std::string_view bytes, std::string &out, bool last);

    Encoding m_encoding;
    std::string m_carry; // the start of a character cut by the end of the last chunk
    bool m_invalid = false;
};

} // namespace tamberlo
