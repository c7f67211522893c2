#pragma once

#include "xml/XmlElement.h"

#include <ostream>
#include <string>

namespace stubsetup {

// Writes `element` and its subtree. Given the document node it writes a whole
// document: the declaration, then each child followed by a line end. Every
// line end is a line feed followed by a flush, so each line reaches the file
// complete. Failures are left in the stream's state.
std::ostream &writeXml(std::ostream &stream, const XmlElement *element);

// Replaces the five XML special characters by their entities; bytes that XML
// cannot carry (control bytes other than tab, line feed and carriage return,
// invalid UTF-8, the non-characters U+FFFE and U+FFFF) become U+FFFD, so that
// whatever is written reads back. writeXml applies it to element texts and to
// attribute values that hold "<", "&" or a double quote; other attribute
// values only get the U+FFFD replacement.
std::string escapeXmlText(const std::string &text);

} // namespace stubsetup
