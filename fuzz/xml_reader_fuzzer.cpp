// Arbitrary bytes into XmlReader. Whatever parses is written, read and
// written again: the reader must accept the writer's output, and the bytes
// must repeat, except where XML itself normalises white space (a carriage
// return in text; tab, line feed or carriage return in an attribute value),
// which may change the first rewrite but never the second.
#include "FuzzSupport.h"

#include "xml/XmlReader.h"
#include "xml/XmlWriter.h"

#include <cstddef>
#include <cstdint>

namespace {

using stubsetup::XmlElement;
using stubsetup::XmlReader;
namespace fuzz = stubsetup::fuzz;

bool parse(XmlReader &reader, const std::string &path)
{
    return reader.prepare(nullptr, '\0') && reader.parseFile(path, false);
}

std::string written(const XmlElement *element)
{
    std::ostringstream stream;
    stubsetup::writeXml(stream, element);
    return stream.str();
}

bool keepsItsWhiteSpace(const XmlElement &element)
{
    if (element.getText().find('\r') != std::string::npos)
        return false;
    for (const auto &attribute : element.getAttributes())
        if (attribute.second.find_first_of("\t\n\r") != std::string::npos)
            return false;
    for (const XmlElement *child : element.getChildren())
        if (!keepsItsWhiteSpace(*child))
            return false;
    return true;
}

// Reads back what was written and answers the rewrite.
std::string rewritten(const std::string &path, const std::string &xml)
{
    fuzz::writeFile(path, xml);
    XmlReader reader;
    if (!parse(reader, path))
        fuzz::fail("the reader refuses the writer's output:\n" + xml);
    return written(reader.document());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const fuzz::ScratchFolder folder;
    const std::string path = folder.file("input.xml");
    fuzz::writeFile(path, std::string(reinterpret_cast<const char *>(data), size));
    XmlReader reader;
    if (!parse(reader, path))
        return 0;
    const std::string first = written(reader.document());
    const std::string second = rewritten(path, first);
    if (keepsItsWhiteSpace(*reader.document()) && second != first)
        fuzz::fail("a rewrite changed the document:\n" + first + "\n---\n" + second);
    if (rewritten(path, second) != second)
        fuzz::fail("the second rewrite changed the document:\n" + second);
    return 0;
}
