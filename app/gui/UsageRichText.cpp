#include "app/gui/UsageRichText.h"

#include "app/UsageDocument.h"

#include "framework/LocalText.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>

#include <utility>

namespace stubsetup {
namespace {

constexpr qreal kBodyPointSize = 10;
constexpr qreal kHeadingPointSize = 14;
// Tab stops every half inch, which is six characters of a 10-point
// fixed-pitch face.
constexpr int kTabStopCharacters = 6;

QTextCharFormat textFormat(qreal pointSize, bool bold, bool italic)
{
    QTextCharFormat format;
    format.setFontFamilies({usageFontFamily()});
    format.setFontFixedPitch(true);
    format.setFontPointSize(pointSize);
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(italic);
    return format;
}

QTextCharFormat plainFormat()
{
    return textFormat(kBodyPointSize, false, false);
}

void writeLine(QTextCursor &cursor, const UsageLine &line)
{
    cursor.setBlockCharFormat(plainFormat());
    cursor.insertText(QString(line.indent, QLatin1Char('\t')), plainFormat());
    for (const UsageRun &run : line.runs) {
        const QTextCharFormat format = line.heading
                                           ? textFormat(kHeadingPointSize, true, false)
                                           : textFormat(kBodyPointSize, run.bold, run.italic);
        cursor.insertText(toQString(run.text), format);
    }
}

void setTabStops(QTextDocument &document)
{
    QFont font(usageFontFamily());
    font.setPointSizeF(kBodyPointSize);
    QTextOption option = document.defaultTextOption();
    option.setTabStopDistance(QFontMetricsF(font).horizontalAdvance(QLatin1Char(' ')) *
                              kTabStopCharacters);
    document.setDefaultTextOption(option);
    document.setDefaultFont(font);
}

} // namespace

QString usageFontFamily()
{
    static const QString family = [] {
        const QString preferred = QStringLiteral("Courier New");
        return QFontDatabase::families().contains(preferred)
                   ? preferred
                   : QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    }();
    return family;
}

void writeUsageDocument(QTextDocument &document)
{
    document.clear();
    setTabStops(document);
    QTextCursor cursor(&document);
    bool first = true;
    for (const UsageLine &line : UsageDocument()) {
        if (!std::exchange(first, false))
            cursor.insertBlock();
        writeLine(cursor, line);
    }
    document.clearUndoRedoStacks();
    document.setModified(false);
}

} // namespace stubsetup
