#include "TestSupport.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace stubsetup::test {

TempFolder::TempFolder()
{
    std::string pattern =
        (std::filesystem::temp_directory_path() / "stubsetup-test.XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

ScopedEnvironment::~ScopedEnvironment()
{
    for (const auto &[name, value] : m_saved) {
        if (value)
            ::setenv(name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name.c_str());
    }
}

void ScopedEnvironment::remember(const std::string &name)
{
    if (m_saved.count(name) != 0)
        return;
    const char *current = std::getenv(name.c_str());
    m_saved[name] = current ? std::optional<std::string>(current) : std::nullopt;
}

void ScopedEnvironment::set(const std::string &name, const std::string &value)
{
    remember(name);
    ::setenv(name.c_str(), value.c_str(), 1);
}

void ScopedEnvironment::unset(const std::string &name)
{
    remember(name);
    ::unsetenv(name.c_str());
}

IsolatedHome::IsolatedHome()
{
    std::filesystem::create_directory(home());
    std::filesystem::create_directory(scratch("runtime"));
    std::filesystem::permissions(scratch("runtime"), std::filesystem::perms::owner_all);
    m_environment.set("HOME", home());
    m_environment.set("XDG_RUNTIME_DIR", scratch("runtime"));
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "TMPDIR"})
        m_environment.unset(name);
}

std::unique_ptr<IsolatedHome> HomeForTheRun()
{
    constexpr char kParentsHome[] = "STUBSETUP_TEST_HOME";
    if (std::getenv(kParentsHome))
        return nullptr;
    auto home = std::make_unique<IsolatedHome>();
    home->environment().set(kParentsHome, home->home());
    return home;
}

ScopedLocale::ScopedLocale(const std::string &name) : m_previous(std::setlocale(LC_CTYPE, nullptr))
{
    m_active = !name.empty() && std::setlocale(LC_CTYPE, name.c_str()) != nullptr;
}

ScopedLocale::~ScopedLocale()
{
    std::setlocale(LC_CTYPE, m_previous.c_str());
}

BuiltLocale::BuiltLocale(const std::string &charset) : m_name("en_US." + charset)
{
    const std::string command =
        "localedef -i en_US -f '" + charset + "' '" + (m_folder / m_name) + "' 2>/dev/null";
    const bool built = std::system(command.c_str()) == 0;
    if (built)
        m_environment.set("LOCPATH", m_folder.path());
    m_locale = std::make_unique<ScopedLocale>(built ? m_name : std::string());
}

std::string ReadFile(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

void WriteFile(const std::string &path, const std::string &content)
{
    std::ofstream file(path, std::ios::binary);
    if (!(file << content).flush())
        ADD_FAILURE() << "cannot write " << path;
}

std::set<std::string> FolderEntries(const std::string &folder)
{
    std::set<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

unsigned int ModeOf(const std::string &path)
{
    struct stat status {};
    ::stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

bool DropRootToNobody()
{
    return ::geteuid() != 0 ||
           (::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0);
}

bool RunInChild(const std::function<bool()> &action, bool asUnprivileged)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit((!asUnprivileged || DropRootToNobody()) && action() ? 0 : 1);
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

} // namespace stubsetup::test
