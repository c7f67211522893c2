#include "app/StandardErrorUserInterface.h"

#include <ostream>

namespace stubsetup {

StandardErrorUserInterface::StandardErrorUserInterface(std::ostream &errors) : m_errors(errors)
{}

void StandardErrorUserInterface::showMessage(const std::string &text, MessageStyle /*style*/,
                                             const std::string &reason)
{
    m_errors << kDiagnosticPrefix << text << (reason.empty() ? "" : ": ") << reason << '\n'
             << std::flush;
}

DialogResult StandardErrorUserInterface::runProgressDialog(InstallerDialogValues & /*values*/)
{
    return {DialogOutcome::Unavailable, m_reasonForNoDialog};
}

} // namespace stubsetup
