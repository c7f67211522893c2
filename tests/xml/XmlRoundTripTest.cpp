#include "xml/XmlReader.h"
#include "xml/XmlWriter.h"

#include "SmallStack.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace stubsetup {
namespace {

std::string encodeUtf8(std::uint32_t codePoint)
{
    std::string bytes;
    if (codePoint < 0x80) {
        bytes += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        bytes += static_cast<char>(0xC0 | (codePoint >> 6));
        bytes += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        bytes += static_cast<char>(0xE0 | (codePoint >> 12));
        bytes += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        bytes += static_cast<char>(0xF0 | (codePoint >> 18));
        bytes += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        bytes += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
    return bytes;
}

// Random trees whose texts and attribute values hold every kind of byte the
// writer has to cope with. A "clean" tree holds no carriage return in text
// and no tab, line feed or carriage return in attribute values, the only
// bytes the parser is entitled to change.
class TreeGenerator {
public:
    explicit TreeGenerator(unsigned seed) : m_random(seed) {}

    std::unique_ptr<XmlElement> document(bool clean)
    {
        m_clean = clean;
        auto document = std::make_unique<XmlElement>();
        document->setAttribute("version", "1.0");
        document->setAttribute("encoding", "UTF-8");
        document->addChild(element(0));
        return document;
    }

private:
    std::size_t below(std::size_t limit)
    {
        return std::uniform_int_distribution<std::size_t>(0, limit - 1)(m_random);
    }

    std::string name()
    {
        static const std::string first = "ABCXYZabcxyz_";
        static const std::string rest = "ABCXYZabcxyz_0123456789.-";
        std::string result(1, first[below(first.size())]);
        if (below(4) == 0)
            result += "\xC3\xA9"; // a non-ASCII name character
        for (std::size_t count = below(6); count > 0; --count)
            result += rest[below(rest.size())];
        return result;
    }

    std::string piece(bool inAttribute)
    {
        static const char *const broken[] = {"\xC0\x80",     "\xE0\x80\xAF",     "\xF0\x80\x80\x80",
                                             "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xEF\xBF\xBE",
                                             "\xEF\xBF\xBF", "\xE2\x82",         "\xF0\x9F\x98"};
        static const std::uint32_t codePoints[] = {
            0x7F, 0x85, 0xE9, 0x20AC, 0xD7FF, 0xE000, 0xFDD0, 0xFFFD, 0x1F600, 0x1FFFE, 0x10FFFF};
        switch (below(9)) {
        case 0:
            return std::string(1, "\"&'<>"[below(5)]);
        case 1:
            return std::string(1, static_cast<char>(below(0x20))); // controls, tab, LF, CR
        case 2:
            return std::string(1, static_cast<char>(0x80 + below(0x80)));
        case 3:
            return broken[below(std::size(broken))];
        case 4:
            return encodeUtf8(codePoints[below(std::size(codePoints))]);
        case 5:
            return encodeUtf8(0x80 + static_cast<std::uint32_t>(below(0x10FF80)));
        case 6:
            return inAttribute ? " " : "\n";
        default:
            return std::string(1, static_cast<char>('a' + below(26)));
        }
    }

    std::string text(bool inAttribute)
    {
        std::string result;
        for (std::size_t count = below(12); count > 0; --count)
            result += piece(inAttribute);
        if (!m_clean)
            return result;
        for (char &byte : result) {
            if (byte == '\r' || (inAttribute && (byte == '\t' || byte == '\n')))
                byte = 'r';
        }
        return result;
    }

    std::unique_ptr<XmlElement> element(int depth)
    {
        auto element = std::make_unique<XmlElement>(name());
        for (std::size_t count = below(4); count > 0; --count)
            element->setAttribute(name(), text(true));
        if (below(3) != 0)
            element->setText(text(false));
        const std::size_t children = depth < 4 ? below(4) : 0;
        for (std::size_t count = 0; count < children; ++count)
            element->addChild(this->element(depth + 1));
        return element;
    }

    std::mt19937 m_random;
    bool m_clean = true;
};

class XmlRoundTripTest : public ::testing::Test {
protected:
    std::string toXml(const XmlElement *element)
    {
        std::ostringstream stream;
        writeXml(stream, element);
        return stream.str();
    }

    // Reads `xml` and writes what was read.
    std::string rewrite(const std::string &xml)
    {
        const std::string path = m_folder / "round.xml";
        test::WriteFile(path, xml);
        XmlReader reader;
        EXPECT_TRUE(reader.prepare(nullptr, '\0'));
        EXPECT_TRUE(reader.parseFile(path, false)) << xml;
        return toXml(reader.document());
    }

    test::TempFolder m_folder;
};

TEST_F(XmlRoundTripTest, ReadingAndWritingAgainGivesTheSameBytes)
{
    const std::string written = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
                                "<InstallerResult>\n"
                                "<ReturnCode>0</ReturnCode>\n"
                                "<UserMessage>&lt;&quot;Tom&apos;s &amp; Jerry&quot;&gt;\n"
                                "\xE2\x82\xAC</UserMessage>\n"
                                "<Empty></Empty>\n"
                                "<Mixed a=\"&amp;\" b=\"\" c=\"it's > that\">text<Inner>\n"
                                "<Deep>x</Deep>\n</Inner>\n"
                                "</Mixed>\n"
                                "</InstallerResult>\n";
    EXPECT_EQ(rewrite(written), written);
}

TEST_F(XmlRoundTripTest, ParserNormalisationIsTheOnlyChange)
{
    XmlElement document;
    document.setAttribute("version", "1.0");
    document.setAttribute("encoding", "UTF-8");
    auto root = std::make_unique<XmlElement>("r");
    root->setAttribute("a", "1\t2\n3\r4");
    root->setText("x\r\ny\rz");
    document.addChild(std::move(root));
    EXPECT_EQ(rewrite(toXml(&document)),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<r a=\"1 2 3 4\">x\ny\nz</r>\n");
}

// A host may call us on a thread with a small stack: the deepest document the
// reader accepts is read, written and freed there all the same.
TEST_F(XmlRoundTripTest, TheDeepestDocumentTheReaderAcceptsNeedsNoDeepStack)
{
    std::string opened;
    std::string closed;
    for (std::size_t level = 1; level < XmlReader::kMaxDepth; ++level) {
        opened += "<e>\n";
        closed += "</e>\n";
    }
    const std::string written =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n" + opened + "<e></e>\n" + closed;
    std::string rewritten;
    ASSERT_TRUE(test::RunOnStack(64 * 1024, [&] { rewritten = rewrite(written); }));
    EXPECT_EQ(rewritten, written);
}

TEST_F(XmlRoundTripTest, RandomTreesRewriteToTheSameBytes)
{
    TreeGenerator generator(20240611u);
    for (int round = 0; round < 400; ++round) {
        const bool clean = round % 2 == 0;
        const auto tree = generator.document(clean);
        const std::string first = toXml(tree.get());
        const std::string second = rewrite(first);
        ASSERT_EQ(rewrite(second), second) << "round " << round;
        if (clean) {
            ASSERT_EQ(second, first) << "round " << round;
        }
    }
}

} // namespace
} // namespace stubsetup
