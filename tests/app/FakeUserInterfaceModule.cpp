// Stands in for the graphical module: reports on standard output what it is
// asked to show, and answers the progress dialog as FAKE_UI_MODE says.
#include "app/UserInterface.h"

#include <cstdlib>
#include <iostream>

namespace {

std::string Mode()
{
    const char *mode = std::getenv("FAKE_UI_MODE");
    return mode != nullptr ? mode : "confirm";
}

class FakeUserInterface : public stubsetup::UserInterface {
public:
    explicit FakeUserInterface(const char *caption) : m_caption(caption) {}

    void showMessage(const std::string &text, stubsetup::MessageStyle style) override
    {
        std::cout << m_caption << " [" << static_cast<int>(style) << "]: " << text << std::endl;
    }

    stubsetup::DialogResult runProgressDialog(stubsetup::InstallerDialogValues &values) override
    {
        std::cout << "dialog: " << values.m_strDisplayName << '|' << values.m_strInstallPath << '|'
                  << values.m_strComponent << '|' << values.m_strInstallingFile << '|'
                  << values.m_strMessage << '|' << values.m_nSleepSeconds << '|'
                  << values.m_nReturnCode << std::endl;
        if (Mode() == "cancel")
            return {stubsetup::DialogOutcome::Cancelled, {}};
        values.m_nReturnCode = 3;
        values.m_strMessage = "confirmed in " + m_caption;
        return {stubsetup::DialogOutcome::Ok, {}};
    }

private:
    std::string m_caption;
};

} // namespace

extern "C" __attribute__((visibility("default"))) stubsetup::UserInterface *
stubsetup_create_user_interface(const char *caption)
{
    return Mode() == "decline" ? nullptr : new FakeUserInterface(caption);
}
