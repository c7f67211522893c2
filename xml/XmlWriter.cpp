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

void put(std::ostream &stream, std::string_view piece)
{
    stream.write(piece.data(), static_cast<std::streamsize>(piece.size()));
}

void lineEnd(std::ostream &stream)
{
    stream.put('\n');
    stream.flush();
}

void writeAttribute(std::ostream &stream, const XmlElement::Attribute &attribute)
{
    put(stream, attribute.first);
    put(stream, "=\"");
    put(stream, escapeXmlText(attribute.second));
    put(stream, "\"");
}

void writeChildren(std::ostream &stream, const XmlElement::ChildList &children)
{
    for (const XmlElement *child : children) {
        writeXml(stream, child);
        lineEnd(stream);
    }
}

void writeDocument(std::ostream &stream, const XmlElement &document)
{
    put(stream, "<?xml version=\"");
    put(stream, document.getVersion());
    put(stream, "\" ");
    for (const auto &attribute : document.getAttributes()) {
        writeAttribute(stream, attribute);
        put(stream, " ");
    }
    put(stream, "?>");
    lineEnd(stream);
    writeChildren(stream, document.getChildren());
}

void writeElement(std::ostream &stream, const XmlElement &element)
{
    const std::string name = element.getName();
    put(stream, "<");
    put(stream, name);
    for (const auto &attribute : element.getAttributes()) {
        put(stream, " ");
        writeAttribute(stream, attribute);
    }
    put(stream, ">");
    const std::string text = element.getText();
    const XmlElement::ChildList children = element.getChildren();
    if (!text.empty())
        put(stream, escapeXmlText(text));
    else if (!children.empty())
        lineEnd(stream);
    writeChildren(stream, children);
    put(stream, "</");
    put(stream, name);
    put(stream, ">");
}

} // namespace

std::ostream &writeXml(std::ostream &stream, const XmlElement *element)
{
    if (!element)
        return stream;
    if (element->isDocument())
        writeDocument(stream, *element);
    else
        writeElement(stream, *element);
    return stream;
}

std::string escapeXmlText(const std::string &text)
{
    std::string escaped;
    escaped.reserve(text.size());
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
            escaped.append(text, runStart, pos - runStart);
            escaped.append(replacement);
            runStart = pos + covered;
        }
        pos += covered;
    }
    escaped.append(text, runStart, pos - runStart);
    return escaped;
}

} // namespace stubsetup
