#pragma once

// The program as the update manager sees it: started with a controlled
// environment, judged by its exit status, its output and the files it leaves.
#include "ChildProcess.h"
#include "ExpectedReport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace stubsetup::test {

namespace fs = std::filesystem;

// The message of a run without an install directory, with its reason.
inline std::string FatalLine(const std::string &why)
{
    return "stubsetup: Unable to get application installation directory.  Fatal error: " + why +
           "\n";
}
inline constexpr char kNoDialogLine[] = "stubsetup: cannot open the progress dialog: no display\n";
inline constexpr char kSetIdRunLine[] = "stubsetup: cannot open the progress dialog: not available "
                                        "in a set-user-ID or set-group-ID run\n";

inline std::string LastLine(const std::string &text)
{
    const std::size_t end = text.size() < 2 ? std::string::npos : text.rfind('\n', text.size() - 2);
    return end == std::string::npos ? text : text.substr(end + 1);
}

// How a crash looks from outside: SIGSEGV, or, in a sanitizer build whose
// handler keeps the signal for itself, the sanitizer's report of it.
inline bool Crashed(const ChildResult &result)
{
    return result.killedBy == SIGSEGV || (STUBSETUP_SANITIZED && result.exitStatus > 0 &&
                                          result.err.find("SEGV") != std::string::npos);
}

// The viewer is started detached, so its record appears some time after the
// program has ended.
inline bool WaitForFile(const std::string &path)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!fs::exists(path) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return fs::exists(path);
}

// Runs get a private home, data and runtime folder, an install directory, a
// work folder to start in and a folder of programs ahead of the system's in
// PATH.
class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char *folder : {"home", "data", "runtime", "app", "work", "bin"})
            fs::create_directory(Path(folder));
        fs::permissions(Path("runtime"), fs::perms::owner_all);
        m_environment = {{"HOME", Path("home")},
                         {"XDG_DATA_HOME", Path("data")},
                         {"XDG_RUNTIME_DIR", Path("runtime")},
                         {"PATH", Path("bin") + ":/usr/bin:/bin"},
                         {"ORL_APP_ID", "Demo"},
                         {"ORL_APP_INSTALL_PATH", Path("app")}};
    }

    std::string Path(const std::string &name) const { return m_root + "/" + name; }
    std::string ReportPath() const { return Path("data/Corvane/Updater/Install/Demo.irpt"); }
    std::string InstallFolder() const { return Path("data/Corvane/Updater/Install"); }

    std::vector<std::string> Environment() const
    {
        std::vector<std::string> entries;
        for (const auto &[name, value] : m_environment)
            entries.push_back(name + "=" + value);
        for (const std::string &setting : WithSanitizerSettings({}))
            if (m_environment.count(setting.substr(0, setting.find('='))) == 0)
                entries.push_back(setting);
        return entries;
    }

    // A run of the program in the work folder, for a test to adjust.
    ChildRun Command(std::vector<std::string> arguments) const
    {
        arguments.insert(arguments.begin(), STUBSETUP_PROGRAM);
        return {arguments, Environment(), Path("work")};
    }

    ChildResult Run(std::vector<std::string> arguments, long fileSizeLimit = -1)
    {
        ChildRun run = Command(std::move(arguments));
        run.fileSizeLimit = fileSizeLimit;
        return RunChild(run);
    }

    ChildResult RunAsNobody(std::vector<std::string> arguments)
    {
        ChildRun run = Command(std::move(arguments));
        run.asNobody = true;
        return RunChild(run);
    }

    // Preloads the fault shim with the given settings (see FaultShim.c).
    void InjectFaults(const std::map<std::string, std::string> &settings)
    {
        m_environment["LD_PRELOAD"] = FAULT_SHIM;
        // A sanitizer runtime must otherwise come first in the library list.
        const char *asanOptions = std::getenv("ASAN_OPTIONS");
        m_environment["ASAN_OPTIONS"] =
            std::string(asanOptions ? asanOptions : "") + ":verify_asan_link_order=0";
        for (const auto &[name, value] : settings)
            m_environment["STUBSETUP_FAULT_" + name] = value;
    }

    void UseFakeModule(const std::string &mode)
    {
        m_environment["WAYLAND_DISPLAY"] = "wayland-97";
        m_environment["STUBSETUP_GUI_MODULE"] = FAKE_UI_MODULE;
        m_environment["FAKE_UI_MODE"] = mode;
    }

    TempFolder m_folder;
    const std::string m_root = m_folder.path();
    std::map<std::string, std::string> m_environment;
};

} // namespace stubsetup::test
