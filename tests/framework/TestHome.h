#pragma once

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace stubsetup::test {

// Points HOME at a fresh private folder for the test process, with the XDG
// folders at their defaults below it, so nothing touches the developer's own.
// Children that re-run the test program (death tests) keep their parent's.
class TestHome {
public:
    TestHome()
    {
        if (std::getenv("STUBSETUP_TEST_HOME"))
            return;
        std::string folder = std::filesystem::temp_directory_path() / "stubsetup.XXXXXX";
        if (!mkdtemp(folder.data()))
            throw std::runtime_error("mkdtemp failed");
        m_path = folder;
        for (const char *name : {"STUBSETUP_TEST_HOME", "HOME", "XDG_RUNTIME_DIR"})
            setenv(name, folder.c_str(), 1);
        for (const char *name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"})
            unsetenv(name);
    }
    ~TestHome()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }

private:
    std::filesystem::path m_path;
};

} // namespace stubsetup::test
