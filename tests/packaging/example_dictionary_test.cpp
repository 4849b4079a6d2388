// The shipped example dictionary, read through the program's own dictionary operations.
#include "dictionary/cp932.h"
#include "dictionary/dictionaryfile.h"
#include "wholeline.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

const std::string kPath = TAMBERLO_EXAMPLE_DICTIONARY;
constexpr int kMinEntries = 150;
constexpr std::size_t kMaxWord = 15;     // the word box's limit
constexpr std::size_t kMaxMeaning = 20;  // the meaning box's limit

std::string fileBytes()
{
    std::ifstream in(kPath, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Raw lines, split at CR LF; fails the test on any other line end.
std::vector<std::string> rawLines(const std::string &bytes)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "text after the last CR LF: line " << lines.size() + 1;
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::size_t codePoints(const std::string &utf8)
{
    std::size_t n = 0;
    for (unsigned char c : utf8)
        n += (c & 0xC0) != 0x80;
    return n;
}

// No space, tab or ideographic space at either end.
bool trimmed(const std::string &s)
{
    static const std::string kIdeographicSpace = "\xE3\x80\x80";
    for (const std::string &blank : {std::string(" "), std::string("\t"), kIdeographicSpace})
        if (s.starts_with(blank) || s.ends_with(blank))
            return false;
    return true;
}

bool hasNonAscii(const std::string &s)
{
    for (unsigned char c : s)
        if (c >= 0x80)
            return true;
    return false;
}

TEST(ExampleDictionary, EveryLineEndsWithCrLf)
{
    const std::string bytes = fileBytes();
    ASSERT_FALSE(bytes.empty()) << kPath;
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    for (const std::string &line : rawLines(bytes)) {
        EXPECT_EQ(line.find('\r'), std::string::npos) << "lone CR in: " << tamberlo::decodeCp932(line);
        EXPECT_EQ(line.find('\n'), std::string::npos) << "lone LF in: " << tamberlo::decodeCp932(line);
    }
}

TEST(ExampleDictionary, CountMatchesLines)
{
    const auto lines = rawLines(fileBytes());
    EXPECT_GE(static_cast<int>(lines.size()), kMinEntries);
    EXPECT_EQ(tamberlo::countEntries(kPath), static_cast<int>(lines.size()));
}

TEST(ExampleDictionary, Cp932RoundTrip)
{
    const std::string bytes = fileBytes();
    const std::string text = tamberlo::decodeCp932(bytes);
    EXPECT_EQ(text.find("\xEF\xBF\xBD"), std::string::npos) << "bytes that are not code page 932";
    const tamberlo::Cp932Encoding back = tamberlo::encodeCp932(text);
    EXPECT_TRUE(back.ok());
    EXPECT_EQ(back.bytes, bytes);
}

TEST(ExampleDictionary, EntriesAreWordAndMeaningWithinLimits)
{
    const std::int16_t count = tamberlo::countEntries(kPath);
    ASSERT_GE(count, kMinEntries);
    std::map<std::string, int> firstLine;
    for (std::int16_t n = 1; n <= count; ++n) {
        const std::string line = tamberlo::readEntry(kPath, n);
        SCOPED_TRACE("entry " + std::to_string(n) + ": " + line);
        const std::vector<std::string> pieces = tamberlo::splitEntry(line);
        ASSERT_EQ(pieces.size(), 2u) << "expected exactly one \"<>\"";
        const std::string &word = pieces[0];
        const std::string &meaning = pieces[1];
        EXPECT_FALSE(word.empty());
        EXPECT_FALSE(meaning.empty());
        EXPECT_LE(codePoints(word), kMaxWord);
        EXPECT_LE(codePoints(meaning), kMaxMeaning);
        EXPECT_TRUE(trimmed(word)) << "blank at the start or end of the word";
        EXPECT_TRUE(trimmed(meaning)) << "blank at the start or end of the meaning";
        // English first, Japanese second.
        EXPECT_FALSE(hasNonAscii(word)) << "word is not plain English";
        EXPECT_TRUE(hasNonAscii(meaning)) << "meaning has no Japanese text";
        std::string key;
        for (char c : word)
            key += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        const auto [it, inserted] = firstLine.emplace(key, n);
        EXPECT_TRUE(inserted) << "duplicate word, first at entry " << it->second;
    }
}

} // namespace
