#pragma once

#include <memory>
#include <string>

namespace stubsetup::platform {

// A shared library loaded at run time.
class SharedModule {
public:
    // Null when the file is missing or cannot be loaded.
    static std::unique_ptr<SharedModule> load(const std::string &path);

    ~SharedModule();
    SharedModule(const SharedModule &) = delete;
    SharedModule &operator=(const SharedModule &) = delete;

    // Null when the module has no such symbol.
    void *findSymbol(const char *name) const;

private:
    explicit SharedModule(void *handle) : m_handle(handle) {}

    void *m_handle;
};

} // namespace stubsetup::platform
