// The preferences store on arbitrary files. Input: the file's bytes, then
// optionally a NUL byte, one byte choosing the value and the value's text. A
// refused file must stay byte for byte; an accepted one must take the set
// and be rewritten readable, holding the value.
#include "FuzzSupport.h"

#include "InstallerLib/PrefsFile.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>

namespace {

using stubsetup::PrefsFile;
namespace fuzz = stubsetup::fuzz;

constexpr char kRootName[] = "InstallerResult";
constexpr const char *kValueNames[] = {"ReturnCode", "UserMessage", "Extra"};

struct Input {
    std::string file;
    std::string name = "ReturnCode";
    std::string value = "2";
};

Input split(const std::string &bytes)
{
    Input input;
    const std::size_t separator = bytes.rfind('\0');
    input.file = bytes.substr(0, separator);
    if (separator == std::string::npos || separator + 1 == bytes.size())
        return input;
    const auto choice = static_cast<unsigned char>(bytes[separator + 1]);
    input.name = kValueNames[choice % std::size(kValueNames)];
    input.value = bytes.substr(separator + 2);
    return input;
}

// Text the writer stores and the reader gives back unchanged.
bool isPlain(const std::string &text)
{
    for (const char byte : text)
        if ((byte < 0x20 || byte > 0x7E) && byte != '\t' && byte != '\n')
            return false;
    return true;
}

void checkRefusedFileIsKept(const fuzz::ScratchFolder &folder, const Input &input)
{
    if (fuzz::readFile(folder.file("store.xml")) != input.file)
        fuzz::fail("a refused file was changed");
    if (folder.entries().size() != 1)
        fuzz::fail("a refused file left other files behind");
}

void checkStoredValue(const fuzz::ScratchFolder &folder, const Input &input)
{
    std::string stored;
    try {
        PrefsFile reloaded(folder.file("store.xml"), kRootName);
        reloaded.getString(input.name, stored, "(default)");
    } catch (const std::exception &) {
        fuzz::fail("a rewritten file no longer loads:\n" +
                   fuzz::readFile(folder.file("store.xml")));
    }
    const std::string expected = input.value.empty() ? "(default)" : input.value;
    // A value element with children but no text is written with a line end
    // after its start tag, which reads back as its text.
    const bool emptyBeforeChildren = input.value.empty() && stored == "\n";
    if (isPlain(input.value) && stored != expected && !emptyBeforeChildren)
        fuzz::fail("value stored as \"" + stored + "\"");
    if (folder.entries().size() != 1)
        fuzz::fail("a save left a temporary file behind");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const fuzz::ScratchFolder folder;
    const Input input = split(std::string(reinterpret_cast<const char *>(data), size));
    const std::string path = folder.file("store.xml");
    fuzz::writeFile(path, input.file);
    std::unique_ptr<PrefsFile> store;
    try {
        store = std::make_unique<PrefsFile>(path, kRootName);
    } catch (const std::invalid_argument &) {
        checkRefusedFileIsKept(folder, input);
        return 0;
    }
    if (!store->setString(input.name, input.value))
        fuzz::fail("a set on an accepted, writable file failed");
    checkStoredValue(folder, input);
    return 0;
}
