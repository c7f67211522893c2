#include "xml/XmlWriter.h"

#include <string_view>

namespace stubsetup {
namespace {

constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD";

// The entity for an ASCII byte that cannot stand as itself, or an empty view.
std::string_view entityFor(unsigned char byte)
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
    case '\t':
    case '\n':
    case '\r':
        return {};
    default:
        return byte < 0x20 ? replacementCharacter : std::string_view{};
    }
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
Utf8Sequence measureUtf8(const std::string &text, std::size_t pos)
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

// Appends `text` to `out` with the escaping escapeXmlText describes.
void appendEscaped(std::string &out, const std::string &text)
{
    std::size_t runStart = 0; // bytes that pass unchanged are copied in runs
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        std::string_view replacement;
        std::size_t covered = 1;
        if (byte < 0x80) {
            replacement = entityFor(byte);
        } else {
            const Utf8Sequence sequence = measureUtf8(text, pos);
            covered = sequence.length;
            if (!sequence.valid)
                replacement = replacementCharacter;
        }
        if (!replacement.empty()) {
            out.append(text, runStart, pos - runStart);
            out.append(replacement);
            runStart = pos + covered;
        }
        pos += covered;
    }
    out.append(text, runStart, pos - runStart);
}

// Collects each line and hands it to the stream whole at its line end, with
// the flush the format promises; a single write per line keeps large trees
// cheap.
class LineWriter {
public:
    explicit LineWriter(std::ostream &stream) : m_stream(stream) {}
    ~LineWriter() { m_stream.write(m_line.data(), static_cast<std::streamsize>(m_line.size())); }
    LineWriter(const LineWriter &) = delete;
    LineWriter &operator=(const LineWriter &) = delete;

    void element(const XmlElement &element)
    {
        if (element.isDocument())
            document(element);
        else
            ordinary(element);
    }

private:
    void put(std::string_view piece) { m_line.append(piece); }

    void lineEnd()
    {
        m_line.push_back('\n');
        m_stream.write(m_line.data(), static_cast<std::streamsize>(m_line.size()));
        m_stream.flush();
        m_line.clear();
    }

    void attribute(const XmlElement::Attribute &attribute)
    {
        put(attribute.first);
        put("=\"");
        appendEscaped(m_line, attribute.second);
        put("\"");
    }

    void children(const XmlElement::ChildList &children)
    {
        for (const XmlElement *child : children) {
            element(*child);
            lineEnd();
        }
    }

    void document(const XmlElement &document)
    {
        put("<?xml version=\"");
        put(document.getVersion());
        put("\" ");
        for (const auto &each : document.getAttributes()) {
            attribute(each);
            put(" ");
        }
        put("?>");
        lineEnd();
        children(document.getChildren());
    }

    void ordinary(const XmlElement &element)
    {
        const std::string name = element.getName();
        put("<");
        put(name);
        for (const auto &each : element.getAttributes()) {
            put(" ");
            attribute(each);
        }
        put(">");
        const std::string text = element.getText();
        const XmlElement::ChildList childList = element.getChildren();
        if (!text.empty())
            appendEscaped(m_line, text);
        else if (!childList.empty())
            lineEnd();
        children(childList);
        put("</");
        put(name);
        put(">");
    }

    std::ostream &m_stream;
    std::string m_line;
};

} // namespace

std::ostream &writeXml(std::ostream &stream, const XmlElement *element)
{
    if (element)
        LineWriter(stream).element(*element);
    return stream;
}

std::string escapeXmlText(const std::string &text)
{
    std::string escaped;
    escaped.reserve(text.size());
    appendEscaped(escaped, text);
    return escaped;
}

} // namespace stubsetup
