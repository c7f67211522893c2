#include "InstallerLib/PrefsFile.h"

#include "InstallerLib/ErrorReason.h"
#include "InstallerLib/platform/FileSystem.h"
#include "common/ConvertValue.h"
#include "xml/XmlElementSet.h"
#include "xml/XmlWriter.h"

#include <memory>
#include <new>
#include <stdexcept>

namespace stubsetup {
namespace {

constexpr char kNoPathMessage[] = "Prefs file unable to lock file for reading!";
constexpr char kParseFailureMessage[] = "Unable to parse settings file";

XmlElement *FirstChildNamed(XmlElement *parent, const std::string &name)
{
    const XmlElementSet matches = XmlElementSet(parent).selectChildren(XmlNameMatch(name));
    return matches.members().empty() ? nullptr : matches.members().front();
}

// Directories, FIFOs and devices are no settings files; a FIFO would even
// block the read. A path that cannot be examined is not taken for missing.
bool IsLoadable(const std::string &path)
{
    switch (platform::GetPathKind(path)) {
    case platform::PathKind::Missing:
    case platform::PathKind::RegularFile:
        return true;
    case platform::PathKind::Unreadable:
        return false;
    case platform::PathKind::Directory:
        errno = EISDIR;
        return false;
    case platform::PathKind::Other:
        errno = EINVAL;
        return false;
    }
    return false;
}

} // namespace

PrefsFile::PrefsFile(const std::string &path, const std::string &rootName)
    : m_path(path), m_rootName(rootName)
{
    if (!path.empty())
        load(path);
}

PrefsFile::~PrefsFile() = default;

void PrefsFile::load(const std::string &path)
{
    m_path = path;
    m_reader.reset();
    m_settings = nullptr;
    if (!m_reader.prepare(nullptr, '\0'))
        throw std::bad_alloc();
    if (path.empty())
        throw ErrorWithReason<std::runtime_error>(kNoPathMessage, ENOENT);
    if (!IsLoadable(path) || !m_reader.parseFile(path, true))
        throw ErrorWithReason<std::invalid_argument>(kParseFailureMessage);
    XmlElement *document = m_reader.document();
    XmlElement *settings = FirstChildNamed(document, m_rootName);
    // A file holding another top-level element is not ours; adding ours
    // beside it would write a document that no parser accepts.
    if (settings == nullptr && !document->getChildren().empty())
        throw ErrorWithReason<std::invalid_argument>(kParseFailureMessage, EBADMSG);
    if (settings == nullptr) {
        auto created = std::make_unique<XmlElement>(m_rootName);
        settings = created.get();
        document->addChild(std::move(created));
    }
    m_settings = settings;
}

XmlElement *PrefsFile::findValueElement(const std::string &name, bool create)
{
    if (m_settings == nullptr)
        return nullptr;
    XmlElement *element = FirstChildNamed(m_settings, name);
    if (element == nullptr && create) {
        auto created = std::make_unique<XmlElement>(name);
        element = created.get();
        m_settings->addChild(std::move(created));
    }
    return element;
}

bool PrefsFile::getInt(const std::string &name, std::int32_t &value, std::int32_t defaultValue)
{
    const XmlElement *element = findValueElement(name, false);
    const std::string text = element ? element->getText() : std::string();
    if (text.empty()) {
        value = defaultValue;
        return true;
    }
    return convertValue(text, value);
}

bool PrefsFile::getString(const std::string &name, std::string &value,
                          const std::string &defaultValue)
{
    const XmlElement *element = findValueElement(name, false);
    const std::string text = element ? element->getText() : std::string();
    value = text.empty() ? defaultValue : text;
    return true;
}

bool PrefsFile::assignInt(const std::string &name, std::int32_t value)
{
    std::string text;
    return convertValue(value, text) && assignString(name, text);
}

bool PrefsFile::assignString(const std::string &name, const std::string &value)
{
    XmlElement *element = findValueElement(name, true);
    if (element == nullptr)
        return false;
    element->setText(value);
    return true;
}

bool PrefsFile::setInt(const std::string &name, std::int32_t value)
{
    return assignInt(name, value) && save();
}

bool PrefsFile::setString(const std::string &name, const std::string &value)
{
    return assignString(name, value) && save();
}

bool PrefsFile::save()
{
    const XmlElement *document = m_reader.document();
    if (document == nullptr || m_settings == nullptr)
        return false;
    return platform::ReplaceFileContent(m_path, [document](std::ostream &stream) {
        return static_cast<bool>(writeXml(stream, document));
    });
}

template <> bool PrefValue<std::int32_t>::get(std::int32_t &value) const
{
    return m_store->getInt(m_name, value, m_default);
}

template <> bool PrefValue<std::int32_t>::set(std::int32_t value)
{
    return m_store->setInt(m_name, value);
}

template <> bool PrefValue<std::int32_t>::assign(const std::int32_t &value)
{
    return m_store->assignInt(m_name, value);
}

template <> bool PrefValue<std::string>::assign(const std::string &value)
{
    return m_store->assignString(m_name, value);
}

template <> bool PrefValue<std::string>::get(std::string &value) const
{
    return m_store->getString(m_name, value, m_default);
}

// By value, as for every kind of value: `set` takes what the store will keep.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
template <> bool PrefValue<std::string>::set(std::string value)
{
    return m_store->setString(m_name, value);
}

} // namespace stubsetup
