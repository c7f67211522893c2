#pragma once

#include <QString>

#include <optional>

namespace stubsetup::platform {

// The two places a Windows shortcut file (".lnk", ".pif") records its target:
// the absolute path on the local volume and the path relative to the
// shortcut's own folder, each empty when the shortcut does not hold it.
struct ShortcutLinks {
    QString localPath;
    QString relativePath;
};

// Reads the links of the shortcut file at `path`, text whose bytes in the
// locale's charset name it (relative paths against the current directory);
// none when the file cannot be read as a shortcut.
std::optional<ShortcutLinks> readShortcut(const QString &path);

} // namespace stubsetup::platform
