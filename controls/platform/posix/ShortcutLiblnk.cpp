// Shortcut files read with liblnk.
#include "controls/platform/Shortcut.h"

#include "framework/LocalText.h"

#include <liblnk.h>

#include <memory>
#include <vector>

namespace stubsetup::platform {
namespace {

using Getter = int (*)(liblnk_file_t *, uint8_t *, size_t, liblnk_error_t **);
using SizeGetter = int (*)(liblnk_file_t *, size_t *, liblnk_error_t **);

// An error that liblnk hands back, freed when the call's scope ends.
struct ErrorSlot {
    liblnk_error_t *error = nullptr;
    ~ErrorSlot()
    {
        if (error)
            liblnk_error_free(&error);
    }
};

struct FileDeleter {
    void operator()(liblnk_file_t *file) const
    {
        ErrorSlot slot;
        liblnk_file_close(file, &slot.error);
        liblnk_file_free(&file, &slot.error);
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

LnkFile openShortcut(const QString &path)
{
    ErrorSlot slot;
    liblnk_file_t *raw = nullptr;
    if (liblnk_file_initialize(&raw, &slot.error) != 1)
        return nullptr;
    if (liblnk_file_open(raw, toLocalBytes(path).c_str(), LIBLNK_OPEN_READ, &slot.error) != 1) {
        liblnk_file_free(&raw, &slot.error);
        return nullptr;
    }
    return LnkFile(raw);
}

} // namespace

std::optional<ShortcutLinks> ReadShortcut(const QString &path)
{
    const LnkFile file = openShortcut(path);
    if (!file)
        return std::nullopt;
    return ShortcutLinks{readString(file.get(), liblnk_file_get_utf8_local_path_size,
                                    liblnk_file_get_utf8_local_path),
                         readString(file.get(), liblnk_file_get_utf8_relative_path_size,
                                    liblnk_file_get_utf8_relative_path)};
}

} // namespace stubsetup::platform
