#include "xml/XmlElement.h"

#include <algorithm>

namespace stubsetup {

XmlElement::XmlElement(std::string name) : m_nameOrVersion(std::move(name)), m_isDocument(false)
{}

XmlElement::XmlElement() : m_isDocument(true)
{}

XmlElement::~XmlElement()
{
    // Children go front to back, so the order of destruction is not left to the container.
    for (auto &child : m_children)
        child.reset();
}

void XmlElement::setText(const std::string &text)
{
    m_text = text;
}

void XmlElement::appendText(const char *data, std::size_t length)
{
    // Appending to empty text allocates the exact size: the reader hands each
    // text over whole, and a tree holds many of them.
    if (m_text.empty())
        m_text = std::string(data, length);
    else
        m_text.append(data, length);
}

void XmlElement::setAttribute(const std::string &name, const std::string &value)
{
    if (m_isDocument && name == "version")
        m_nameOrVersion = value;
    else
        m_attributes.set(name, value);
}

void XmlElement::addChild(std::unique_ptr<XmlElement> child)
{
    m_children.push_back(std::move(child));
}

bool XmlElement::removeChild(const XmlElement *child)
{
    const auto found = std::find_if(
        m_children.begin(), m_children.end(),
        [child](const std::unique_ptr<XmlElement> &own) { return own.get() == child; });
    if (found == m_children.end())
        return false;
    const std::unique_ptr<XmlElement> removed = std::move(*found);
    m_children.erase(found);
    return true;
}

std::string XmlElement::getText() const
{
    return m_text;
}

std::string XmlElement::getName() const
{
    return m_isDocument ? std::string() : m_nameOrVersion;
}

XmlElement::AttributeList XmlElement::getAttributes() const
{
    AttributeList attributes;
    attributes.reserve(m_attributes.count());
    m_attributes.forEach([&attributes](const AttributePack::Entry &entry) {
        attributes.emplace_back(entry.first, entry.second);
    });
    return attributes;
}

XmlElement::ChildList XmlElement::getChildren() const
{
    ChildList children;
    children.reserve(m_children.size());
    for (const auto &child : m_children)
        children.push_back(child.get());
    return children;
}

std::string XmlElement::getVersion() const
{
    return m_isDocument ? m_nameOrVersion : std::string();
}

} // namespace stubsetup
