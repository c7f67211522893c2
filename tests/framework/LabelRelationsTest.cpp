// What assistive technology learns of a label and the editable combo box it
// labels: the relations in both directions, the field's name, and the field
// read and edited through its text interfaces.
#include "framework/LabelRelations.h"

#include <QAccessible>
#include <QComboBox>
#include <QIntValidator>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace stubsetup {
namespace {

QAccessibleInterface &accessible(QObject *object)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(object);
    if (!face)
        throw std::logic_error("no accessible interface");
    return *face;
}

std::vector<QObject *> related(QObject *object, QAccessible::Relation relation)
{
    std::vector<QObject *> others;
    for (const auto &[other, kind] : accessible(object).relations(relation)) {
        EXPECT_EQ(kind, relation);
        others.push_back(other->object());
    }
    return others;
}

// A label and the box it labels, made as a dialog makes them.
class LabelledBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        installLabelRelations();
        m_label = new RelatedLabel(&m_window);
        m_label->setText("Return && code:");
        m_box = new QComboBox(&m_window);
        m_box->setEditable(true);
        m_box->addItems({"Complete (0)", "IncompleteRebootTryAgain (3)"});
        m_box->setAccessibleName("Return & code");
        m_label->setBuddy(m_box);
        m_field = m_box->lineEdit();
    }

    QWidget m_window;
    RelatedLabel *m_label = nullptr;
    QComboBox *m_box = nullptr;
    QLineEdit *m_field = nullptr;
};

TEST_F(LabelledBoxTest, TheLabelLabelsTheBoxAndItsFieldWhichIsNamedAfterTheBox)
{
    EXPECT_EQ(related(m_box, QAccessible::Label), std::vector<QObject *>{m_label});
    EXPECT_EQ(related(m_field, QAccessible::Label), std::vector<QObject *>{m_label});
    EXPECT_EQ(related(m_label, QAccessible::Labelled), (std::vector<QObject *>{m_box, m_field}));
    EXPECT_TRUE(related(m_label, QAccessible::Label).empty());
    EXPECT_EQ(accessible(m_label).role(), QAccessible::StaticText);
    EXPECT_EQ(accessible(m_label).text(QAccessible::Name), "Return & code:");
    EXPECT_EQ(accessible(m_field).role(), QAccessible::EditableText);
    EXPECT_EQ(accessible(m_field).text(QAccessible::Name), "Return & code");
    m_field->setAccessibleName("Code field");
    EXPECT_EQ(accessible(m_field).text(QAccessible::Name), "Code field");

    // Without a buddy a label labels nothing and shows its '&'s.
    auto *alone = new RelatedLabel(&m_window);
    alone->setText("A && B");
    EXPECT_EQ(accessible(alone).text(QAccessible::Name), "A && B");
    EXPECT_TRUE(related(alone, QAccessible::Labelled).empty());
}

TEST_F(LabelledBoxTest, RobotsReadAndEditTheFieldAsAnyLineEdit)
{
    QAccessibleInterface &field = accessible(m_field);
    QAccessibleTextInterface *text = field.textInterface();
    QAccessibleEditableTextInterface *editable = field.editableTextInterface();
    ASSERT_NE(text, nullptr);
    ASSERT_NE(editable, nullptr);

    field.setText(QAccessible::Value, "IncompleteRebootTryAgain (3)");
    EXPECT_EQ(m_box->currentText(), "IncompleteRebootTryAgain (3)");
    EXPECT_EQ(field.text(QAccessible::Value), "IncompleteRebootTryAgain (3)");
    EXPECT_EQ(text->characterCount(), 28);
    EXPECT_EQ(text->text(10, 16), "Reboot");
    EXPECT_EQ(text->text(16, 10), "");

    editable->replaceText(0, 28, "Complete");
    editable->insertText(8, " (0)");
    EXPECT_EQ(m_field->text(), "Complete (0)");
    editable->deleteText(0, 3);
    EXPECT_EQ(m_field->text(), "plete (0)");

    text->setSelection(0, 1, 4);
    EXPECT_EQ(m_field->selectedText(), "let");
    EXPECT_EQ(text->selectionCount(), 1);
    int start = -1;
    int end = -1;
    text->selection(0, &start, &end);
    EXPECT_EQ(start, 1);
    EXPECT_EQ(end, 4);
    text->removeSelection(0);
    EXPECT_EQ(text->selectionCount(), 0);
    text->setCursorPosition(2);
    EXPECT_EQ(text->cursorPosition(), 2);
    EXPECT_EQ(m_field->cursorPosition(), 2);

    // A client's text is judged as typing would be.
    m_field->setValidator(new QIntValidator(0, 4, m_field));
    field.setText(QAccessible::Value, "3");
    field.setText(QAccessible::Value, "x");
    EXPECT_EQ(m_field->text(), "3");
    EXPECT_TRUE(field.state().editable);
    EXPECT_FALSE(field.state().readOnly);
    m_field->setReadOnly(true);
    EXPECT_TRUE(field.state().readOnly);
}

// A screen magnifier follows the character it is told, scrolled or not.
TEST_F(LabelledBoxTest, EachCharacterLiesWhereTheFieldDrawsIt)
{
    m_box->resize(120, m_box->sizeHint().height());
    m_window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
    QAccessibleTextInterface &text = *accessible(m_field).textInterface();
    const QString word = "IncompleteRebootTryAgainWithMoreTextThanTheFieldShows";
    m_field->setText(word);
    const QRect shown(m_field->mapToGlobal(QPoint(0, 0)), m_field->size());
    for (const int cursor : {0, int(word.size())}) {
        m_field->setCursorPosition(cursor);
        int checked = 0;
        for (int offset = 0; offset < word.size(); ++offset) {
            const QRect area = text.characterRect(offset);
            ASSERT_FALSE(area.isEmpty()) << offset;
            if (!shown.contains(area))
                continue;
            // Left of its middle, the nearest cursor place is before it.
            EXPECT_EQ(text.offsetAtPoint(QPoint(area.left() + area.width() / 4, area.center().y())),
                      offset)
                << "cursor " << cursor;
            ++checked;
        }
        EXPECT_GT(checked, 5) << "cursor " << cursor;
        EXPECT_LT(checked, word.size()) << "cursor " << cursor;
    }
    EXPECT_TRUE(text.characterRect(int(word.size())).isEmpty());
    EXPECT_TRUE(text.characterRect(-1).isEmpty());
}

} // namespace
} // namespace stubsetup
