#include "app/StandardErrorUserInterface.h"

#include <ostream>

namespace stubsetup {

StandardErrorUserInterface::StandardErrorUserInterface(std::ostream &errors) : m_errors(errors)
{}

void StandardErrorUserInterface::showMessage(const std::string &text, MessageStyle /*style*/)
{
    m_errors << kDiagnosticPrefix << text << '\n' << std::flush;
}

DialogResult StandardErrorUserInterface::runProgressDialog(InstallerDialogValues & /*values*/)
{
    return {DialogOutcome::Unavailable, m_reasonForNoDialog};
}

} // namespace stubsetup
