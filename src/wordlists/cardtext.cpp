#include "wordlists/cardtext.h"

#include "dictionary/utf8.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>
#include <vector>

namespace tamberlo::wordlists {

namespace {

bool isAsciiSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

std::string lowerAscii(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Elements a browser lays out as lines or boxes of their own: where one starts or ends, words part.
bool breaksText(std::string_view name)
{
    static constexpr std::array<std::string_view, 27> blocks = {
        "br", "hr", "p", "div", "li", "ul", "ol", "dl", "dt", "dd", "tr", "td", "th", "table",
        "thead", "tbody", "tfoot", "h1", "h2", "h3", "h4", "h5", "h6", "blockquote", "pre", "section", "article"};
    return std::find(blocks.begin(), blocks.end(), name) != blocks.end();
}

// The length of "{{cN::" at the start of s, or 0.
std::size_t clozeOpening(std::string_view s)
{
    if (!s.starts_with("{{c"))
        return 0;
    std::size_t i = 3;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
        ++i;
    return i > 3 && s.substr(i).starts_with("::") ? i + 2 : 0;
}

// The character an entity at the start of s ("&...;") stands for, and its length; 0 for none.
std::size_t entity(std::string_view s, char32_t &character)
{
    const std::size_t semicolon = s.substr(0, 11).find(';');
    if (semicolon == std::string_view::npos || semicolon < 2 || semicolon > 10)
        return 0;
    const std::string name = lowerAscii(s.substr(1, semicolon - 1));
    if (name[0] == '#') {
        const bool hex = name.size() > 1 && name[1] == 'x';
        const std::string_view digits = std::string_view(name).substr(hex ? 2 : 1);
        if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [&](char c) {
                return hex ? std::isxdigit(static_cast<unsigned char>(c)) : std::isdigit(static_cast<unsigned char>(c));
            }))
            return 0;
        const unsigned long value = std::stoul(std::string(digits), nullptr, hex ? 16 : 10);
        if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return 0;
        character = static_cast<char32_t>(value);
        return semicolon + 1;
    }
    static constexpr std::array<std::pair<std::string_view, char32_t>, 6> named = {
        {{"nbsp", 0xA0}, {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}}};
    for (const auto &[n, c] : named)
        if (name == n) {
            character = c;
            return semicolon + 1;
        }
    return 0;
}

// The length of the tag or comment at the start of s ("<..."), its name lowered ("/div" for an end
// tag); 0 where the "<" is text. One never closed runs to the end, dropped as browsers drop it.
std::size_t tag(std::string_view s, std::string &name)
{
    name.clear();
    if (s.starts_with("<!--"))
        return std::min(s.find("-->", 4), s.size() - 3) + 3;
    std::size_t i = 1;
    if (i < s.size() && (s[i] == '/' || s[i] == '!' || s[i] == '?'))
        ++i;
    if (i >= s.size() || !std::isalpha(static_cast<unsigned char>(s[i])))
        return 0;
    while (i < s.size() && std::isalnum(static_cast<unsigned char>(s[i])))
        ++i;
    name = lowerAscii(s.substr(1, i - 1));
    // A ">" inside a quoted attribute value does not end the tag.
    for (char quote = 0; i < s.size(); ++i) {
        if (quote != 0)
            quote = s[i] == quote ? 0 : quote;
        else if (s[i] == '"' || s[i] == '\'')
            quote = s[i];
        else if (s[i] == '>')
            return i + 1;
    }
    return s.size();
}

class Cleaner {
public:
    void text(char c)
    {
        if (isAsciiSpace(c)) {
            m_space = !m_out.empty();
            return;
        }
        if (std::exchange(m_space, false))
            m_out += ' ';
        m_out += c;
    }
    void text(char32_t character)
    {
        if (character == 0xA0)
            return text(' ');
        std::string bytes;
        utf8::append(bytes, character);
        for (const char c : bytes)
            text(c);
    }
    void space() { m_space = !m_out.empty(); }
    std::string result() { return std::move(m_out); }

private:
    std::string m_out;
    bool m_space = false;
};

} // namespace

std::string cardText(std::string_view html)
{
    Cleaner out;
    std::vector<bool> clozes; // those open, each true once past its answer into its hint
    std::size_t hints = 0;    // of those open, how many are in their hint
    std::string name;
    std::size_t n = 0;
    std::size_t bracket = html.find(']'); // the next "]" from i on: found once, not once per "["
    for (std::size_t i = 0; i < html.size();) {
        const std::string_view rest = html.substr(i);
        if (rest[0] == '<' && (n = tag(rest, name)) > 0) {
            if (hints == 0 && breaksText(name.starts_with('/') ? std::string_view(name).substr(1) : name))
                out.space();
            i += n;
            // What a script or style holds is no text of the card.
            if (name == "script" || name == "style") {
                const std::string end = "</" + name;
                i = static_cast<std::size_t>(std::search(html.begin() + static_cast<std::ptrdiff_t>(i), html.end(), end.begin(), end.end(),
                                                         [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; }) -
                                             html.begin());
            }
        } else if ((n = clozeOpening(rest)) > 0) {
            clozes.push_back(false);
            i += n;
        } else if (!clozes.empty() && !clozes.back() && rest.starts_with("::")) {
            clozes.back() = true;
            ++hints;
            i += 2;
        } else if (!clozes.empty() && rest.starts_with("}}")) {
            hints -= clozes.back() ? 1 : 0;
            clozes.pop_back();
            i += 2;
        } else if (hints > 0) {
            ++i;
        } else if (rest.starts_with("[sound:") &&
                   (bracket = bracket != std::string_view::npos && bracket < i ? html.find(']', i) : bracket) !=
                       std::string_view::npos) {
            i = bracket + 1;
        } else if (char32_t character = 0; rest[0] == '&' && (n = entity(rest, character)) > 0) {
            out.text(character);
            i += n;
        } else if (rest.starts_with("\xC2\xA0")) {
            out.space();
            i += 2;
        } else {
            out.text(rest[0]);
            ++i;
        }
    }
    return out.result();
}

void cleanCardField(Field &field)
{
    if (field.text.size() >= field.room)
        return;
    field.text = cardText(field.text);
    field.characters = utf8::characters(field.text);
    // A column counted in the markup would point past the character meant.
    field.column = 0;
}

} // namespace tamberlo::wordlists
