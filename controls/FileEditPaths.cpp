#include "controls/FileEditPaths.h"

#include "controls/platform/Shortcut.h"
#include "framework/LocalText.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <climits>

namespace stubsetup::fileEditPaths {
namespace {

// Only '*' and '?' are wildcards in a typed entry; every other character,
// brackets included, stands for itself.
QRegularExpression wildcardExpression(const QString &pattern)
{
    QString expression;
    for (const QChar character : pattern) {
        if (character == '*')
            expression += QStringLiteral(".*");
        else if (character == '?')
            expression += '.';
        else
            expression += QRegularExpression::escape(QString(character));
    }
    return QRegularExpression(QRegularExpression::anchoredPattern(expression),
                              QRegularExpression::DotMatchesEverythingOption);
}

QString existingFile(const QString &path)
{
    return !path.isEmpty() && QFileInfo(toQtFileName(path)).isFile() && fitsPathLimit(path)
               ? path
               : QString();
}

} // namespace

QString fullPath(const QString &path)
{
    const QDir current(fromQtFileName(QDir::currentPath()));
    const QString full = QDir::cleanPath(current.absoluteFilePath(path));
    return path.endsWith('/') && !full.endsWith('/') ? full + '/' : full;
}

bool fitsPathLimit(const QString &path)
{
    return toLocalBytes(path).size() < PATH_MAX;
}

QString directoryPart(const QString &path)
{
    return path.left(path.lastIndexOf('/') + 1);
}

bool isShortcutName(const QString &path)
{
    const QString extension = path.right(4).toLower();
    return extension == QLatin1String(".lnk") || extension == QLatin1String(".pif");
}

QString shortcutTarget(const QString &shortcut)
{
    const auto links = platform::readShortcut(shortcut);
    if (!links)
        return {};
    QString local = existingFile(links->localPath);
    if (!local.isEmpty() || links->relativePath.isEmpty())
        return local;
    QString relative = links->relativePath;
    relative.replace('\\', '/');
    return existingFile(fullPath(QFileInfo(shortcut).absoluteDir().filePath(relative)));
}

bool hasWildcards(const QString &pattern)
{
    return pattern.contains('*') || pattern.contains('?');
}

QStringList matchingFiles(const QString &pattern)
{
    const QString folder = directoryPart(pattern);
    const QRegularExpression names = wildcardExpression(pattern.mid(folder.size()));
    QStringList files;
    const QFileInfoList entries =
        QDir(toQtFileName(folder))
            .entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo &entry : entries) {
        if (names.match(fromQtFileName(entry.fileName())).hasMatch())
            files << fromQtFileName(entry.absoluteFilePath());
    }
    return files;
}

QString nearestExistingFolder(const QString &path)
{
    QString candidate = path;
    while (!candidate.isEmpty()) {
        if (QFileInfo(toQtFileName(candidate)).isDir())
            return candidate.endsWith('/') ? candidate : candidate + '/';
        const qsizetype slash = candidate.lastIndexOf('/');
        if (slash < 0)
            return {};
        // The root stays a candidate: it is the nearest folder of "/name".
        candidate =
            slash == 0 && candidate.size() > 1 ? QStringLiteral("/") : candidate.left(slash);
    }
    return {};
}

} // namespace stubsetup::fileEditPaths
