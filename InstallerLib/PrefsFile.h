#pragma once

#include "common/Outcome.h"
#include "common/platform/GuardedPath.h"
#include "xml/XmlElement.h"
#include "xml/XmlReader.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace stubsetup {

// Changes a document's text just before it is written.
using TextEdit = std::function<std::string(const std::string &text)>;

// Named values kept as the child elements of one top-level element (named
// after the root name) of an XML file. The file is read once, at
// construction; every set rewrites it whole.
class PrefsFile {
public:
    // Loads `path` unless it is empty; the errors of load pass on.
    PrefsFile(const std::string &path, const std::string &rootName);
    // The same for a file below a trusted folder (see GuardedPath).
    PrefsFile(const platform::GuardedPath &path, const std::string &rootName);
    virtual ~PrefsFile();
    PrefsFile(const PrefsFile &) = delete;
    PrefsFile &operator=(const PrefsFile &) = delete;

    // A missing or empty file gives an empty settings element (nothing is
    // written). The file is read under a shared lock. Throws
    // std::runtime_error for an empty path and std::invalid_argument for a
    // file that is not a settings file: not well-formed, another top-level
    // element, or not a regular file; both carry the reason (ErrorReason).
    void load(const std::string &path);
    void load(const platform::GuardedPath &path);

    // A missing or empty value gives the default and true; otherwise false when
    // the text is not wholly an integer.
    bool getInt(const std::string &name, std::int32_t &value, std::int32_t defaultValue);
    bool getString(const std::string &name, std::string &value, const std::string &defaultValue);
    // Put the value into the tree only (creating its element at the end if
    // needed), so that several values can reach the file in one save. False
    // when nothing was loaded.
    bool assignInt(const std::string &name, std::int32_t value);
    bool assignString(const std::string &name, const std::string &value);
    // Assign the value and save.
    // False when nothing was loaded or the save failed.
    bool setInt(const std::string &name, std::int32_t value);
    bool setString(const std::string &name, const std::string &value);
    // Replaces the file with the whole document; the previous file stays intact
    // when this fails (errno is set too). Where the file must be rewritten in
    // place, it is read again under the lock and the values assigned since the
    // load are applied to what it holds then. `edit`, when given, changes
    // the text that is written, and only that.
    Outcome save(const TextEdit &edit = {});

private:
    XmlElement *findValueElement(const std::string &name, bool create);
    Outcome parse(int file);
    Outcome adoptSettingsElement();
    Outcome reloadWithAssignments(int file);

    XmlReader m_reader;
    XmlElement *m_settings = nullptr; // inside m_reader's tree
    platform::GuardedPath m_path;
    std::string m_rootName;
    // The values assigned since the load, in the order they were first
    // assigned, for a save that must apply them to the file as it stands then.
    std::vector<std::pair<std::string, std::string>> m_assigned;
};

// One named value of a store, with its default. The store must outlive it.
template <typename Value> class PrefValue {
public:
    PrefValue(PrefsFile *store, std::string name, Value defaultValue)
        : m_store(store), m_name(std::move(name)), m_default(std::move(defaultValue))
    {}
    virtual ~PrefValue() = default;
    virtual bool get(Value &value) const;
    virtual bool set(Value value);
    // Into the store's tree only; the store's save writes it.
    bool assign(const Value &value);
    virtual bool isDefault(const Value &value) const { return value == m_default; }

private:
    PrefsFile *m_store;
    std::string m_name;
    Value m_default;
};

using IntPrefValue = PrefValue<std::int32_t>;
using StringPrefValue = PrefValue<std::string>;

template <> bool PrefValue<std::int32_t>::get(std::int32_t &value) const;
template <> bool PrefValue<std::int32_t>::set(std::int32_t value);
template <> bool PrefValue<std::int32_t>::assign(const std::int32_t &value);
template <> bool PrefValue<std::string>::get(std::string &value) const;
template <> bool PrefValue<std::string>::assign(const std::string &value);
template <> bool PrefValue<std::string>::set(std::string value);

} // namespace stubsetup
