#pragma once

// What the tests share, free of Qt: temporary folders, a private home, the
// environment and the locale for one test, whole files, and work done in a
// child process.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <sys/types.h>

namespace stubsetup::test {

// A fresh folder below the temporary folder, removed with all it holds.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    const std::string &path() const { return m_path; }
    std::string operator/(const std::string &relative) const { return m_path + "/" + relative; }

private:
    std::string m_path;
};

// Sets and unsets environment variables; every one touched is restored.
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment &) = delete;
    ScopedEnvironment &operator=(const ScopedEnvironment &) = delete;

    void set(const std::string &name, const std::string &value);
    void unset(const std::string &name);

private:
    void remember(const std::string &name);
    std::map<std::string, std::optional<std::string>> m_saved;
};

// HOME points to an empty folder and XDG_RUNTIME_DIR to a private one; the
// other XDG folders and TMPDIR are unset, so they take their defaults below
// HOME and in /tmp. All is restored at the end.
class IsolatedHome {
public:
    IsolatedHome();
    std::string home() const { return m_folder / "home"; }
    // A path beside the home, for the test's own files.
    std::string scratch(const std::string &name) const { return m_folder / name; }
    ScopedEnvironment &environment() { return m_environment; }

private:
    TempFolder m_folder;
    ScopedEnvironment m_environment;
};

// The home of a whole test program, or none in a death-test child: that runs
// the program again, keeps its parent's home, and would leave one of its own
// behind.
std::unique_ptr<IsolatedHome> HomeForTheRun();

// Switches the character-type locale for one test and back.
class ScopedLocale {
public:
    explicit ScopedLocale(const std::string &name);
    ~ScopedLocale();
    ScopedLocale(const ScopedLocale &) = delete;
    ScopedLocale &operator=(const ScopedLocale &) = delete;
    bool active() const { return m_active; }

private:
    std::string m_previous;
    bool m_active = false;
};

// Compiles the en_US locale with `charset` (say "CP1252" or "ISO-8859-1") into
// a temporary folder, points LOCPATH there and switches the character-type
// locale to it; all is undone at the end. Inactive when localedef or the
// locale sources (package locales) are missing.
class BuiltLocale {
public:
    explicit BuiltLocale(const std::string &charset);
    bool active() const { return m_locale->active(); }
    // For a child process: LOCPATH's value and the locale's name.
    const std::string &folder() const { return m_folder.path(); }
    const std::string &name() const { return m_name; }

private:
    TempFolder m_folder;
    ScopedEnvironment m_environment;
    std::string m_name;
    std::unique_ptr<ScopedLocale> m_locale;
};

// Files whole, as bytes: a file that cannot be read reads as empty, one that
// cannot be written fails the test.
std::string ReadFile(const std::string &path);
void WriteFile(const std::string &path, const std::string &content = {});
std::set<std::string> FolderEntries(const std::string &folder);
// The permission bits with set-user-ID, set-group-ID and sticky, through links.
unsigned int ModeOf(const std::string &path);

// Root tests run code as nobody where permission bits must apply to it.
inline constexpr uid_t kNobody = 65534;
// Makes a root process nobody; false when that failed.
bool DropRootToNobody();

// Runs `action` in a forked child and answers what it answered. With
// `asUnprivileged`, a root child first becomes nobody, so that permission
// bits apply to it.
bool RunInChild(const std::function<bool()> &action, bool asUnprivileged = false);

} // namespace stubsetup::test
