#include "xml/XmlWriter.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace stubsetup {
namespace {

const std::string fffd = "\xEF\xBF\xBD";

XmlElement *addElement(XmlElement &parent, const std::string &name, const std::string &text = "")
{
    auto child = std::make_unique<XmlElement>(name);
    child->setText(text);
    XmlElement *raw = child.get();
    parent.addChild(std::move(child));
    return raw;
}

std::string toXml(const XmlElement &element)
{
    std::ostringstream stream;
    writeXml(stream, &element);
    return stream.str();
}

std::unique_ptr<XmlElement> makeDocument()
{
    auto document = std::make_unique<XmlElement>();
    document->setAttribute("version", "1.0");
    document->setAttribute("encoding", "UTF-8");
    return document;
}

TEST(XmlWriterTest, WritesTheDeclarationWithABlankBeforeTheEnd)
{
    auto document = makeDocument();
    EXPECT_EQ(toXml(*document), "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n");
    document->setAttribute("standalone", "yes");
    EXPECT_EQ(toXml(*document), "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n");
}

TEST(XmlWriterTest, WritesTheInstallerReportAsFiveLines)
{
    auto document = makeDocument();
    XmlElement *root = addElement(*document, "InstallerResult");
    addElement(*root, "ReturnCode", "0");
    addElement(*root, "UserMessage");
    EXPECT_EQ(toXml(*document), "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
                                "<InstallerResult>\n"
                                "<ReturnCode>0</ReturnCode>\n"
                                "<UserMessage></UserMessage>\n"
                                "</InstallerResult>\n");
}

TEST(XmlWriterTest, WritesAnElementAloneWithoutDeclarationOrFinalLineEnd)
{
    XmlElement element("e");
    EXPECT_EQ(toXml(element), "<e></e>");
    element.setAttribute("b", "2");
    element.setAttribute("a", "1");
    element.setText("x<y");
    EXPECT_EQ(toXml(element), "<e a=\"1\" b=\"2\">x&lt;y</e>");
    addElement(element, "c", "line\nbreak");
    addElement(element, "d");
    EXPECT_EQ(toXml(element), "<e a=\"1\" b=\"2\">x&lt;y<c>line\nbreak</c>\n<d></d>\n</e>");
}

// Only a value that holds a character that would end or break it gets
// entities, and then all five like element text; every other value keeps its
// bytes, except those XML cannot carry.
TEST(XmlWriterTest, EscapesOnlyAttributeValuesThatNeedIt)
{
    struct Case {
        std::string value;
        std::string written;
    };
    const Case cases[] = {
        {"it's", "it's"},
        {"a > b", "a > b"},
        {"'>'", "'>'"},
        {"it's <b>", "it&apos;s &lt;b&gt;"},
        {"Tom's & Jerry", "Tom&apos;s &amp; Jerry"},
        {"say \"hi\" >", "say &quot;hi&quot; &gt;"},
        {"\"a&b'<c>\x01", "&quot;a&amp;b&apos;&lt;c&gt;" + fffd},
        {"it's\x01\xC3>", "it's" + fffd + fffd + ">"},
    };
    for (const Case &c : cases) {
        XmlElement element("e");
        element.setAttribute("v", c.value);
        EXPECT_EQ(toXml(element), "<e v=\"" + c.written + "\"></e>") << c.value;
    }
    auto document = makeDocument();
    document->setAttribute("note", "it's");
    EXPECT_EQ(toXml(*document), "<?xml version=\"1.0\" encoding=\"UTF-8\" note=\"it's\" ?>\n");
}

// Names and values of every short length, and past it, are copied whole.
TEST(XmlWriterTest, CopiesPiecesOfEveryLengthWhole)
{
    const std::string letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (std::size_t length = 1; length <= 40; ++length) {
        const std::string name = letters.substr(0, length);
        const std::string value = letters.substr(letters.size() - length);
        XmlElement element(name);
        element.setAttribute(name, value);
        EXPECT_EQ(toXml(element), "<" + name + " " + name + "=\"" + value + "\"></" + name + ">")
            << "length " << length;
    }
    XmlElement emptyValue("e");
    emptyValue.setAttribute("a", "");
    EXPECT_EQ(toXml(emptyValue), "<e a=\"\"></e>");
}

// Answers its getters its own way instead of from the members.
class RenamedElement : public XmlElement {
public:
    RenamedElement() : XmlElement("stored") { setText("stored text"); }
    std::string getName() const override { return "shown"; }
    std::string getText() const override { return "shown & text"; }
    AttributeList getAttributes() const override { return {{"k", "v"}}; }
};

TEST(XmlWriterTest, WritesADerivedElementThroughItsGetters)
{
    auto document = makeDocument();
    document->addChild(std::make_unique<RenamedElement>());
    EXPECT_EQ(toXml(*document), "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
                                "<shown k=\"v\">shown &amp; text</shown>\n");
}

// Records the output at every flush.
class FlushLog : public std::stringbuf {
public:
    std::vector<std::string> flushed;

protected:
    int sync() override
    {
        flushed.push_back(str());
        return 0;
    }
};

TEST(XmlWriterTest, FlushesAfterEveryLineEnd)
{
    auto document = makeDocument();
    XmlElement *root = addElement(*document, "r");
    addElement(*root, "a", "1\n2");
    FlushLog log;
    std::ostream stream(&log);
    writeXml(stream, document.get());
    EXPECT_EQ(log.flushed,
              (std::vector<std::string>{
                  "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<r>\n",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<r>\n<a>1\n2</a>\n",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<r>\n<a>1\n2</a>\n</r>\n",
              }));
}

TEST(XmlWriterTest, LeavesStreamFailuresInTheStreamsState)
{
    auto document = makeDocument();
    addElement(*document, "r");
    std::ostringstream stream;
    stream.setstate(std::ios::badbit);
    EXPECT_TRUE(writeXml(stream, document.get()).bad());
    EXPECT_EQ(stream.str(), "");
}

class FailingFlush : public std::stringbuf {
protected:
    int sync() override { return -1; }
};

struct DiskGone {};

class ThrowingBuffer : public std::stringbuf {
protected:
    std::streamsize xsputn(const char *, std::streamsize) override { throw DiskGone(); }
};

// As with the stream's own output functions: a failure or an exception from
// the buffer makes the stream bad; it reaches the caller only as far as the
// stream's exception mask asks, and the program does not end while it
// unwinds.
TEST(XmlWriterTest, FailuresOfTheBufferFollowTheStreamsExceptionMask)
{
    XmlElement element("e");
    addElement(element, "c");
    FailingFlush failing;
    std::ostream failingStream(&failing);
    failingStream.exceptions(std::ios::badbit | std::ios::failbit);
    EXPECT_THROW(writeXml(failingStream, &element), std::ios_base::failure);

    ThrowingBuffer throwing;
    std::ostream quietStream(&throwing);
    EXPECT_TRUE(writeXml(quietStream, &element).bad());
    std::ostream throwingStream(&throwing);
    throwingStream.exceptions(std::ios::badbit);
    EXPECT_THROW(writeXml(throwingStream, &element), DiskGone);
    EXPECT_TRUE(throwingStream.bad());
}

// Takes lines until its second flush fails.
class FailsAtSecondFlush : public std::stringbuf {
protected:
    int sync() override { return ++m_flushes == 2 ? -1 : 0; }

private:
    int m_flushes = 0;
};

TEST(XmlWriterTest, HandsOverNothingAfterAFailedLine)
{
    XmlElement element("e");
    for (const char *name : {"a", "b", "c"})
        addElement(element, name);
    FailsAtSecondFlush buffer;
    std::ostream stream(&buffer);
    EXPECT_TRUE(writeXml(stream, &element).bad());
    EXPECT_EQ(buffer.str(), "<e>\n<a></a>\n");
}

TEST(EscapeXmlTextTest, ReplacesTheFiveSpecialsAndKeepsOtherAllowedText)
{
    EXPECT_EQ(escapeXmlText("\"&'<>"), "&quot;&amp;&apos;&lt;&gt;");
    const std::string allowed = "plain \t\n\r\x7F"
                                "\xC2\x80\xC3\xA9\xE2\x82\xAC\xED\x9F\xBF\xEE\x80\x80"
                                "\xEF\xBF\xBD\xEF\xB7\x90\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF";
    EXPECT_EQ(escapeXmlText(allowed), allowed);
    EXPECT_EQ(escapeXmlText(""), "");
}

// Characters and replacements deep into a long text come out as in a short
// one.
TEST(EscapeXmlTextTest, EscapesLongTextsWhole)
{
    for (const std::size_t lead : {4094u, 4095u, 4096u}) {
        const std::string input =
            std::string(lead, 'a') + "\xE2\x82\xAC\xE2\x82" + std::string(5000, '"') + "\x80<";
        std::string expected = std::string(lead, 'a') + "\xE2\x82\xAC" + fffd;
        for (int count = 0; count < 5000; ++count)
            expected += "&quot;";
        EXPECT_EQ(escapeXmlText(input), expected + fffd + "&lt;") << lead;
    }
}

TEST(EscapeXmlTextTest, ReplacesBytesXmlCannotCarry)
{
    struct Case {
        std::string input;
        std::string expected;
    };
    const Case cases[] = {
        {std::string("a\0b", 3), "a" + fffd + "b"},
        {"\x01\x08\x0B\x0C\x1F", fffd + fffd + fffd + fffd + fffd},
        {"\x80", fffd},                       // stray continuation byte
        {"\xC3\xA9\xBF", "\xC3\xA9" + fffd},  // continuation after a complete character
        {"\xC0\x80", fffd + fffd},            // overlong NUL
        {"\xC1\xBF", fffd + fffd},            // overlong
        {"\xE0\x80\xAF", fffd + fffd + fffd}, // overlong three-byte form
        {"\xF0\x8F\xBF\xBF", fffd + fffd + fffd + fffd},
        {"\xED\xA0\x80", fffd + fffd + fffd},            // surrogate
        {"\xED\xBF\xBF", fffd + fffd + fffd},            // surrogate
        {"\xF4\x90\x80\x80", fffd + fffd + fffd + fffd}, // above U+10FFFF
        {"\xF5\xFF", fffd + fffd},
        {"\xEF\xBF\xBE\xEF\xBF\xBF", fffd + fffd}, // U+FFFE, U+FFFF
        {"\xE2\x82", fffd},                        // truncated at the end
        {"\xE2\x82<", fffd + "&lt;"},              // truncated before a special
        {"\xF0\x9F\x98z", fffd + "z"},
        {"\xC3\xC3\xA9", fffd + "\xC3\xA9"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(escapeXmlText(c.input), c.expected) << ::testing::PrintToString(c.input);
}

} // namespace
} // namespace stubsetup
