#include "xml/XmlWriter.h"

#include <string_view>
#include <vector>

namespace stubsetup {
namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// How the five XML special characters are written.
enum class Specials { AsEntities, AsThemselves };

constexpr std::string_view entityFor(unsigned char byte)
{
    switch (byte) {
    case '"':
        return "&quot;";
    case '&':
        return "&amp;";
    case '\'':
        return "&apos;";
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    default:
        return {};
    }
}

// What an ASCII byte is written as when it cannot stand as itself: U+FFFD for
// a control byte that XML does not allow, or a special character's entity.
// Empty when the byte stands as itself.
constexpr std::string_view replacementFor(unsigned char byte, Specials specials)
{
    if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r')
        return kReplacementCharacter;
    return specials == Specials::AsEntities ? entityFor(byte) : std::string_view{};
}

struct Utf8Sequence {
    std::size_t length; // bytes covered, at least 1
    bool valid;
};

// Measures the multi-byte sequence that starts at `pos` (whose byte is >= 0x80)
// against the well-formed UTF-8 table. A broken or truncated sequence covers
// its longest well-formed prefix, which is replaced by one U+FFFD as a whole;
// scanning resumes at the byte that broke it. A stray continuation byte or an
// impossible lead byte covers just itself.
Utf8Sequence measureUtf8(std::string_view text, std::size_t pos)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t continuations = 0;
    unsigned char low = 0x80;  // range of the first continuation byte, which
    unsigned char high = 0xBF; // excludes overlong forms, surrogates and > U+10FFFF
    if (lead >= 0xC2 && lead <= 0xDF) {
        continuations = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        continuations = 2;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        continuations = 3;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return {1, false};
    }
    std::size_t length = 1;
    for (std::size_t index = 0; index < continuations; ++index, ++length) {
        if (pos + length >= text.size())
            return {length, false};
        const auto byte = static_cast<unsigned char>(text[pos + length]);
        if (byte < low || byte > high)
            return {length, false};
        low = 0x80;
        high = 0xBF;
    }
    // U+FFFE and U+FFFF are not XML characters.
    const bool nonCharacter = lead == 0xEF && static_cast<unsigned char>(text[pos + 1]) == 0xBF &&
                              (static_cast<unsigned char>(text[pos + 2]) & 0xFE) == 0xBE;
    return {length, !nonCharacter};
}

// Appends `text` to `out`, bytes that XML cannot carry replaced by U+FFFD
// and the special characters written as `specials` says.
void appendEscaped(std::string &out, std::string_view text, Specials specials)
{
    for (std::size_t pos = 0; pos < text.size();) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte < 0x80) {
            const std::string_view replacement = replacementFor(byte, specials);
            if (replacement.empty())
                out += text[pos];
            else
                out += replacement;
            ++pos;
            continue;
        }
        const Utf8Sequence sequence = measureUtf8(text, pos);
        out += sequence.valid ? text.substr(pos, sequence.length) : kReplacementCharacter;
        pos += sequence.length;
    }
}

// Builds the output a line at a time and hands each line to the stream at its
// line end, followed by a flush, so that every line reaches the file whole.
// A failing stream keeps its failure in its state and drops what follows.
//
// A tree may be as deep as the reader allows and be written on a host's small
// stack, so the open elements are kept in a list instead of in recursion.
class LineWriter {
public:
    explicit LineWriter(std::ostream &stream) : m_stream(stream) {}

    void write(const XmlElement &top)
    {
        std::vector<OpenElement> open;
        open.push_back(start(top));
        while (!open.empty()) {
            OpenElement &current = open.back();
            if (current.next < current.children.size()) {
                const XmlElement &child = *current.children[current.next++];
                open.push_back(start(child));
                continue;
            }
            end(current);
            open.pop_back();
            // Every child ends with a line end; the top element does not.
            if (!open.empty())
                lineEnd();
        }
    }

    // An ordinary element written on its own ends without a line end.
    void finish() { send(); }

private:
    // An element whose start has been written, with the children still to come.
    struct OpenElement {
        bool isDocument;
        std::string name;
        XmlElement::ChildList children;
        std::size_t next = 0;
    };

    void send()
    {
        m_stream.write(m_line.data(), static_cast<std::streamsize>(m_line.size()));
        m_line.clear();
    }

    void lineEnd()
    {
        m_line += '\n';
        send();
        m_stream.flush();
    }

    // A value is written as stored unless it holds a character that would
    // end or break it; only then does it get the entities of element text. A
    // foreign attribute with an apostrophe or a greater-than sign keeps its
    // bytes through every save.
    void attribute(const XmlElement::Attribute &attribute)
    {
        const std::string &value = attribute.second;
        const bool breaksTheValue = value.find_first_of("<&\"") != std::string::npos;
        m_line += attribute.first;
        m_line += "=\"";
        appendEscaped(m_line, value,
                      breaksTheValue ? Specials::AsEntities : Specials::AsThemselves);
        m_line += '"';
    }

    OpenElement start(const XmlElement &element)
    {
        return element.isDocument() ? startDocument(element) : startOrdinary(element);
    }

    OpenElement startDocument(const XmlElement &document)
    {
        m_line += "<?xml version=\"";
        m_line += document.getVersion();
        m_line += "\" ";
        for (const XmlElement::Attribute &each : document.getAttributes()) {
            attribute(each);
            m_line += ' ';
        }
        m_line += "?>";
        lineEnd();
        return {true, {}, document.getChildren()};
    }

    OpenElement startOrdinary(const XmlElement &element)
    {
        OpenElement open{false, element.getName(), element.getChildren()};
        m_line += '<';
        m_line += open.name;
        for (const XmlElement::Attribute &each : element.getAttributes()) {
            m_line += ' ';
            attribute(each);
        }
        m_line += '>';
        const std::string text = element.getText();
        if (!text.empty())
            appendEscaped(m_line, text, Specials::AsEntities);
        else if (!open.children.empty())
            lineEnd();
        return open;
    }

    void end(const OpenElement &element)
    {
        if (element.isDocument)
            return;
        m_line += "</";
        m_line += element.name;
        m_line += '>';
    }

    std::ostream &m_stream;
    std::string m_line;
};

} // namespace

std::ostream &writeXml(std::ostream &stream, const XmlElement *element)
{
    if (element) {
        LineWriter writer(stream);
        writer.write(*element);
        writer.finish();
    }
    return stream;
}

std::string escapeXmlText(const std::string &text)
{
    std::string escaped;
    escaped.reserve(text.size());
    appendEscaped(escaped, text, Specials::AsEntities);
    return escaped;
}

} // namespace stubsetup
