#include "app/UserInterfaceLoader.h"

#include "app/platform/Process.h"

#include <cstdlib>

namespace stubsetup {
namespace {

constexpr char kModuleFileName[] = "libstubsetup-gui.so";

std::string DirectoryOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string FileNameOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

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
    return DirectoryOf(platform::OwnExecutablePath()) +
           "/../" STUBSETUP_RELATIVE_LIBDIR "/stubsetup/" + kModuleFileName;
}

std::string ProgramCaption()
{
    const std::string caption = WithoutExtension(FileNameOf(platform::OwnExecutablePath()));
    return caption.empty() ? std::string("stubsetup") : caption;
}

LazyUserInterface::LazyUserInterface(std::ostream &errors) : m_fallback(errors)
{}

void LazyUserInterface::showMessage(const std::string &text, MessageStyle style)
{
    resolve().showMessage(text, style);
}

DialogResult LazyUserInterface::runProgressDialog(InstallerDialogValues &values)
{
    return resolve().runProgressDialog(values);
}

UserInterface &LazyUserInterface::resolve()
{
    if (m_resolved == nullptr) {
        if (platform::DisplayAvailable())
            m_loaded = loadModuleUserInterface();
        m_resolved = m_loaded ? m_loaded.get() : &m_fallback;
    }
    return *m_resolved;
}

std::unique_ptr<UserInterface> LazyUserInterface::loadModuleUserInterface()
{
    const std::string modulePath = ModulePath();
    m_module = platform::SharedModule::load(modulePath);
    const auto create = m_module ? reinterpret_cast<CreateUserInterfaceFunction>(
                                       m_module->findSymbol(kCreateUserInterfaceSymbol))
                                 : nullptr;
    if (create == nullptr) {
        m_fallback.setReasonForNoDialog("the user-interface module " + modulePath +
                                        " cannot be loaded");
        return nullptr;
    }
    // The module answers null when the display cannot be reached. The caption
    // is looked up only now: quiet runs never need it.
    return std::unique_ptr<UserInterface>(create(ProgramCaption().c_str()));
}

} // namespace stubsetup
