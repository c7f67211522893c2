#include "xml/XmlElementSet.h"

#include "common/ConvertValue.h"

namespace stubsetup {

XmlNameMatch::XmlNameMatch(std::string wantedName) : m_wantedName(std::move(wantedName))
{}

bool XmlNameMatch::operator()(const XmlElement &element)
{
    return convertValue(element.getName(), m_scratch) && m_scratch == m_wantedName;
}

XmlElementSet::XmlElementSet(XmlElement *element) : m_members{element}
{}

XmlElementSet::XmlElementSet(MemberList members) : m_members(std::move(members))
{}

XmlElementSet XmlElementSet::selectChildren(XmlNameMatch match) const
{
    MemberList selected;
    for (const XmlElement *member : m_members) {
        for (XmlElement *child : member->getChildren()) {
            if (match(*child))
                selected.push_back(child);
        }
    }
    return XmlElementSet(std::move(selected));
}

} // namespace stubsetup
