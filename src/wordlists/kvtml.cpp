#include "wordlists/kvtml.h"

#include "dictionary/systemreason.h"

#include <expat.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <unistd.h>

namespace tamberlo::wordlists {

namespace {

// Expat 2.9 counts lines and columns in 64 bits and deprecates the calls that do not.
#if XML_MAJOR_VERSION > 2 || (XML_MAJOR_VERSION == 2 && XML_MINOR_VERSION >= 9)
unsigned long long lineOf(XML_Parser xml) { return XML_GetCurrentLineNumber64(xml); }
unsigned long long columnOf(XML_Parser xml) { return XML_GetCurrentColumnNumber64(xml); }
#else
unsigned long long lineOf(XML_Parser xml) { return XML_GetCurrentLineNumber(xml); }
unsigned long long columnOf(XML_Parser xml) { return XML_GetCurrentColumnNumber(xml); }
#endif

constexpr std::size_t MaxTokenBytes = std::size_t{16} << 20;

// Where an element stands: only these paths hold words, the rest is read past.
enum class Node { Other, Root, Identifiers, Entries, Entry, Translation, Text, Expression, ExpressionText };

std::optional<std::size_t> number(const XML_Char **attributes, std::string_view name)
{
    for (; attributes[0]; attributes += 2) {
        const std::string_view value = attributes[1];
        if (attributes[0] != name || value.empty() || value.size() > 9 ||
            !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        return std::stoul(std::string(value));
    }
    return std::nullopt;
}

class Parser {
public:
    Parser(XML_Parser xml, const ReadOptions &options, RecordSink &sink)
        : m_xml(xml), m_sink(sink), m_fields(options.keptFields)
    {
        m_record.encoding = "UTF-8";
        m_record.blankWhenEmpty = true;
        XML_SetUserData(xml, this);
        XML_SetElementHandler(
            xml, [](void *self, const XML_Char *name, const XML_Char **attributes) { static_cast<Parser *>(self)->start(name, attributes); },
            [](void *self, const XML_Char *) { static_cast<Parser *>(self)->end(); });
        XML_SetCharacterDataHandler(xml, [](void *self, const XML_Char *text, int length) {
            static_cast<Parser *>(self)->text(std::string_view(text, static_cast<std::size_t>(length)));
        });
        XML_SetEntityDeclHandler(xml, [](void *self, const XML_Char *, int, const XML_Char *, int, const XML_Char *,
                                         const XML_Char *, const XML_Char *, const XML_Char *) {
            static_cast<Parser *>(self)->refuse("XMLの<!ENTITY>宣言には対応していません");
        });
    }

    // Bytes given to expat since a handler last ran: expat holds a token whole, so a token this long
    // (a giant attribute or comment) would take memory without end.
    bool fed(std::size_t bytes)
    {
        if ((m_quiet += bytes) > MaxTokenBytes)
            refuse("XMLの要素が大きすぎます（" + std::to_string(MaxTokenBytes >> 20) + " MiBまで）");
        return m_refusal.empty();
    }

    // Why the file cannot be read, once XML_Parse has failed.
    std::string failure() const
    {
        if (!m_refusal.empty())
            return m_refusal;
        return "XMLとして読めません（" + position() + ": " + XML_ErrorString(XML_GetErrorCode(m_xml)) + "）";
    }

private:
    std::string position() const
    {
        return std::to_string(lineOf(m_xml)) + "行" + std::to_string(columnOf(m_xml) + 1) + "列目";
    }

    void refuse(const std::string &reason, bool placed = true)
    {
        m_refusal = placed ? reason + "（" + position() + "）" : reason;
        XML_StopParser(m_xml, XML_FALSE);
    }

    void start(std::string_view name, const XML_Char **attributes)
    {
        m_quiet = 0;
        const Node parent = m_stack.empty() ? Node::Other : m_stack.back();
        Node node = Node::Other;
        if (m_stack.empty()) {
            if (name != "kvtml")
                refuse("XMLですがKVTMLではありません（最初の要素が<" + std::string(name) + ">です）", false);
            node = Node::Root;
        } else if (parent == Node::Root && name == "identifiers") {
            node = Node::Identifiers;
        } else if (parent == Node::Identifiers && name == "identifier") {
            ++m_declared;
        } else if (parent == Node::Root && (name == "entries" || name == "e")) {
            node = name == "e" ? Node::Expression : Node::Entries;
            if (node == Node::Expression)
                startEntry();
        } else if (parent == Node::Entries && name == "entry") {
            node = Node::Entry;
            startEntry();
        } else if (parent == Node::Entry && name == "translation") {
            node = Node::Translation;
            m_target = number(attributes, "id");
            if (m_target)
                m_present = std::max(m_present, *m_target + 1);
        } else if (parent == Node::Translation && name == "text") {
            node = Node::Text;
            startText();
        } else if (parent == Node::Expression && (name == "o" || name == "t")) {
            node = Node::ExpressionText;
            m_target = name == "o" ? 0 : 1 + m_translations++;
            m_present = std::max(m_present, *m_target + 1);
            startText();
        }
        m_stack.push_back(node);
    }

    void end()
    {
        m_quiet = 0;
        // Expat may still end an element after the parse was stopped.
        if (m_stack.empty() || !m_refusal.empty())
            return;
        const Node node = m_stack.back();
        m_stack.pop_back();
        if (node != Node::Entry && node != Node::Expression)
            return;
        const std::size_t count = std::max(m_present, node == Node::Entry ? m_declared : 0);
        m_record.fields.assign(m_fields.begin(), m_fields.begin() + static_cast<std::ptrdiff_t>(std::min(count, m_fields.size())));
        m_sink.take(m_record);
    }

    void text(std::string_view text)
    {
        m_quiet = 0;
        const Node node = m_stack.empty() ? Node::Other : m_stack.back();
        if ((node == Node::Text || node == Node::ExpressionText) && m_target && *m_target < m_fields.size())
            m_fields[*m_target].append(text);
    }

    void startEntry()
    {
        m_record.location = static_cast<long long>(lineOf(m_xml));
        for (Field &field : m_fields)
            field.clear();
        m_present = 0;
        m_translations = 0;
    }

    // A field given twice is the last one given.
    void startText()
    {
        if (m_target && *m_target < m_fields.size())
            m_fields[*m_target].clear();
    }

    XML_Parser m_xml;
    RecordSink &m_sink;
    std::vector<Field> m_fields;
    Record m_record;
    std::vector<Node> m_stack;
    std::size_t m_declared = 0;          // identifiers: the columns of every entry
    std::size_t m_present = 0;           // fields the entry gives
    std::size_t m_translations = 0;      // <t> of a version 1 entry so far
    std::optional<std::size_t> m_target; // the field the text read goes to
    std::string m_refusal;
    std::size_t m_quiet = 0;
};

} // namespace

std::string Kvtml::read(RecordSink &sink)
{
    if (::lseek(m_fd, 0, SEEK_SET) < 0)
        return systemReason(errno);
    const std::unique_ptr<std::remove_pointer_t<XML_Parser>, void (*)(XML_Parser)> xml(XML_ParserCreate(nullptr), XML_ParserFree);
    if (!xml)
        return systemReason(ENOMEM);
    Parser parser(xml.get(), m_options, sink);
    BlockReader reader(m_fd, m_blockSize);
    for (; reader.available(); reader.skipAll())
        if (!parser.fed(static_cast<std::size_t>(reader.end() - reader.begin())) ||
            XML_Parse(xml.get(), reader.begin(), static_cast<int>(reader.end() - reader.begin()), XML_FALSE) != XML_STATUS_OK)
            return parser.failure();
    if (reader.error() != 0)
        return systemReason(reader.error());
    if (XML_Parse(xml.get(), nullptr, 0, XML_TRUE) != XML_STATUS_OK)
        return parser.failure();
    return {};
}

} // namespace tamberlo::wordlists
