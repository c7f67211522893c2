// Shortcut files read with liblnk. The library is loaded when the first
// shortcut is met rather than with the user interface: few runs meet one, and
// linking it would slow every dialog's first appearance.
#include "controls/platform/Shortcut.h"

#include "common/platform/SharedModule.h"
#include "framework/LocalText.h"

#include <liblnk.h>

#include <memory>
#include <optional>
#include <vector>

namespace stubsetup::platform {
namespace {

constexpr char kLibraryName[] = "liblnk.so.1";

using Getter = int (*)(liblnk_file_t *, uint8_t *, size_t, liblnk_error_t **);
using SizeGetter = int (*)(liblnk_file_t *, size_t *, liblnk_error_t **);

// The functions used here, found in the loaded library with their own types.
struct Liblnk {
    std::unique_ptr<SharedModule> library;
    decltype(&liblnk_error_free) errorFree = nullptr;
    decltype(&liblnk_file_initialize) fileInitialize = nullptr;
    decltype(&liblnk_file_open) fileOpen = nullptr;
    decltype(&liblnk_file_close) fileClose = nullptr;
    decltype(&liblnk_file_free) fileFree = nullptr;
    SizeGetter localPathSize = nullptr;
    Getter localPath = nullptr;
    SizeGetter relativePathSize = nullptr;
    Getter relativePath = nullptr;

    template <typename Function> bool find(const char *name, Function &function)
    {
        function = reinterpret_cast<Function>(library->findSymbol(name));
        if (function == nullptr)
            qWarning("shortcut files cannot be read: %s has no %s", kLibraryName, name);
        return function != nullptr;
    }
};

// None when the library or one of its functions is missing: shortcuts then
// read as unreadable files, said once on standard error. Kept loaded for the
// rest of the run.
std::optional<Liblnk> loadLiblnk()
{
    Liblnk api;
    api.library = SharedModule::load(kLibraryName);
    if (!api.library) {
        qWarning("shortcut files cannot be read: %s cannot be loaded", kLibraryName);
        return std::nullopt;
    }
    const bool complete =
        api.find("liblnk_error_free", api.errorFree) &&
        api.find("liblnk_file_initialize", api.fileInitialize) &&
        api.find("liblnk_file_open", api.fileOpen) &&
        api.find("liblnk_file_close", api.fileClose) &&
        api.find("liblnk_file_free", api.fileFree) &&
        api.find("liblnk_file_get_utf8_local_path_size", api.localPathSize) &&
        api.find("liblnk_file_get_utf8_local_path", api.localPath) &&
        api.find("liblnk_file_get_utf8_relative_path_size", api.relativePathSize) &&
        api.find("liblnk_file_get_utf8_relative_path", api.relativePath);
    if (!complete)
        return std::nullopt;
    return api;
}

const Liblnk *liblnk()
{
    static const std::optional<Liblnk> api = loadLiblnk();
    return api ? &*api : nullptr;
}

// An error that liblnk hands back, freed when the call's scope ends.
struct ErrorSlot {
    liblnk_error_t *error = nullptr;
    ~ErrorSlot()
    {
        if (error)
            liblnk()->errorFree(&error);
    }
};

struct FileDeleter {
    void operator()(liblnk_file_t *file) const
    {
        ErrorSlot slot;
        liblnk()->fileClose(file, &slot.error);
        liblnk()->fileFree(&file, &slot.error);
    }
};
using LnkFile = std::unique_ptr<liblnk_file_t, FileDeleter>;

QString readString(liblnk_file_t *file, SizeGetter sizeOf, Getter get)
{
    ErrorSlot slot;
    size_t size = 0;
    if (sizeOf(file, &size, &slot.error) != 1 || size == 0)
        return {};
    std::vector<uint8_t> buffer(size);
    if (get(file, buffer.data(), buffer.size(), &slot.error) != 1)
        return {};
    return QString::fromUtf8(reinterpret_cast<const char *>(buffer.data()));
}

LnkFile openShortcut(const Liblnk &api, const QString &path)
{
    ErrorSlot slot;
    liblnk_file_t *raw = nullptr;
    if (api.fileInitialize(&raw, &slot.error) != 1)
        return nullptr;
    if (api.fileOpen(raw, toLocalBytes(path).c_str(), LIBLNK_OPEN_READ, &slot.error) != 1) {
        api.fileFree(&raw, &slot.error);
        return nullptr;
    }
    return LnkFile(raw);
}

} // namespace

std::optional<ShortcutLinks> readShortcut(const QString &path)
{
    const Liblnk *api = liblnk();
    if (api == nullptr)
        return std::nullopt;
    const LnkFile file = openShortcut(*api, path);
    if (!file)
        return std::nullopt;
    return ShortcutLinks{readString(file.get(), api->localPathSize, api->localPath),
                         readString(file.get(), api->relativePathSize, api->relativePath)};
}

} // namespace stubsetup::platform
