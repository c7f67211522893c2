#pragma once

#include <cstdint>
#include <string>

namespace stubsetup {

// The values the progress dialog shows. The run sequence fills them in every
// run, quiet included, and afterwards reads back only the return code and the
// message; the dialog (when one is shown) edits them in place.
struct InstallerDialogValues {
    std::string m_strDisplayName;
    std::string m_strInstallPath;
    std::string m_strComponent;
    std::string m_strInstallingFile;
    std::string m_strMessage;
    std::uint32_t m_nSleepSeconds = 0;
    std::int32_t m_nReturnCode = -1; // -1: no return code selected
};

} // namespace stubsetup
