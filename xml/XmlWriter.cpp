#include "xml/XmlWriter.h"

#include "xml/Prefetch.h"
#include "xml/XmlElementAccess.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace stubsetup {
namespace {

constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD";

// The entity for an ASCII byte that cannot stand as itself, or an empty view.
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
    case '\t':
    case '\n':
    case '\r':
        return {};
    default:
        return byte < 0x20 ? replacementCharacter : std::string_view{};
    }
}

// What each ASCII byte is written as: itself, its entity or U+FFFD, with its
// length in the last of eight bytes. Escaping stores all eight with a single
// move and no branch on the byte's kind; the bytes past the length are
// overwritten by what follows. At eight bytes an entry the whole table takes
// 1 KiB, so less of it has to be fetched again after each line's system call.
struct AsciiReplacement {
    char bytes[7];
    unsigned char length;
};
static_assert(sizeof(AsciiReplacement) == 8);

constexpr std::array<AsciiReplacement, 0x80> makeAsciiReplacements()
{
    std::array<AsciiReplacement, 0x80> table{};
    for (std::size_t code = 0; code < table.size(); ++code) {
        const std::string_view entity = entityFor(static_cast<unsigned char>(code));
        AsciiReplacement &replacement = table[code];
        replacement.bytes[0] = static_cast<char>(code);
        replacement.length = static_cast<unsigned char>(entity.empty() ? 1 : entity.size());
        for (std::size_t index = 0; index < entity.size(); ++index)
            replacement.bytes[index] = entity[index];
    }
    return table;
}

constexpr std::array<AsciiReplacement, 0x80> asciiReplacements = makeAsciiReplacements();

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

// Room for the worst case is taken a slice at a time, so that a large text
// does not reserve six times its size.
constexpr std::size_t sliceSize = 4096;
constexpr std::size_t mostBytesPerInputByte = 6; // "&quot;"
// The last ASCII byte's store covers all of its eight bytes.
constexpr std::size_t storeSlack = sizeof(AsciiReplacement);

// Copies `size` bytes, which lie between one and two words, as the first
// and the last word of them.
template <typename Word> void copyOverlapping(char *to, const char *from, std::size_t size)
{
    Word head;
    Word tail;
    std::memcpy(&head, from, sizeof head);
    std::memcpy(&tail, from + size - sizeof tail, sizeof tail);
    std::memcpy(to, &head, sizeof head);
    std::memcpy(to + size - sizeof tail, &tail, sizeof tail);
}

// Copies `size` bytes and answers the end of the copy. Up to sixteen bytes
// take two overlapping moves at most: names, values and the pieces between
// them are mostly that short, and the library's copy would cost a call and a
// dispatch on the size for each.
inline char *copyBytes(char *to, const char *from, std::size_t size)
{
    if (size > 16) {
        std::memcpy(to, from, size);
    } else if (size >= 8) {
        copyOverlapping<std::uint64_t>(to, from, size);
    } else if (size >= 4) {
        copyOverlapping<std::uint32_t>(to, from, size);
    } else if (size > 0) {
        to[0] = from[0];
        to[size / 2] = from[size / 2];
        to[size - 1] = from[size - 1];
    }
    return to + size;
}

// A growing byte buffer that its writers fill through a raw pointer: the
// writer's innermost steps then cost a store each, not a call.
class ByteBuffer {
public:
    ByteBuffer() { grow(256); }

    // Room for `size` more bytes, starting at the returned position; the
    // bytes count once commit() is given the end of those written.
    char *reserve(std::size_t size)
    {
        if (size > static_cast<std::size_t>(m_limit - m_end))
            grow(size);
        return m_end;
    }
    void commit(char *end) { m_end = end; }

    void append(std::string_view piece)
    {
        commit(copyBytes(reserve(piece.size()), piece.data(), piece.size()));
    }
    void append(char byte)
    {
        char *at = reserve(1);
        *at = byte;
        commit(at + 1);
    }
    std::string_view view() const
    {
        return {m_bytes.get(), static_cast<std::size_t>(m_end - m_bytes.get())};
    }
    void clear() { m_end = m_bytes.get(); }

private:
    void grow(std::size_t size)
    {
        const std::string_view kept = view();
        const std::size_t capacity =
            std::max(2 * static_cast<std::size_t>(m_limit - m_bytes.get()), kept.size() + size);
        auto bytes = std::make_unique<char[]>(capacity);
        m_end = std::copy(kept.begin(), kept.end(), bytes.get());
        m_limit = bytes.get() + capacity;
        m_bytes = std::move(bytes);
    }

    std::unique_ptr<char[]> m_bytes;
    char *m_end = nullptr;
    char *m_limit = nullptr;
};

// Escapes the byte or UTF-8 sequence at `in` of `text` to `at`, and moves
// both past it.
inline void escapeOne(std::string_view text, const char *&in, char *&at)
{
    const auto byte = static_cast<unsigned char>(*in);
    if (byte < 0x80) {
        const AsciiReplacement &replacement = asciiReplacements[byte];
        std::memcpy(at, &replacement, sizeof replacement);
        at += replacement.length;
        ++in;
        return;
    }
    const Utf8Sequence sequence = measureUtf8(text, static_cast<std::size_t>(in - text.data()));
    at = sequence.valid ? std::copy(in, in + sequence.length, at)
                        : std::copy(replacementCharacter.begin(), replacementCharacter.end(), at);
    in += sequence.length;
}

// Appends `text` to `out` with the escaping escapeXmlText describes.
void appendEscaped(ByteBuffer &out, std::string_view text)
{
    const char *in = text.data();
    const char *const end = in + text.size();
    while (in != end) {
        const char *const sliceEnd = in + std::min<std::size_t>(end - in, sliceSize);
        char *at = out.reserve(mostBytesPerInputByte * static_cast<std::size_t>(sliceEnd - in) +
                               storeSlack);
        while (in < sliceEnd)
            escapeOne(text, in, at);
        out.commit(at);
    }
}

template <typename Visit> void forEachAttribute(const AttributePack &attributes, Visit visit)
{
    attributes.forEach([&visit](const AttributePack::Entry &entry) { visit(entry); });
}

template <typename Visit>
void forEachAttribute(const XmlElement::AttributeList &attributes, Visit visit)
{
    for (const auto &attribute : attributes)
        visit(AttributePack::Entry(attribute.first, attribute.second));
}

// Collects each line and hands it to the stream whole at its line end, with
// the flush the format promises; a single write per line keeps large trees
// cheap.
class LineWriter {
public:
    explicit LineWriter(std::ostream &stream) : m_stream(stream) {}

    // Writes `element` as one output operation under one sentry, as a
    // stream's own output functions do; an ordinary element's last line has
    // no line end, so it is sent here (not from a destructor, where a
    // throwing stream would end the program).
    void whole(const XmlElement &element)
    {
        const std::ostream::sentry ready(m_stream);
        if (!ready)
            return;
        this->element(element);
        send(false);
    }

private:
    void element(const XmlElement &element)
    {
        if (element.isDocument())
            document(element);
        else
            ordinary(element);
    }

    void put(std::string_view piece) { m_line.append(piece); }
    void put(char byte) { m_line.append(byte); }

    // Does what write, and with `flush` a flush after it, would do, without
    // the sentry each of those takes: that and the calls saved are a good
    // part of the writer's own time per line. Once the stream failed, the
    // rest is dropped.
    void send(bool flush)
    {
        if (m_stream.good()) {
            try {
                if (!handOver(flush))
                    m_stream.setstate(std::ios::badbit);
            } catch (...) {
                if (markBadAfterThrow())
                    throw;
            }
        }
        m_line.clear();
    }

    bool handOver(bool flush)
    {
        std::streambuf &buffer = *m_stream.rdbuf();
        const std::string_view line = m_line.view();
        const auto size = static_cast<std::streamsize>(line.size());
        return buffer.sputn(line.data(), size) == size && (!flush || buffer.pubsync() != -1);
    }

    // As the stream's own functions do when their buffer throws: the stream
    // turns bad; answers whether the stream asks for the exception to go on.
    bool markBadAfterThrow()
    {
        try {
            m_stream.setstate(std::ios::badbit);
        } catch (const std::ios_base::failure &) {
            // The state is set before setstate throws.
        }
        return (m_stream.exceptions() & std::ios::badbit) != 0;
    }

    void lineEnd()
    {
        put('\n');
        send(true);
    }

    void attribute(const AttributePack::Entry &attribute)
    {
        put(attribute.first);
        put("=\"");
        appendEscaped(m_line, attribute.second);
        put('\"');
    }

    // The system call at each line end leaves time to fetch the next
    // children's data, which a large tree would otherwise have the writer
    // wait for at every line.
    template <typename Children> void children(const Children &children)
    {
        const std::size_t count = children.size();
        for (std::size_t index = 0; index < count; ++index) {
            if (index + 2 < count)
                prefetchForReading(&*children[index + 2]);
            if (index + 1 < count)
                prefetchMembers(*children[index + 1]);
            element(*children[index]);
            lineEnd();
        }
    }

    static void prefetchMembers(const XmlElement &element)
    {
        if (!XmlElementAccess::hasPlainGetters(element))
            return;
        prefetchForReading(XmlElementAccess::text(element).data());
        XmlElementAccess::attributes(element).prefetch();
    }

    void document(const XmlElement &document)
    {
        put("<?xml version=\"");
        put(document.getVersion());
        put("\" ");
        forEachAttribute(document.getAttributes(), [this](const AttributePack::Entry &each) {
            attribute(each);
            put(' ');
        });
        put("?>");
        lineEnd();
        children(document.getChildren());
    }

    void ordinary(const XmlElement &element)
    {
        if (XmlElementAccess::hasPlainGetters(element))
            ordinary(XmlElementAccess::name(element), XmlElementAccess::attributes(element),
                     XmlElementAccess::text(element), XmlElementAccess::children(element));
        else
            ordinary(element.getName(), element.getAttributes(), element.getText(),
                     element.getChildren());
    }

    template <typename Attributes, typename Children>
    void ordinary(std::string_view name, const Attributes &attributes, std::string_view text,
                  const Children &childList)
    {
        put('<');
        put(name);
        forEachAttribute(attributes, [this](const AttributePack::Entry &each) {
            put(' ');
            attribute(each);
        });
        put('>');
        if (!text.empty())
            appendEscaped(m_line, text);
        else if (!childList.empty())
            lineEnd();
        children(childList);
        put("</");
        put(name);
        put('>');
    }

    std::ostream &m_stream;
    ByteBuffer m_line;
};

} // namespace

std::ostream &writeXml(std::ostream &stream, const XmlElement *element)
{
    if (element)
        LineWriter(stream).whole(*element);
    return stream;
}

std::string escapeXmlText(const std::string &text)
{
    ByteBuffer escaped;
    appendEscaped(escaped, text);
    return std::string(escaped.view());
}

} // namespace stubsetup
