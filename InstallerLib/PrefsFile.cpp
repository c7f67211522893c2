#include "InstallerLib/PrefsFile.h"

#include "InstallerLib/ErrorReason.h"
#include "common/ConvertValue.h"
#include "common/platform/FileSystem.h"
#include "xml/XmlElementSet.h"
#include "xml/XmlWriter.h"

#include <algorithm>
#include <memory>
#include <new>
#include <sstream>
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

} // namespace

PrefsFile::PrefsFile(const std::string &path, const std::string &rootName)
    : PrefsFile(platform::TrustingFolderOf(path), rootName)
{}

PrefsFile::PrefsFile(const platform::GuardedPath &path, const std::string &rootName)
    : m_path(path), m_rootName(rootName)
{
    if (!path.below.empty())
        load(path);
}

PrefsFile::~PrefsFile() = default;

void PrefsFile::load(const std::string &path)
{
    load(platform::TrustingFolderOf(path));
}

void PrefsFile::load(const platform::GuardedPath &path)
{
    m_path = path;
    m_reader.reset();
    m_settings = nullptr;
    m_assigned.clear();
    if (!m_reader.prepare(nullptr, '\0'))
        throw std::bad_alloc();
    if (path.below.empty())
        throw ErrorWithReason<std::runtime_error>(kNoPathMessage,
                                                  Outcome::failure(ENOENT, path.text()));
    bool found = false;
    Outcome loaded = platform::ReadFileLocked(
        path, [this](int file) { return parse(file); }, found);
    if (loaded.ok())
        loaded = adoptSettingsElement();
    if (!loaded.ok())
        throw ErrorWithReason<std::invalid_argument>(kParseFailureMessage, loaded);
}

Outcome PrefsFile::parse(int file)
{
    if (!m_reader.parseOpenFile(file, true))
        return Outcome::failure(errno, m_path.text(), m_reader.failureReason());
    return {};
}

Outcome PrefsFile::adoptSettingsElement()
{
    XmlElement *document = m_reader.document();
    XmlElement *settings = FirstChildNamed(document, m_rootName);
    // A file holding another top-level element is not ours; adding ours
    // beside it would write a document that no parser accepts.
    if (settings == nullptr && !document->getChildren().empty())
        return Outcome::failure(EBADMSG, m_path.text(),
                                "its top-level element is not " + m_rootName);
    if (settings == nullptr) {
        auto created = std::make_unique<XmlElement>(m_rootName);
        settings = created.get();
        document->addChild(std::move(created));
    }
    m_settings = settings;
    return {};
}

Outcome PrefsFile::reloadWithAssignments(int file)
{
    m_settings = nullptr;
    if (!m_reader.prepare(nullptr, '\0'))
        throw std::bad_alloc();
    Outcome reloaded = parse(file);
    if (reloaded.ok())
        reloaded = adoptSettingsElement();
    for (const auto &[name, value] : m_assigned)
        if (reloaded.ok())
            findValueElement(name, true)->setText(value);
    return reloaded;
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
    const auto assigned =
        std::find_if(m_assigned.begin(), m_assigned.end(),
                     [&name](const auto &nameAndValue) { return nameAndValue.first == name; });
    if (assigned == m_assigned.end())
        m_assigned.emplace_back(name, value);
    else
        assigned->second = value;
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

Outcome PrefsFile::save(const TextEdit &edit)
{
    const XmlElement *document = m_reader.document();
    if (document == nullptr || m_settings == nullptr)
        return Outcome::failure(EINVAL, m_path.text(), "nothing was loaded");
    Outcome saved = platform::ReplaceFileContent(
        m_path,
        [this, &edit](std::ostream &stream) {
            if (!edit)
                return static_cast<bool>(writeXml(stream, m_reader.document()));
            std::ostringstream text;
            writeXml(text, m_reader.document());
            const std::string edited = edit(text.str());
            return platform::BytesWriter(edited)(stream);
        },
        [this](int file) { return reloadWithAssignments(file); });
    if (!saved.ok())
        errno = saved.error();
    return saved;
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
