#include "app/CInstallerCommandLineInfo.h"

#include "common/ConvertValue.h"

namespace stubsetup {
namespace {

// Only '-' introduces a switch: '/' starts absolute paths here.
constexpr char kSwitchCharacter = '-';
constexpr char kLoneSwitchValue[] = "1";

} // namespace

void CInstallerCommandLineInfo::ParseArguments(const std::vector<std::string> &arguments)
{
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        const bool isSwitch = !argument.empty() && argument.front() == kSwitchCharacter;
        const bool isLast = i + 1 == arguments.size();
        AddArgument(isSwitch ? argument.substr(1) : argument, isSwitch, isLast);
    }
}

void CInstallerCommandLineInfo::AddArgument(const std::string &text, bool isSwitch, bool /*isLast*/)
{
    if (isSwitch) {
        m_strPendingOption = text;
        m_options[text] = kLoneSwitchValue;
    } else if (!m_strPendingOption.empty()) {
        m_options[m_strPendingOption] = text;
        m_strPendingOption.clear();
    } else if (!text.empty()) {
        m_options[text] = text;
    }
}

bool CInstallerCommandLineInfo::GetOptionString(const std::string &name, std::string &value) const
{
    const auto found = m_options.find(name);
    if (found == m_options.end())
        return false;
    value = found->second;
    return true;
}

template <typename Target>
bool CInstallerCommandLineInfo::GetOptionConverted(const std::string &name, Target &value) const
{
    const auto found = m_options.find(name);
    return found != m_options.end() && convertValue(found->second, value);
}

bool CInstallerCommandLineInfo::GetOptionUnsigned(const std::string &name,
                                                  std::uint32_t &value) const
{
    return GetOptionConverted(name, value);
}

bool CInstallerCommandLineInfo::GetOptionBool(const std::string &name, bool &value) const
{
    return GetOptionConverted(name, value);
}

bool CInstallerCommandLineInfo::GetOptionInt(const std::string &name, std::int32_t &value) const
{
    return GetOptionConverted(name, value);
}

} // namespace stubsetup
