#include "wordlists/entrycheck.h"

#include "dictionary/cp932.h"
#include "dictionary/newentry.h"
#include "dictionary/utf8.h"

#include <algorithm>
#include <cstdio>

namespace tamberlo::wordlists {

namespace {

std::string fieldProblem(const Field &field, const char *what, const char *encoding, std::string &bytes)
{
    if (field.characters > MaxFieldCharacters)
        return std::string(what) + "が長すぎます（" + std::to_string(field.characters) + "文字。" +
               std::to_string(MaxFieldCharacters) + "文字まで）";
    if (field.text.empty())
        return std::string(what) + "が空です";
    const TextFault fault = textFault(field.text);
    const auto column = [&] {
        if (field.column == 0)
            return std::string();
        const auto before = utf8::characters(std::string_view(field.text).substr(0, fault.at));
        return "（" + std::to_string(field.column + static_cast<long long>(before)) + "列目）";
    };
    switch (fault.kind) {
    case TextFault::None:
        if (std::all_of(field.text.begin(), field.text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
            bytes.assign(field.text);
        else
            bytes = encodeCp932(field.text).bytes;
        return {};
    case TextFault::Separator:
        return std::string(what) + "に「<>」があります" + column();
    case TextFault::LineBreak:
        return std::string(what) + "に改行があります";
    case TextFault::Nul:
        return std::string(what) + "にNUL文字があります" + column();
    case TextFault::Unencodable:
        break;
    }
    if (fault.character == utf8::Replacement)
        return std::string(what) + "に" + encoding + "として読めないバイトがあります" + column();
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X ", static_cast<unsigned>(fault.character));
    std::string shown;
    utf8::append(shown, fault.character);
    return std::string(what) + "にコードページ932で表せない文字があります: " + code + shown + column();
}

} // namespace

std::string checkEntry(const Field &word, const Field &meaning, const char *encoding, EntryBytes &entry)
{
    if (std::string problem = fieldProblem(word, "語", encoding, entry.word); !problem.empty())
        return problem;
    return fieldProblem(meaning, "意味", encoding, entry.meaning);
}

} // namespace tamberlo::wordlists
