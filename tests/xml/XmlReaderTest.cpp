#include "xml/XmlReader.h"
#include "xml/XmlWriter.h"

#include "FailingAllocator.h"
#include "SmallStack.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <sstream>

namespace stubsetup {
namespace {

using Attributes = XmlElement::AttributeList;

class XmlReaderTest : public ::testing::Test {
protected:
    bool parse(const std::string &content, bool resultIfUnread = true)
    {
        EXPECT_TRUE(m_reader.prepare(nullptr, '\0'));
        return m_reader.parseFile(fileWith("input.xml", content), resultIfUnread);
    }

    // The path of a file in the test's folder that holds `content`.
    std::string fileWith(const std::string &name, const std::string &content) const
    {
        test::WriteFile(m_folder / name, content);
        return m_folder / name;
    }

    XmlElement *root() const
    {
        const auto children = m_reader.document()->getChildren();
        return children.empty() ? nullptr : children.front();
    }

    XmlElement *child(const XmlElement *parent, std::size_t index) const
    {
        return parent->getChildren().at(index);
    }

    void expectDocumentNodeAlone() const
    {
        const XmlElement *document = m_reader.document();
        ASSERT_NE(document, nullptr);
        EXPECT_TRUE(document->isDocument());
        EXPECT_EQ(document->getVersion(), "1.0");
        EXPECT_EQ(document->getAttributes(), (Attributes{{"encoding", "UTF-8"}}));
        EXPECT_TRUE(document->getChildren().empty());
    }

    test::TempFolder m_folder;
    XmlReader m_reader;
};

TEST_F(XmlReaderTest, UnreadFilesAnswerTheCallersResult)
{
    for (const bool resultIfUnread : {true, false}) {
        ASSERT_TRUE(m_reader.prepare(nullptr, '\0'));
        EXPECT_EQ(m_reader.parseFile(m_folder / "missing.xml", resultIfUnread), resultIfUnread);
        expectDocumentNodeAlone();
        EXPECT_EQ(parse("", resultIfUnread), resultIfUnread);
        expectDocumentNodeAlone();
    }
}

// Only a file that is not there is new: one that is there but cannot be read
// must never be taken for an empty document.
TEST_F(XmlReaderTest, FilesThatExistButCannotBeReadFail)
{
    ASSERT_TRUE(m_reader.prepare(nullptr, '\0'));
    EXPECT_FALSE(m_reader.parseFile(m_folder / "", true));
    EXPECT_EQ(errno, EISDIR); // it opens, and fails at the first read
}

TEST_F(XmlReaderTest, IncompleteOrMalformedDocumentsFail)
{
    for (const char *content : {" \n\t", "<?xml version=\"1.0\"?>\n", "<a></b>", "<a>&bogus;</a>",
                                "<a/><b/>", "<?xml version=\"1.0\" encoding=\"no-such\"?><a/>"}) {
        errno = 0;
        EXPECT_FALSE(parse(content)) << content;
        EXPECT_EQ(errno, EBADMSG) << content;
        EXPECT_EQ(m_reader.failureReason(), "") << content;
    }
}

// Found by fuzzing: names that expat accepts only in an ISO-8859-1 document
// would be written as UTF-8 that no reader accepts, so such a file is refused.
TEST_F(XmlReaderTest, RefusesLatin1NamesThatUtf8CannotCarry)
{
    const std::string latin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";
    for (const std::string body : {"<m\xBA/>", "<a \xAA=\"1\"/>",
                                   "<a><\xB5"
                                   "b/></a>"})
        EXPECT_FALSE(parse(latin1 + body)) << body;
    EXPECT_TRUE(parse(latin1 + "<\xE9t\xE9 \xE0=\"\xBA\"/>"));
    EXPECT_EQ(root()->getName(), "\xC3\xA9t\xC3\xA9");
}

std::string nested(std::size_t depth)
{
    std::string opened;
    std::string closed;
    for (std::size_t level = 0; level < depth; ++level) {
        opened += "<e>";
        closed += "</e>";
    }
    return opened + closed;
}

std::size_t depthOf(const XmlElement *element)
{
    std::size_t depth = 0;
    for (; !element->getChildren().empty(); ++depth)
        element = element->getChildren().front();
    return depth;
}

// Deeper trees would overflow small stacks wherever a tree is handled
// recursively; the reader stops them at the door.
TEST_F(XmlReaderTest, RefusesElementsNestedDeeperThanTheLimit)
{
    EXPECT_TRUE(parse(nested(XmlReader::kMaxDepth)));
    EXPECT_EQ(depthOf(m_reader.document()), XmlReader::kMaxDepth);
    EXPECT_EQ(m_reader.failureReason(), "");
    for (const std::size_t depth : {XmlReader::kMaxDepth + 1, std::size_t{1000000}}) {
        errno = 0;
        EXPECT_FALSE(parse(nested(depth))) << depth;
        EXPECT_EQ(errno, EBADMSG) << depth;
        EXPECT_EQ(m_reader.failureReason(), "nested deeper than 1000 elements") << depth;
        EXPECT_EQ(depthOf(m_reader.document()), XmlReader::kMaxDepth) << depth;
    }
    // A new parse forgets the reason.
    EXPECT_FALSE(parse("<a>"));
    EXPECT_EQ(m_reader.failureReason(), "");
}

// The parser expands an entity inside another by recursion; a long chain
// would exhaust the small stack of a host's thread before any limit is hit.
TEST_F(XmlReaderTest, RefusesDeclaredEntitiesWhateverTheirChain)
{
    std::string chain = "<!DOCTYPE r [<!ENTITY e0 \"x\">";
    for (int link = 1; link < 500; ++link)
        chain += "<!ENTITY e" + std::to_string(link) + " \"&e" + std::to_string(link - 1) + ";\">";
    chain += "]><r>&e499;</r>";
    bool parsed = true;
    int error = 0;
    ASSERT_TRUE(test::RunOnStack(64 * 1024, [&] {
        parsed = parse(chain);
        error = errno;
    }));
    EXPECT_FALSE(parsed);
    EXPECT_EQ(error, EBADMSG);
    EXPECT_EQ(m_reader.failureReason(), "declares an entity, which is not accepted");
    EXPECT_TRUE(parse("<!DOCTYPE r><r>&amp;&#233;</r>"));
}

TEST_F(XmlReaderTest, UnclosedElementFailsAndKeepsWhatWasOpened)
{
    EXPECT_FALSE(parse("<a><b>text</b><c>more &amp; tail"));
    ASSERT_NE(root(), nullptr);
    EXPECT_EQ(root()->getChildren().size(), 2u);
    EXPECT_EQ(child(root(), 0)->getText(), "text");
    EXPECT_EQ(child(root(), 1)->getName(), "c");
    EXPECT_EQ(child(root(), 1)->getText(), "more & tail");
}

TEST_F(XmlReaderTest, DeclarationSetsVersionButEncodingStaysUtf8)
{
    ASSERT_TRUE(parse("<a/>"));
    EXPECT_EQ(m_reader.document()->getVersion(), "1.0");

    ASSERT_TRUE(parse("<?xml version=\"1.1\" standalone=\"yes\"?><a/>"));
    EXPECT_EQ(m_reader.document()->getVersion(), "1.1");
    EXPECT_EQ(m_reader.document()->getAttributes(), (Attributes{{"encoding", "UTF-8"}}));

    ASSERT_TRUE(parse("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a x=\"\xE9\">\xFC</a>"));
    EXPECT_EQ(m_reader.document()->getAttributes(), (Attributes{{"encoding", "UTF-8"}}));
    EXPECT_EQ(root()->getText(), "\xC3\xBC");
    EXPECT_EQ(root()->getAttributes(), (Attributes{{"x", "\xC3\xA9"}}));
}

TEST_F(XmlReaderTest, KeepsOnlyTheTextBeforeTheFirstChild)
{
    ASSERT_TRUE(parse("<a>\n  before<b>own</b>after<c/>tail</a>"));
    EXPECT_EQ(root()->getText(), "\n  before");
    EXPECT_EQ(child(root(), 0)->getText(), "own");
    EXPECT_EQ(child(root(), 1)->getText(), "");
}

TEST_F(XmlReaderTest, DeliversParsedText)
{
    ASSERT_TRUE(parse("<!-- c --><?pi x?><a q=\"&amp;&lt;&#65;\tx\ny\">"
                      "1&amp;2<!-- c --><?pi y?><![CDATA[<raw&>]]>\r\n&#x20AC;"
                      "<b/></a><!-- end -->"));
    EXPECT_EQ(root()->getAttributes(), (Attributes{{"q", "&<A x y"}}));
    EXPECT_EQ(root()->getText(), "1&2<raw&>\n\xE2\x82\xAC");
    EXPECT_EQ(root()->getChildren().size(), 1u);
}

TEST_F(XmlReaderTest, AttributesArriveSortedByName)
{
    // Given in descending order, a few attributes or many are listed by name.
    for (const int count : {3, 40}) {
        std::string content = "<a";
        Attributes expected;
        for (int index = count; index > 0; --index) {
            const std::string name = "n" + std::to_string(index);
            const std::string value(static_cast<std::size_t>(index) * 7, 'v');
            content += " " + name + "=\"" + value + "\"";
            expected.emplace_back(name, value);
        }
        std::sort(expected.begin(), expected.end());
        ASSERT_TRUE(parse(content + "/>")) << count;
        EXPECT_EQ(root()->getAttributes(), expected) << count;
    }
}

TEST_F(XmlReaderTest, NamespaceSeparatorSplitsNamesOnlyWhenGiven)
{
    const std::string content = "<p:a xmlns:p=\"urn:x\"/>";
    ASSERT_TRUE(parse(content));
    EXPECT_EQ(root()->getName(), "p:a");
    ASSERT_TRUE(m_reader.prepare(nullptr, '|'));
    ASSERT_TRUE(m_reader.parseFile(fileWith("ns.xml", content), true));
    EXPECT_EQ(root()->getName(), "urn:x|a");
}

TEST_F(XmlReaderTest, TreeDoesNotDependOnPieceBoundaries)
{
    // Two-byte characters make the 1024-byte pieces end inside a character
    // for some sizes; 1024 and 2048 end with an empty last piece.
    for (const std::size_t size : {1023u, 1024u, 1025u, 2047u, 2048u, 2049u, 3000u}) {
        std::string text;
        const std::string frame = "<r></r>";
        while (frame.size() + text.size() + 2 <= size)
            text += "\xC3\xA9";
        const std::string content =
            "<r>" + text + "</r>" + std::string(size - frame.size() - text.size(), '\n');
        ASSERT_EQ(content.size(), size);
        ASSERT_TRUE(parse(content)) << size;
        EXPECT_EQ(root()->getText(), text) << size;
    }
}

std::string written(const XmlElement *element)
{
    std::ostringstream stream;
    writeXml(stream, element);
    return stream.str();
}

// Running out of memory at any allocation of a parse is reported as such,
// never as a malformed document, and leaves a reader that works on. Each run
// has a fresh reader: a used one keeps the capacity of its buffers.
TEST_F(XmlReaderTest, ReportsEveryFailedAllocationAsOutOfMemory)
{
    const std::string path = fileWith(
        "input.xml", "<?xml version=\"1.0\"?>\n<InstallerResult kind=\"report\" note=\"it's\">\n"
                     "<ReturnCode>0</ReturnCode>\n<UserMessage lang=\"en\">Tom &amp; Jerry, "
                     "a text too long for a short-string buffer</UserMessage>\n"
                     "<Nested><Deeper b=\"2\" a=\"1\">x</Deeper>tail</Nested>\n"
                     "</InstallerResult>\n");
    std::string expected;
    std::size_t allocations = 0;
    {
        XmlReader reader;
        ASSERT_TRUE(reader.prepare(nullptr, '\0'));
        test::setFailingAllocation(0);
        const bool parsed = reader.parseFile(path, false);
        allocations = test::allocationCount();
        ASSERT_TRUE(parsed);
        expected = written(reader.document());
    }
    ASSERT_GT(allocations, 0u);

    for (std::size_t failing = 1; failing <= allocations; ++failing) {
        XmlReader reader;
        ASSERT_TRUE(reader.prepare(nullptr, '\0'));
        errno = 0;
        test::setFailingAllocation(failing);
        const bool parsed = reader.parseFile(path, false);
        const int error = errno;
        const bool reached = test::allocationCount() >= failing;
        test::setFailingAllocation(0);
        ASSERT_TRUE(reached) << failing;
        EXPECT_FALSE(parsed) << failing;
        EXPECT_EQ(error, ENOMEM) << failing;
        EXPECT_EQ(reader.failureReason(), "") << failing;

        reader.reset();
        ASSERT_TRUE(reader.prepare(nullptr, '\0'));
        ASSERT_TRUE(reader.parseFile(path, false)) << failing;
        EXPECT_EQ(written(reader.document()), expected) << failing;
    }
}

TEST_F(XmlReaderTest, ResetAndPrepareDiscardTheTree)
{
    EXPECT_FALSE(m_reader.parseFile(fileWith("a.xml", "<a/>"), true));
    ASSERT_TRUE(parse("<a/>"));
    ASSERT_NE(root(), nullptr);
    ASSERT_TRUE(m_reader.prepare(nullptr, '\0'));
    expectDocumentNodeAlone();
    m_reader.reset();
    EXPECT_EQ(m_reader.document(), nullptr);
    EXPECT_FALSE(m_reader.parseFile(m_folder / "a.xml", true));
}

} // namespace
} // namespace stubsetup
