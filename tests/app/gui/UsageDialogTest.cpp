#include "app/UsageDocument.h"
#include "app/gui/CUsageDlg.h"
#include "app/gui/ProgramIcon.h"
#include "app/gui/QtUserInterface.h"
#include "app/gui/UsageRichText.h"

#include "framework/Window.h"

#include "ModalDriver.h"

#include <QLabel>
#include <QPushButton>
#include <QTextBlock>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <vector>

namespace stubsetup {
namespace {

struct Emphasis {
    bool bold = false;
    bool italic = false;
    qreal pointSize = 10;

    bool operator==(const Emphasis &other) const
    {
        return bold == other.bold && italic == other.italic && pointSize == other.pointSize;
    }
};

std::ostream &operator<<(std::ostream &out, const Emphasis &emphasis)
{
    return out << (emphasis.bold ? "bold " : "") << (emphasis.italic ? "italic " : "")
               << emphasis.pointSize << "pt";
}

// What each character of a line should look like, from the document's table.
std::vector<Emphasis> expectedEmphasis(const UsageLine &line)
{
    std::vector<Emphasis> characters(line.indent);
    for (const UsageRun &run : line.runs)
        characters.insert(
            characters.end(), run.text.size(),
            Emphasis{run.bold || line.heading, run.italic, line.heading ? 14.0 : 10.0});
    return characters;
}

std::vector<Emphasis> shownEmphasis(const QTextBlock &block, const QString &family)
{
    std::vector<Emphasis> characters;
    for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
        const QTextCharFormat format = fragment.fragment().charFormat();
        EXPECT_EQ(format.fontFamilies().toStringList().value(0), family);
        characters.insert(characters.end(), fragment.fragment().length(),
                          Emphasis{format.fontWeight() >= QFont::Bold, format.fontItalic(),
                                   format.fontPointSize()});
    }
    return characters;
}

void expectStoredDocument(const QTextDocument &document)
{
    const std::vector<UsageLine> &lines = UsageDocument();
    ASSERT_EQ(document.blockCount(), int(lines.size()));
    QTextBlock block = document.begin();
    for (std::size_t index = 0; index < lines.size(); ++index, block = block.next()) {
        SCOPED_TRACE("line " + std::to_string(index + 1));
        const UsageLine &line = lines[index];
        EXPECT_EQ(block.text(), QString(line.indent, '\t') + QString::fromStdString(line.text()));
        EXPECT_EQ(shownEmphasis(block, usageFontFamily()), expectedEmphasis(line));
    }
}

QTextEdit &richText(const QWidget &dialog)
{
    return test::control<QTextEdit>(dialog, CUsageDlg::IDC_RICHTEXT);
}

TEST(UsageDialogTest, TemplateShowsNameVersionIconAndAnEditableReference)
{
    CUsageDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), "About stubsetup");
    EXPECT_EQ(dialog.size(),
              QSize(dialog.BaseUnits().toPixelsX(452), dialog.BaseUnits().toPixelsY(270)));
    EXPECT_FALSE(dialog.windowIcon().isNull());
    EXPECT_FALSE(programIcon().pixmap(32, 32).isNull()) << "the icon resource is missing";

    auto *ok = qobject_cast<QPushButton *>(dialog.GetDlgItem(IDOK));
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->nextInFocusChain(), &richText(dialog)); // the template's order
    EXPECT_FALSE(richText(dialog).isReadOnly());
    EXPECT_EQ(richText(dialog).verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    EXPECT_NE(richText(dialog).frameShape(), QFrame::NoFrame);

    bool versionShown = false;
    bool iconShown = false;
    for (const QLabel *label : dialog.findChildren<QLabel *>()) {
        versionShown |= label->text() == kVersionText && !label->buddy();
        iconShown |= !label->pixmap().isNull();
    }
    EXPECT_TRUE(versionShown);
    EXPECT_TRUE(iconShown);
}

TEST(UsageDialogTest, ShowsEachLineWithItsIndentTextAndEmphasis)
{
    CUsageDlg dialog;
    test::whenModal([](QWidget &window) {
        expectStoredDocument(*richText(window).document());
        EXPECT_EQ(richText(window).textCursor().position(), 0); // opens at the top
        // Undo cannot take the reference away.
        EXPECT_FALSE(richText(window).document()->isUndoAvailable());
        test::pressKey(window, Qt::Key_Escape);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST(UsageDialogTest, EditsAreDiscardedWhenTheDialogOpensAgain)
{
    CUsageDlg dialog;
    const auto typeAndConfirm = [](QWidget &window) {
        QTextEdit &edit = richText(window);
        edit.setFocus();
        edit.moveCursor(QTextCursor::Start);
        QTest::keyClicks(&edit, "scribbled over");
        EXPECT_TRUE(edit.toPlainText().startsWith("scribbled over"));
        test::click(window, IDOK);
    };
    test::whenModal(typeAndConfirm);
    EXPECT_EQ(dialog.DoModal(), IDOK);

    test::whenModal([](QWidget &window) {
        expectStoredDocument(*richText(window).document());
        window.close();
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST(UsageDialogTest, EnterInTheReferencePressesOkAndCtrlEnterBreaksTheLine)
{
    CUsageDlg dialog;
    for (const Qt::Key enter : {Qt::Key_Return, Qt::Key_Enter}) {
        int linesBefore = 0;
        int linesAfterCtrlEnter = 0;
        int linesAfterEnter = 0;
        test::whenModal([&](QWidget &window) {
            QTextEdit &edit = richText(window);
            edit.setFocus();
            linesBefore = edit.document()->blockCount();
            QTest::keyClick(&edit, enter, Qt::ControlModifier);
            linesAfterCtrlEnter = edit.document()->blockCount();
            QTest::keyClick(&edit, enter);
            linesAfterEnter = edit.document()->blockCount();
            if (window.isVisible())
                window.close();
        });
        EXPECT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(linesAfterCtrlEnter, linesBefore + 1);
        EXPECT_EQ(linesAfterEnter, linesAfterCtrlEnter);
    }
}

} // namespace
} // namespace stubsetup
