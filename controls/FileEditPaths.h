#pragma once

#include <QString>
#include <QStringList>

// Path operations of the file edit control. Paths are the control's text,
// whose bytes in the locale's charset name the file; they use '/', an entry
// is absolute when it begins with '/', and full paths are made against the
// process's current directory.
namespace stubsetup::fileEditPaths {

// `path` made absolute and cleaned of "." and ".." steps; a trailing '/'
// stays, as it marks a folder.
QString fullPath(const QString &path);

// Whether a path fits the platform's limit. Longer paths are refused rather
// than cut, since a cut path names another file.
bool fitsPathLimit(const QString &path);

// The directory part of `path`: everything up to and including the last '/',
// empty when there is none.
QString directoryPart(const QString &path);

// Whether the name ends in ".lnk" or ".pif", in any case.
bool isShortcutName(const QString &path);

// The target of the shortcut file `shortcut`: its local path, or else its
// relative path taken from the shortcut's folder, whichever names an existing
// file first; empty when neither does.
QString shortcutTarget(const QString &shortcut);

// Whether `pattern` holds a wildcard ('*' or '?').
bool hasWildcards(const QString &pattern);

// The files (no directories) whose names match the wildcards in the last
// step of the full path `pattern`, as full paths in name order.
QStringList matchingFiles(const QString &pattern);

// The deepest existing folder on the way up from `path`, with a trailing '/';
// empty when none is found.
QString nearestExistingFolder(const QString &path);

} // namespace stubsetup::fileEditPaths
