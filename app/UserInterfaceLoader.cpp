#include "app/UserInterfaceLoader.h"

#include "app/platform/Process.h"
#include "common/DisplayTarget.h"
#include "common/platform/Paths.h"

#include <cstdlib>
#include <utility>

namespace stubsetup {
namespace {

constexpr char kModuleFileName[] = "libstubsetup-gui.so";

std::string WithoutExtension(const std::string &fileName)
{
    const std::size_t dot = fileName.rfind('.');
    return dot == std::string::npos || dot == 0 ? fileName : fileName.substr(0, dot);
}

std::string ModulePath()
{
    const char *configured = std::getenv(kUserInterfaceModuleVariable);
    return configured != nullptr ? std::string(configured) : DefaultUserInterfaceModulePath();
}

} // namespace

std::string DefaultUserInterfaceModulePath()
{
    // The current folder is anyone's: without the program's own folder
    // there is no module to load.
    const std::string program = platform::OwnExecutablePath();
    if (program.empty() || program[0] != '/')
        return {};
    return platform::SplitFolderAndName(program).folder +
           "/../" STUBSETUP_RELATIVE_LIBDIR "/stubsetup/" + kModuleFileName;
}

std::string ProgramCaption()
{
    const std::string caption =
        WithoutExtension(platform::SplitFolderAndName(platform::OwnExecutablePath()).name);
    return caption.empty() ? std::string("stubsetup") : caption;
}

LazyUserInterface::LazyUserInterface(std::ostream &errors) : m_fallback(errors)
{}

void LazyUserInterface::showMessage(const std::string &text, MessageStyle style,
                                    const std::string &reason)
{
    UserInterface &resolved = resolve();
    if (&resolved != &m_fallback && !reason.empty())
        m_fallback.showMessage(text, style, reason);
    resolved.showMessage(text, style, reason);
}

DialogResult LazyUserInterface::runProgressDialog(InstallerDialogValues &values)
{
    return resolve().runProgressDialog(values);
}

UserInterface &LazyUserInterface::resolve()
{
    if (m_resolved == nullptr) {
        m_loaded = loadModuleUserInterface();
        m_resolved = m_loaded ? m_loaded.get() : &m_fallback;
    }
    return *m_resolved;
}

std::unique_ptr<UserInterface> LazyUserInterface::loadModuleUserInterface()
{
    // The environment names the module and the toolkit's plug-ins: none of
    // that may run with privileges the caller does not have.
    if (platform::RunsWithRaisedPrivileges())
        return decline("not available in a set-user-ID or set-group-ID run");
    if (chooseDisplayTarget(processEnvironment()).platform.empty())
        return nullptr;
    const std::string modulePath = ModulePath();
    if (modulePath.empty())
        return decline(
            "the user-interface module cannot be found: the program's own file is unknown");
    m_module = platform::SharedModule::load(modulePath);
    const auto create = m_module ? reinterpret_cast<CreateUserInterfaceFunction>(
                                       m_module->findSymbol(kCreateUserInterfaceSymbol))
                                 : nullptr;
    if (create == nullptr)
        return decline("the user-interface module " + modulePath + " cannot be loaded");
    // The module answers null when the display cannot be reached. The caption
    // is looked up only now: quiet runs never need it.
    return std::unique_ptr<UserInterface>(create(ProgramCaption().c_str()));
}

std::unique_ptr<UserInterface> LazyUserInterface::decline(std::string reason)
{
    m_fallback.setReasonForNoDialog(std::move(reason));
    return nullptr;
}

} // namespace stubsetup
