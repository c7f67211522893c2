#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace stubsetup {

// One node of an XML tree: a name, attributes in byte order of their names,
// one text and the owned child elements in insertion order. The document node
// is an XmlElement too; it carries the declaration's version and encoding and
// holds the root element as its child.
class XmlElement {
public:
    using Attribute = std::pair<std::string, std::string>;
    using AttributeList = std::vector<Attribute>;
    using ChildList = std::vector<XmlElement *>;

    explicit XmlElement(std::string name); // an ordinary element
    XmlElement();                          // a document node
    XmlElement(const XmlElement &) = delete;
    XmlElement &operator=(const XmlElement &) = delete;

    virtual ~XmlElement();
    virtual void setText(const std::string &text);
    virtual void appendText(const char *data, std::size_t length);
    // On the document node, "version" sets the version field instead.
    virtual void setAttribute(const std::string &name, const std::string &value);
    virtual void addChild(std::unique_ptr<XmlElement> child);
    // Destroys the first child that is `child`; false when there is none.
    virtual bool removeChild(const XmlElement *child);
    virtual std::string getText() const;
    virtual std::string getName() const;
    virtual AttributeList getAttributes() const;

    // A snapshot: children added later do not show up in it.
    ChildList getChildren() const;
    std::string getVersion() const;
    bool isDocument() const { return m_isDocument; }

private:
    static void takeChildrenReversed(XmlElement &element,
                                     std::vector<std::unique_ptr<XmlElement>> &pending) noexcept;

    std::string m_version;
    AttributeList m_attributes; // sorted by name, byte by byte
    std::vector<std::unique_ptr<XmlElement>> m_children;
    std::string m_text;
    std::string m_name;
    bool m_isDocument;
};

} // namespace stubsetup
