#pragma once

#include "xml/XmlElement.h"

#include <string>
#include <vector>

namespace stubsetup {

// Matches elements whose name, read as one white-space-delimited word, is the
// wanted name. An empty or blank name never matches.
class XmlNameMatch {
public:
    explicit XmlNameMatch(std::string wantedName);
    bool operator()(const XmlElement &element);

private:
    std::string m_scratch;
    std::string m_wantedName;
};

// An ordered list of elements it does not own.
class XmlElementSet {
public:
    using MemberList = std::vector<XmlElement *>;

    explicit XmlElementSet(XmlElement *element);
    explicit XmlElementSet(MemberList members);
    virtual ~XmlElementSet() = default;
    XmlElementSet(const XmlElementSet &) = default;
    XmlElementSet &operator=(const XmlElementSet &) = default;

    // The members' children that satisfy `match`: all matches of the first
    // member in child order, then those of the second, and so on.
    XmlElementSet selectChildren(XmlNameMatch match) const;
    const MemberList &members() const { return m_members; }

private:
    MemberList m_members;
};

} // namespace stubsetup
