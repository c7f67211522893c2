#pragma once

#include "xml/XmlElement.h"

#include <string_view>
#include <typeinfo>

namespace stubsetup {

// The xml library's own way into an element's members, for the reader and
// the writer, which handle every element of a large tree: the public getters
// return copies, which would cost an allocation or more per element.
class XmlElementAccess {
public:
    using OwnedChildren = std::vector<std::unique_ptr<XmlElement>>;

    // True when the getters are this class's own, so the members say what the
    // getters would; a derived class may answer otherwise.
    static bool hasPlainGetters(const XmlElement &element)
    {
        return typeid(element) == typeid(XmlElement);
    }
    // Of an ordinary element; a document node keeps its version there.
    static std::string_view name(const XmlElement &element) { return element.m_nameOrVersion; }
    static std::string_view text(const XmlElement &element) { return element.m_text; }
    static const AttributePack &attributes(const XmlElement &element)
    {
        return element.m_attributes;
    }
    static AttributePack &attributes(XmlElement &element) { return element.m_attributes; }
    static const OwnedChildren &children(const XmlElement &element) { return element.m_children; }
};

} // namespace stubsetup
