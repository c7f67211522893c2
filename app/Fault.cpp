#include "app/Fault.h"

#include <algorithm>
#include <array>
#include <utility>

namespace stubsetup {
namespace {

constexpr std::array<std::pair<Fault, const char *>, 6> kFaultNames = {{
    {Fault::NoReport, "noreport"},
    {Fault::Crash, "crash"},
    {Fault::CrashAfter, "crashafter"},
    {Fault::Hang, "hang"},
    {Fault::HardHang, "hardhang"},
    {Fault::BadReport, "badreport"},
}};

} // namespace

bool FaultNamed(const std::string &name, Fault &fault)
{
    const auto named = std::find_if(kFaultNames.begin(), kFaultNames.end(),
                                    [&name](const auto &entry) { return name == entry.second; });
    if (named == kFaultNames.end())
        return false;
    fault = named->first;
    return true;
}

const char *FaultName(Fault fault)
{
    const auto named = std::find_if(kFaultNames.begin(), kFaultNames.end(),
                                    [fault](const auto &entry) { return fault == entry.first; });
    return named == kFaultNames.end() ? "" : named->second;
}

std::string KnownFaultNames()
{
    std::string names;
    for (const auto &[fault, name] : kFaultNames)
        names += (names.empty() ? "" : ", ") + std::string(name);
    return names;
}

} // namespace stubsetup
