#include "wordlists/entrycheck.h"

#include "dictionary/cp932.h"
#include "dictionary/newentry.h"
#include "dictionary/utf8.h"

#include <cstdio>

namespace tamberlo::wordlists {

namespace {

std::string fieldProblem(const Field &field, const std::string &name, const char *encoding, std::string &bytes)
{
    if (field.characters > MaxFieldCharacters)
        return name + "が長すぎます（" + std::to_string(field.characters) + "文字。" +
               std::to_string(MaxFieldCharacters) + "文字まで）";
    if (field.text.empty())
        return name + "が空です";
    const TextFault fault = textFault(field.text);
    const std::string column =
        field.column == 0 ? std::string()
                          : "（" + std::to_string(field.column + static_cast<long long>(utf8::characters(
                                                                      std::string_view(field.text).substr(0, fault.at)))) +
                                "列目）";
    switch (fault.kind) {
    case TextFault::None:
        bytes = encodeCp932(field.text).bytes;
        return {};
    case TextFault::Separator:
        return name + "に「<>」があります" + column;
    case TextFault::LineBreak:
        return name + "に改行があります";
    case TextFault::Nul:
        return name + "にNUL文字があります" + column;
    case TextFault::Unencodable:
        break;
    }
    if (fault.character == utf8::Replacement)
        return name + "に" + encoding + "として読めないバイトがあります" + column;
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X ", static_cast<unsigned>(fault.character));
    std::string shown;
    utf8::append(shown, fault.character);
    return name + "にコードページ932で表せない文字があります: " + code + shown + column;
}

} // namespace

std::string checkEntry(const Field &word, const Field &meaning, const char *encoding, EntryBytes &entry)
{
    if (std::string problem = fieldProblem(word, "語", encoding, entry.word); !problem.empty())
        return problem;
    return fieldProblem(meaning, "意味", encoding, entry.meaning);
}

} // namespace tamberlo::wordlists
