// Stands in for the graphical module: reports on standard output what it is
// asked to show, and answers the progress dialog as FAKE_UI_MODE says. The
// calls FAKE_UI_FAILING names ("dialog" or "messages") meet what a toolkit
// may meet midway, as FAKE_UI_FAILURE says: "memory" asks for more than the
// fault shim lets it have; "exit" and "quick_exit" end the process with
// status 1 as Qt does when its display goes away (on X11, and on Wayland
// through the real module).
#include "app/UserInterface.h"

#include <cstdlib>
#include <iostream>
#include <vector>

namespace {

constexpr std::size_t kAppetite = std::size_t{64} << 20;

std::string Setting(const char *name, const char *otherwise)
{
    const char *value = std::getenv(name);
    return value != nullptr ? value : otherwise;
}

std::string Mode()
{
    return Setting("FAKE_UI_MODE", "confirm");
}

class FakeUserInterface : public stubsetup::UserInterface {
public:
    explicit FakeUserInterface(const char *caption) : m_caption(caption) {}

    void showMessage(const std::string &text, stubsetup::MessageStyle style,
                     const std::string & /*reason*/) override
    {
        FailIfAsked("messages");
        std::cout << m_caption << " [" << static_cast<int>(style) << "]: " << text << std::endl;
    }

    stubsetup::DialogResult runProgressDialog(stubsetup::InstallerDialogValues &values) override
    {
        FailIfAsked("dialog");
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
    void FailIfAsked(const std::string &call)
    {
        if (Setting("FAKE_UI_FAILING", "") != call)
            return;
        const std::string failure = Setting("FAKE_UI_FAILURE", "");
        if (failure == "memory")
            m_scratch.resize(kAppetite);
        else if (failure == "exit")
            std::exit(1);
        else if (failure == "quick_exit")
            std::quick_exit(1);
    }

    std::string m_caption;
    std::vector<char> m_scratch;
};

} // namespace

extern "C" __attribute__((visibility("default"))) stubsetup::UserInterface *
stubsetup_create_user_interface(const char *caption)
{
    return Mode() == "decline" ? nullptr : new FakeUserInterface(caption);
}
