#include "xml/XmlElement.h"

#include <algorithm>
#include <iterator>
#include <new>

namespace stubsetup {
namespace {

bool nameBefore(const XmlElement::Attribute &attribute, const std::string &name)
{
    return attribute.first < name;
}

} // namespace

XmlElement::XmlElement(std::string name) : m_name(std::move(name)), m_isDocument(false)
{}

XmlElement::XmlElement() : m_isDocument(true)
{}

// A tree may be as deep as the reader allows and be freed on a host's small
// stack, so the subtree is freed from a worklist instead of by recursion. The
// order stays that of a recursive walk: an element, then its children front
// to back, each with its own subtree.
XmlElement::~XmlElement()
{
    std::vector<std::unique_ptr<XmlElement>> pending = std::move(m_children);
    std::reverse(pending.begin(), pending.end()); // the next to go at the back
    while (!pending.empty()) {
        std::unique_ptr<XmlElement> next = std::move(pending.back());
        pending.pop_back();
        takeChildrenReversed(*next, pending);
    }
}

// Moves the children of `element` onto the back of `pending`, last child
// first, so that destroying `element` recurses no further. When the list
// cannot grow, the children stay with `element`, whose own destructor frees
// them: freeing never fails, it only uses more stack.
void XmlElement::takeChildrenReversed(XmlElement &element,
                                      std::vector<std::unique_ptr<XmlElement>> &pending) noexcept
{
    auto &children = element.m_children;
    try {
        pending.insert(pending.end(), std::make_move_iterator(children.rbegin()),
                       std::make_move_iterator(children.rend()));
    } catch (const std::bad_alloc &) {
        return;
    }
    children.clear();
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
    if (m_isDocument && name == "version") {
        m_version = value;
        return;
    }
    const auto place = std::lower_bound(m_attributes.begin(), m_attributes.end(), name, nameBefore);
    if (place != m_attributes.end() && place->first == name) {
        place->second = value;
        return;
    }
    // An element has a few attributes and a read tree many elements: growing
    // by exactly one keeps a large tree within its memory goal.
    const auto index = place - m_attributes.begin();
    m_attributes.reserve(m_attributes.size() + 1);
    m_attributes.emplace(m_attributes.begin() + index, name, value);
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
    return m_name;
}

XmlElement::AttributeList XmlElement::getAttributes() const
{
    return m_attributes;
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
    return m_version;
}

} // namespace stubsetup
