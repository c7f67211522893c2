#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

namespace stubsetup::fuzz {

// A folder of its own for the whole fuzzing session, in memory when the
// machine has /dev/shm; removed at exit.
class ScratchFolder {
public:
    ScratchFolder()
    {
        const bool shm = std::filesystem::is_directory("/dev/shm");
        std::string pattern = std::string(shm ? "/dev/shm" : "/tmp") + "/stubsetup-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        m_path = pattern;
    }
    ~ScratchFolder() { std::filesystem::remove_all(m_path); }
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    std::string file(const std::string &name) const { return m_path + "/" + name; }

    std::set<std::string> entries() const
    {
        std::set<std::string> names;
        for (const auto &entry : std::filesystem::directory_iterator(m_path))
            names.insert(entry.path().filename().string());
        return names;
    }

private:
    std::string m_path;
};

inline void writeFile(const std::string &path, const std::string &content)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

inline std::string readFile(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A broken property: report it and let libFuzzer keep the input.
[[noreturn]] inline void fail(const std::string &what)
{
    std::fprintf(stderr, "property broken: %s\n", what.c_str());
    std::abort();
}

} // namespace stubsetup::fuzz
