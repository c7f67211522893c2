#include "common/platform/SharedModule.h"

#include <dlfcn.h>

namespace stubsetup::platform {

std::unique_ptr<SharedModule> SharedModule::load(const std::string &path)
{
    // Toolkits register exit handlers and threads; unloading them before the
    // process ends is unsafe, so the code stays mapped after the handle closes.
    // Functions are bound on their first call, which spares a caller binding
    // thousands it never calls (the first dialog would wait for them). Missing
    // libraries, data symbols and symbol versions still fail here, on loading.
    void *handle = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL | RTLD_NODELETE);
    if (handle == nullptr)
        return nullptr;
    return std::unique_ptr<SharedModule>(new SharedModule(handle));
}

SharedModule::~SharedModule()
{
    dlclose(m_handle);
}

void *SharedModule::findSymbol(const char *name) const
{
    return dlsym(m_handle, name);
}

} // namespace stubsetup::platform
