#include "dictionary/newentry.h"

#include "dictionary/cp932.h"
#include "dictionary/entrysplitter.h"
#include "dictionary/linerule.h"
#include "dictionary/utf8.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace tamberlo {

std::string composeEntryLine(std::string_view word, std::string_view meaning)
{
    std::string line;
    line.reserve(word.size() + EntrySeparator.size() + meaning.size() + LineEnd.size());
    appendEntryLine(line, word, meaning);
    return line;
}

void appendEntryLine(std::string &out, std::string_view word, std::string_view meaning)
{
    out.append(word).append(EntrySeparator).append(meaning).append(LineEnd);
}

TextFault textFault(std::string_view text, std::string *cp932)
{
    if (const std::size_t at = text.find(EntrySeparator); at != std::string_view::npos)
        return {TextFault::Separator, at};
    if (const auto at = std::find_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; });
        at != text.end())
        return {TextFault::LineBreak, static_cast<std::size_t>(at - text.begin())};
    if (text.find('\0') == std::string_view::npos) {
        // ASCII is the same in code page 932: nothing to encode.
        if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
            if (cp932)
                cp932->assign(text);
            return {};
        }
        if (Cp932Encoding encoded = encodeCp932(text); encoded.ok()) {
            if (cp932)
                *cp932 = std::move(encoded.bytes);
            return {};
        }
    }
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t at = i;
        if (text[i] == '\0')
            return {TextFault::Nul, at};
        const char32_t c = utf8::next(text, i);
        if (c >= 0x80 && (c == utf8::Replacement || !encodeCp932(text.substr(at, i - at)).ok()))
            return {TextFault::Unencodable, at, c};
    }
    return {};
}

EntryCheck checkNewEntry(std::string_view word, std::string_view meaning)
{
    const TextFault w = textFault(word);
    const TextFault m = textFault(meaning);
    if (w.kind == TextFault::Separator || m.kind == TextFault::Separator)
        return EntryCheck::HoldsSeparator;
    return w.kind == TextFault::None && m.kind == TextFault::None ? EntryCheck::Ok : EntryCheck::NotStorable;
}

std::string unencodableReason(const Cp932Encoding &word, const Cp932Encoding &meaning)
{
    std::string reason = "コードページ932で表せない文字があります:";
    for (const auto *encoding : {&word, &meaning}) {
        for (char32_t c : encoding->unencodable) {
            char code[16];
            std::snprintf(code, sizeof code, " U+%04X", static_cast<unsigned>(c));
            reason += code;
        }
    }
    return reason;
}

} // namespace tamberlo
