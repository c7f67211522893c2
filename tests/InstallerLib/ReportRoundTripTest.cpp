// Reports that other programs or people wrote, loaded and saved through the
// public C++ interface as an installer would: what a save keeps and what it
// changes, byte for byte.
#include "ExpectedReport.h"
#include "InstallerLib/InstallerReport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace stubsetup {
namespace {

using test::kXmlDeclaration;
using test::ReadFile;
using test::WriteFile;

class ReportRoundTripTest : public testing::Test {
protected:
    std::string path() const { return m_folder / "Demo.irpt"; }

private:
    test::TempFolder m_folder;
};

// A save keeps every element and attribute with its value, an apostrophe or
// a greater-than sign in an attribute included, and the root's leading white
// space as its text. It changes the declaration's spacing, drops comments
// and the white space after each child, writes a line feed after every
// child, double quotes around every attribute value and the attributes in
// name order. A second save changes nothing more.
TEST_F(ReportRoundTripTest, AHandEditedReportKeepsItsContentAfterASave)
{
    WriteFile(path(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!-- written by hand -->\n"
                      "<InstallerResult vendor=\"Acme's\" note='a > b'>\n"
                      "  <!-- the outcome -->\n"
                      "  <ReturnCode>1</ReturnCode>\n"
                      "  <UserMessage>Old</UserMessage>\n"
                      "  <Extra kind='quoted'>keep &amp; me</Extra>\n"
                      "</InstallerResult>\n"
                      "<!-- the end -->\n");
    const std::string saved = std::string(kXmlDeclaration) +
                              "<InstallerResult note=\"a > b\" vendor=\"Acme's\">\n  \n  "
                              "<ReturnCode>3</ReturnCode>\n"
                              "<UserMessage>Old</UserMessage>\n"
                              "<Extra kind=\"quoted\">keep &amp; me</Extra>\n"
                              "</InstallerResult>\n";
    ASSERT_TRUE(InstallerReport(path()).returnCode().set(3));
    EXPECT_EQ(ReadFile(path()), saved);
    ASSERT_TRUE(InstallerReport(path()).returnCode().set(3));
    EXPECT_EQ(ReadFile(path()), saved);
}

// A set replaces the value element's text and nothing else of it.
TEST_F(ReportRoundTripTest, AValueKeepsItsAttributesAndChildrenThroughASet)
{
    const std::string before = std::string(kXmlDeclaration) +
                               "<InstallerResult>\n"
                               "<UserMessage lang=\"en\">Old<Detail code=\"7\">why</Detail>\n"
                               "</UserMessage>\n"
                               "</InstallerResult>\n";
    WriteFile(path(), before);
    ASSERT_TRUE(InstallerReport(path()).userMessage().set("New"));
    std::string after = before;
    after.replace(after.find("Old"), 3, "New");
    EXPECT_EQ(ReadFile(path()), after);
    std::string message;
    EXPECT_TRUE(InstallerReport(path()).userMessage().get(message));
    EXPECT_EQ(message, "New");
}

// UTF-16 in the given byte order, with a byte-order mark.
std::string Utf16(const std::u16string &text, bool bigEndian)
{
    std::string bytes;
    for (const char16_t unit : u"\uFEFF" + text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

// Whatever encoding a report came in, it is saved as UTF-8 without a
// byte-order mark, and its values come through whole.
TEST_F(ReportRoundTripTest, ReportsWithAByteOrderMarkAreSavedAsPlainUtf8)
{
    const std::u16string body = u"<InstallerResult><UserMessage>caf\u00E9 \u20AC</UserMessage>"
                                u"</InstallerResult>";
    const std::string utf8Message = "caf\xC3\xA9 \xE2\x82\xAC";
    const std::string utf8Body =
        "<InstallerResult><UserMessage>" + utf8Message + "</UserMessage></InstallerResult>";
    const struct {
        const char *name;
        std::string content;
    } sources[] = {
        {"UTF-8", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + utf8Body},
        {"UTF-16LE", Utf16(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + body, false)},
        {"UTF-16BE", Utf16(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + body, true)},
    };
    for (const auto &source : sources) {
        WriteFile(path(), source.content);
        InstallerReport report(path());
        std::string message;
        EXPECT_TRUE(report.userMessage().get(message));
        EXPECT_EQ(message, utf8Message) << source.name;
        ASSERT_TRUE(report.returnCode().set(0)) << source.name;
        EXPECT_EQ(ReadFile(path()), std::string(kXmlDeclaration) +
                                        "<InstallerResult>\n<UserMessage>" + utf8Message +
                                        "</UserMessage>\n<ReturnCode>0</ReturnCode>\n"
                                        "</InstallerResult>\n")
            << source.name;
    }
}

} // namespace
} // namespace stubsetup
