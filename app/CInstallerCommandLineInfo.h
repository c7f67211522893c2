#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace stubsetup {

// The option table: every `-name value` pair of the command line, filled once
// at start-up. Nothing about the command line is ever rejected or reported; the
// run reads the options it knows and ignores the rest.
class CInstallerCommandLineInfo {
public:
    // Feeds the program's arguments (without the program name) in order.
    void ParseArguments(const std::vector<std::string> &arguments);

    // `text` is the argument without its switch character. `isLast` tells
    // the final argument; no option depends on its position, so it is unused.
    void AddArgument(const std::string &text, bool isSwitch, bool isLast);

    // Each answers false and leaves `value` untouched when the option is
    // absent; the typed lookups answer true only for a complete conversion,
    // but may have stored the number read from the start of the text.
    bool GetOptionString(const std::string &name, std::string &value) const;
    bool GetOptionUnsigned(const std::string &name, std::uint32_t &value) const;
    bool GetOptionBool(const std::string &name, bool &value) const;
    bool GetOptionInt(const std::string &name, std::int32_t &value) const;

private:
    template <typename Target>
    bool GetOptionConverted(const std::string &name, Target &value) const;

    std::map<std::string, std::string> m_options;
    std::string m_strPendingOption;
};

} // namespace stubsetup
