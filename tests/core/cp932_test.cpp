#include "dictionary/cp932.h"
#include "dictionary/textdecoder.h"
#include "dictionary/utf8.h"

#include "tempdir.h"
#include "rows.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

using namespace tamberlo;
using namespace std::string_literals;

namespace {

std::string utf8(char32_t cp)
{
    std::string out;
    utf8::append(out, cp);
    return out;
}

// The oracle: every valid code page 932 sequence and its character, read afresh from tests/data.
class Oracle : public testing::Test {
protected:
    void SetUp() override
    {
        std::ifstream in(TAMBERLO_CP932_TABLE);
        ASSERT_TRUE(in) << "no table at " << TAMBERLO_CP932_TABLE;
        for (std::string line; std::getline(in, line);) {
            if (line.empty() || line[0] == '#')
                continue;
            const auto tab = line.find('\t');
            ASSERT_NE(tab, std::string::npos) << line;
            ASSERT_EQ(line.compare(tab + 1, 2, "U+"), 0) << line;
            const unsigned code = std::stoul(line.substr(0, tab), nullptr, 16);
            std::string bytes;
            if (tab == 4)
                bytes += static_cast<char>(code >> 8);
            bytes += static_cast<char>(code & 0xFF);
            const auto cp = static_cast<char32_t>(std::stoul(line.substr(tab + 3), nullptr, 16));
            table[bytes] = cp;
            codesOf[cp].insert(bytes);
        }
        ASSERT_GT(table.size(), 9000u);
    }
    bool valid(const std::string &bytes) const { return table.count(bytes) != 0; }

    std::map<std::string, char32_t> table;
    std::map<char32_t, std::set<std::string>> codesOf;
};

TEST_F(Oracle, EverySequenceDecodesToItsCharacter)
{
    int wrong = 0;
    for (const auto &[bytes, cp] : table) {
        const std::string got = decodeCp932(bytes);
        if (got != utf8(cp) && ++wrong <= 20)
            ADD_FAILURE() << hex(bytes) << " decoded to " << hex(got) << ", expected U+" << std::hex << unsigned(cp);
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(Oracle, WholeTableDecodesAsOneText)
{
    std::string bytes;
    std::string expected;
    for (const auto &[code, cp] : table) {
        bytes += code;
        expected += utf8(cp);
    }
    EXPECT_TRUE(decodeCp932(bytes) == expected);
}

// Resynchronisation: an invalid pair costs only its first byte; the second is read afresh.
TEST_F(Oracle, InvalidPairsLoseOnlyTheirFirstByte)
{
    int wrong = 0;
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        const std::string first(1, static_cast<char>(lead));
        if (valid(first))
            continue;
        for (int trail = 0; trail <= 0xFF; ++trail) {
            const std::string pair = first + static_cast<char>(trail);
            if (valid(pair))
                continue;
            const std::string expected = "\uFFFD" + decodeCp932(pair.substr(1));
            if (decodeCp932(pair) != expected && ++wrong <= 20)
                ADD_FAILURE() << hex(pair) << " decoded to " << hex(decodeCp932(pair));
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(Oracle, EveryCharacterRoundTrips)
{
    int wrong = 0;
    for (const auto &[cp, codes] : codesOf) {
        const Cp932Encoding encoded = encodeCp932(utf8(cp));
        const bool ok = encoded.ok() && decodeCp932(encoded.bytes) == utf8(cp)
                        && (codes.size() > 1 ? codes.count(encoded.bytes) == 1 : encoded.bytes == *codes.begin());
        if (!ok && ++wrong <= 20)
            ADD_FAILURE() << "U+" << std::hex << unsigned(cp) << " encoded to " << hex(encoded.bytes);
    }
    EXPECT_EQ(wrong, 0);
}

struct DecodeRow {
    std::string name;
    std::string bytes;
    std::string text;
};

class Decode : public testing::TestWithParam<DecodeRow> {};

TEST_P(Decode, Gives)
{
    EXPECT_EQ(hex(decodeCp932(GetParam().bytes)), hex(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Valid, Decode, testing::Values(
    DecodeRow{"empty", "", ""},
    DecodeRow{"ascii_backslash_and_tilde_stay", "\\~", "\\~"},
    DecodeRow{"nul", "a\0b"s, "a\0b"s},
    DecodeRow{"inu", "\x8C\xA2", "犬"},
    DecodeRow{"trail_5c", "\x95\x5C\x5C", "表\\"},
    DecodeRow{"nec_row_13", "\x87\x40", "①"},
    DecodeRow{"wave_dash_is_fullwidth_tilde", "\x81\x60", "\uFF5E"},
    DecodeRow{"parallel", "\x81\x61", "\u2225"},
    DecodeRow{"minus_is_fullwidth_hyphen_minus", "\x81\x7C", "\uFF0D"},
    DecodeRow{"cent_pound_not", "\x81\x91\x81\x92\x81\xCA", "\uFFE0\uFFE1\uFFE2"},
    DecodeRow{"nec_selected_ibm", "\xED\x40", "\u7E8A"},
    DecodeRow{"ibm_extension", "\xFA\x40\xFC\x4B", "\u2170\u9ED1"},
    DecodeRow{"user_defined_area", "\xF0\x40", "\uE000"},
    DecodeRow{"halfwidth_katakana", "\xB1\xDF", "ｱﾟ"}
), RowName);

INSTANTIATE_TEST_SUITE_P(Invalid, Decode, testing::Values(
    DecodeRow{"byte_80", "a\x80z", "a\uFFFDz"},
    DecodeRow{"byte_a0", "\xA0", "\uFFFD"},
    DecodeRow{"bytes_fd_fe_ff", "\xFD\xFE\xFF", "\uFFFD\uFFFD\uFFFD"},
    DecodeRow{"lead_at_end", "ab\x81", "ab\uFFFD"},
    DecodeRow{"lead_before_cr", "\x81\r\n", "\uFFFD\r\n"},
    DecodeRow{"lead_before_space", "\x81 x", "\uFFFD x"},
    DecodeRow{"trail_7f", "\x81\x7F", "\uFFFD\x7F"},
    DecodeRow{"unassigned_lead", "\x85\x40", "\uFFFD@"},
    // 0xAD, cut loose from the unassigned cell 0x81AD, is a half-width katakana of its own.
    DecodeRow{"unassigned_cell", "\x81\xAD\x8C\xA2", "\uFFFD\uFF6D犬"},
    DecodeRow{"unassigned_lead_then_pair", "\x85\x8C\xA2", "\uFFFD犬"}
), RowName);

// The one decoder, for every encoding a word list comes in, fed in chunks of every size: a character
// cut by a chunk's end is whole all the same, and what is not valid costs only its own code unit.
struct StreamRow {
    std::string name;
    Encoding encoding;
    std::string bytes;
    std::string text;
};

class Stream : public testing::TestWithParam<StreamRow> {};

TEST_P(Stream, SameTextWhereverTheChunksEnd)
{
    const StreamRow &row = GetParam();
    for (std::size_t chunk = 1; chunk <= row.bytes.size() + 1; ++chunk) {
        TextDecoder decoder(row.encoding);
        std::string text;
        for (std::size_t at = 0; at < row.bytes.size(); at += chunk)
            decoder.feed(std::string_view(row.bytes).substr(at, chunk), text);
        decoder.finish(text);
        EXPECT_EQ(hex(text), hex(row.text)) << "chunks of " << chunk;
        EXPECT_EQ(decoder.sawInvalid(), row.text.find("\uFFFD") != std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, Stream, testing::Values(
    StreamRow{"cp932", Encoding::Cp932, "a\x8C\xA2\x83\x41", "a犬ア"},
    StreamRow{"cp932_lead_at_end", Encoding::Cp932, "\x8C\xA2\x8C", "犬\uFFFD"},
    StreamRow{"utf8", Encoding::Utf8, "a犬🐦", "a犬🐦"},
    StreamRow{"utf8_cut_at_end", Encoding::Utf8, "a\xE7\x8A", "a\uFFFD\uFFFD"},
    // glibc's iconv would pass these old forms and values past U+10FFFF through as text.
    StreamRow{"utf8_beyond_unicode", Encoding::Utf8, "\xF4\x90\x80\x80\xF8\x88x", "\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDx"},
    StreamRow{"utf8_surrogate", Encoding::Utf8, "\xED\xA0\x80z", "\uFFFD\uFFFD\uFFFDz"},
    StreamRow{"utf16le_pair", Encoding::Utf16Le, "=\xD8&\xDC" "a\0"s, "🐦a"},
    StreamRow{"utf16le_lone_low", Encoding::Utf16Le, "&\xDC" "a\0"s, "\uFFFDa"},
    StreamRow{"utf16le_odd_byte_at_end", Encoding::Utf16Le, "a\0b"s, "a\uFFFD"},
    StreamRow{"utf16be", Encoding::Utf16Be, "\0a\x72\xAC"s, "a犬"}
), RowName);

struct EncodeRow {
    std::string name;
    std::string text;
    std::string bytes;
    std::vector<char32_t> unencodable;
};

class Encode : public testing::TestWithParam<EncodeRow> {};

TEST_P(Encode, Gives)
{
    const Cp932Encoding got = encodeCp932(GetParam().text);
    EXPECT_EQ(hex(got.bytes), hex(GetParam().bytes));
    EXPECT_EQ(got.unencodable, GetParam().unencodable);
    EXPECT_EQ(got.ok(), GetParam().unencodable.empty());
}

INSTANTIATE_TEST_SUITE_P(Rows, Encode, testing::Values(
    EncodeRow{"empty", "", "", {}},
    EncodeRow{"dog_inu", "dog<>犬", "dog<>\x8C\xA2", {}},
    EncodeRow{"backslash_stays", "C:\\", "C:\\", {}},
    EncodeRow{"halfwidth_katakana", "ｱ", "\xB1", {}},
    EncodeRow{"fullwidth_tilde", "\uFF5E", "\x81\x60", {}},
    EncodeRow{"emoji", "a😀b", "ab", {U'\U0001F600'}},
    EncodeRow{"e_acute", "caf\u00E9", "caf", {U'\u00E9'}},
    // glibc would fold these onto look-alikes that read back as other characters.
    EncodeRow{"yen_sign", "\u00A5", "", {U'\u00A5'}},
    EncodeRow{"wave_dash", "\u301C", "", {U'\u301C'}},
    EncodeRow{"minus_sign", "\u2212", "", {U'\u2212'}},
    EncodeRow{"em_dash", "\u2014", "", {U'\u2014'}},
    EncodeRow{"tag_character", "a\U000E0001", "a", {U'\U000E0001'}},
    EncodeRow{"replacement_character", "\uFFFD", "", {U'\uFFFD'}},
    EncodeRow{"invalid_utf8_byte", "a\xFFz", "az", {U'\uFFFD'}},
    EncodeRow{"truncated_utf8", "\xE7\x8A", "", {U'\uFFFD', U'\uFFFD'}},
    EncodeRow{"overlong_slash", "\xC0\xAF", "", {U'\uFFFD', U'\uFFFD'}},
    EncodeRow{"surrogate", "\xED\xA0\x80", "", {U'\uFFFD', U'\uFFFD', U'\uFFFD'}}
), RowName);

} // namespace
