#include "xml/XmlElement.h"
#include "xml/XmlElementSet.h"

#include "FailingAllocator.h"
#include "SmallStack.h"

#include <gtest/gtest.h>

#include <vector>

namespace stubsetup {
namespace {

using Attributes = XmlElement::AttributeList;

// Records its name in a shared log when destroyed.
class LoggedElement : public XmlElement {
public:
    LoggedElement(std::string name, std::vector<std::string> &log)
        : XmlElement(name), m_log(log), m_logName(std::move(name))
    {}
    ~LoggedElement() override { m_log.push_back(m_logName); }

private:
    std::vector<std::string> &m_log;
    std::string m_logName;
};

XmlElement *addNamed(XmlElement &parent, const std::string &name)
{
    auto child = std::make_unique<XmlElement>(name);
    XmlElement *raw = child.get();
    parent.addChild(std::move(child));
    return raw;
}

std::vector<std::string> namesOf(const std::vector<XmlElement *> &elements)
{
    std::vector<std::string> names;
    for (const XmlElement *element : elements)
        names.push_back(element->getName());
    return names;
}

TEST(XmlElementTest, AttributesAreOrderedByUnsignedBytesAndReplacedInPlace)
{
    XmlElement element("e");
    for (const char *name : {"\xC3\xA9", "b", "ab", "a", "B", "version"})
        element.setAttribute(name, "1");
    element.setAttribute("ab", "2");
    EXPECT_EQ(
        element.getAttributes(),
        (Attributes{
            {"B", "1"}, {"a", "1"}, {"ab", "2"}, {"b", "1"}, {"version", "1"}, {"\xC3\xA9", "1"}}));
}

// Long names and values are kept whole; NUL bytes are data like any other.
TEST(XmlElementTest, AttributesKeepLongAndBinaryNamesAndValues)
{
    XmlElement element("e");
    const std::string twoByteLength(200, 'v');
    const std::string threeByteLength(20000, 'w');
    const std::string withNul("n\0ul", 4);
    element.setAttribute("m", threeByteLength);
    element.setAttribute(withNul, withNul);
    element.setAttribute("a", twoByteLength);
    element.setAttribute("z", "");
    EXPECT_EQ(
        element.getAttributes(),
        (Attributes{{"a", twoByteLength}, {"m", threeByteLength}, {withNul, withNul}, {"z", ""}}));
    element.setAttribute("m", "short");
    element.setAttribute("a", threeByteLength);
    EXPECT_EQ(element.getAttributes(),
              (Attributes{{"a", threeByteLength}, {"m", "short"}, {withNul, withNul}, {"z", ""}}));
}

TEST(XmlElementTest, DocumentNodeKeepsVersionApartFromAttributes)
{
    XmlElement document;
    EXPECT_TRUE(document.isDocument());
    document.setAttribute("version", "1.0");
    document.setAttribute("Version", "x");
    EXPECT_EQ(document.getVersion(), "1.0");
    EXPECT_EQ(document.getAttributes(), (Attributes{{"Version", "x"}}));
    EXPECT_EQ(document.getName(), "");
    EXPECT_FALSE(XmlElement("e").isDocument());
    EXPECT_EQ(XmlElement("e").getVersion(), "");
}

TEST(XmlElementTest, TextIsSetAndAppendedIncludingNulBytes)
{
    XmlElement element("e");
    element.setText("ab");
    element.appendText("c\0d", 3);
    EXPECT_EQ(element.getText(), std::string("abc\0d", 5));
    element.setText("");
    EXPECT_EQ(element.getText(), "");
}

TEST(XmlElementTest, RemoveChildDestroysOnlyThatSubtree)
{
    std::vector<std::string> log;
    XmlElement parent("p");
    XmlElement *kept = addNamed(parent, "first");
    auto middle = std::make_unique<LoggedElement>("middle", log);
    middle->addChild(std::make_unique<LoggedElement>("grandchild", log));
    const XmlElement *middlePointer = middle.get();
    parent.addChild(std::move(middle));
    addNamed(parent, "third");

    EXPECT_FALSE(parent.removeChild(&parent));
    EXPECT_FALSE(parent.removeChild(nullptr));
    EXPECT_EQ(namesOf(parent.getChildren()),
              (std::vector<std::string>{"first", "middle", "third"}));
    EXPECT_TRUE(log.empty());

    EXPECT_TRUE(parent.removeChild(middlePointer));
    EXPECT_EQ(log, (std::vector<std::string>{"middle", "grandchild"}));
    EXPECT_EQ(namesOf(parent.getChildren()), (std::vector<std::string>{"first", "third"}));
    EXPECT_EQ(parent.getChildren().front(), kept);
}

// A document whose elements log their destruction: root holds a (with a1,
// which holds a1x, and a2), b (with b1) and c.
std::unique_ptr<XmlElement> loggedTree(std::vector<std::string> &log)
{
    auto root = std::make_unique<LoggedElement>("root", log);
    auto a = std::make_unique<LoggedElement>("a", log);
    auto a1 = std::make_unique<LoggedElement>("a1", log);
    a1->addChild(std::make_unique<LoggedElement>("a1x", log));
    a->addChild(std::move(a1));
    a->addChild(std::make_unique<LoggedElement>("a2", log));
    auto b = std::make_unique<LoggedElement>("b", log);
    b->addChild(std::make_unique<LoggedElement>("b1", log));
    root->addChild(std::move(a));
    root->addChild(std::move(b));
    root->addChild(std::make_unique<LoggedElement>("c", log));
    auto document = std::make_unique<XmlElement>();
    document->addChild(std::move(root));
    return document;
}

// Each element goes before its children, and a subtree before the next sibling.
const std::vector<std::string> kDestructionOrder{"root", "a", "a1", "a1x", "a2", "b", "b1", "c"};

TEST(XmlElementTest, DestroyingTheDocumentDestroysTheTreeFrontToBack)
{
    std::vector<std::string> log;
    loggedTree(log).reset();
    EXPECT_EQ(log, kDestructionOrder);
}

// Freeing cannot fail: wherever memory runs out on the way, the whole tree
// goes, in the same order.
TEST(XmlElementTest, RunningOutOfMemoryWhileFreeingChangesNothing)
{
    std::size_t failures = 0;
    for (std::size_t failing = 1;; ++failing) {
        std::vector<std::string> log;
        log.reserve(kDestructionOrder.size()); // the log itself allocates nothing
        auto document = loggedTree(log);
        test::setFailingAllocation(failing);
        document.reset();
        const bool reached = test::allocationCount() >= failing;
        test::setFailingAllocation(0);
        EXPECT_EQ(log, kDestructionOrder) << failing;
        if (!reached)
            break;
        ++failures;
    }
    EXPECT_GT(failures, 0u) << "freeing the tree allocated nothing that could fail";
}

// The tree has no depth limit of its own, and freeing it must not need a
// stack that grows with it.
TEST(XmlElementTest, FreesAVeryDeepTreeOnASmallStack)
{
    const bool ran = test::RunOnStack(64 * 1024, [] {
        auto root = std::make_unique<XmlElement>("e");
        XmlElement *deepest = root.get();
        for (int level = 0; level < 100000; ++level)
            deepest = addNamed(*deepest, "e");
    });
    EXPECT_TRUE(ran);
}

TEST(XmlElementTest, ChildListIsASnapshot)
{
    XmlElement parent("p");
    addNamed(parent, "a");
    const XmlElement::ChildList before = parent.getChildren();
    addNamed(parent, "b");
    EXPECT_EQ(before.size(), 1u);
    EXPECT_EQ(parent.getChildren().size(), 2u);
}

TEST(XmlElementSetTest, SelectsMatchesMemberByMemberInChildOrder)
{
    XmlElement first("first");
    XmlElement second("second");
    XmlElement *secondMatch = addNamed(second, "V");
    addNamed(second, "W");
    XmlElement *firstMatchA = addNamed(first, "V");
    addNamed(first, "W");
    XmlElement *firstMatchB = addNamed(first, "V");

    const XmlElementSet set(XmlElementSet::MemberList{&first, &second});
    EXPECT_EQ(set.selectChildren(XmlNameMatch("V")).members(),
              (XmlElementSet::MemberList{firstMatchA, firstMatchB, secondMatch}));
    EXPECT_EQ(first.getChildren().size(), 3u);

    XmlElement leaf("leaf");
    EXPECT_TRUE(XmlElementSet(&leaf).selectChildren(XmlNameMatch("V")).members().empty());
}

TEST(XmlNameMatchTest, MatchesTheNameReadAsOneWord)
{
    struct Case {
        const char *wanted;
        const char *name;
        bool matches;
    };
    const Case cases[] = {
        {"ReturnCode", "ReturnCode", true},
        {"ReturnCode", "returncode", false},
        {"ReturnCode", "ReturnCodeX", false},
        {"ReturnCode", "Return", false},
        {"ReturnCode", "", false},
        {"ReturnCode", " ReturnCode\t", true},
        {"ReturnCode", "ReturnCode x", false},
        {"", "", false},
        {"", " ", false},
        {" a", " a", false},
    };
    for (const Case &c : cases) {
        XmlNameMatch match(c.wanted);
        EXPECT_EQ(match(XmlElement(c.name)), c.matches)
            << '"' << c.wanted << "\" / \"" << c.name << '"';
    }
}

TEST(XmlNameMatchTest, AMatchAfterAMismatchIsNotInfluencedByTheScratch)
{
    XmlNameMatch match("a");
    EXPECT_TRUE(match(XmlElement("a")));
    EXPECT_FALSE(match(XmlElement("")));
    EXPECT_FALSE(match(XmlElement("b")));
    EXPECT_TRUE(match(XmlElement(" a ")));
}

} // namespace
} // namespace stubsetup
