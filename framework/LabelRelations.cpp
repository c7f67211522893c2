#include "framework/LabelRelations.h"

#include "framework/Window.h"

#include <QAccessibleWidget>
#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QValidator>

namespace stubsetup {
namespace {

using Relations = QList<QPair<QAccessibleInterface *, QAccessible::Relation>>;

void relate(Relations &relations, QWidget *widget, QAccessible::Relation relation)
{
    if (QAccessibleInterface *other = QAccessible::queryAccessibleInterface(widget))
        relations.append({other, relation});
}

// The text field of an editable combo box, read and edited as Qt's own line
// edit is (never a password field: a combo box's field shows its text), and
// related to the box's labels.
class ComboFieldAccessible final : public QAccessibleWidget,
                                   public QAccessibleTextInterface,
                                   public QAccessibleEditableTextInterface {
public:
    explicit ComboFieldAccessible(QLineEdit *field)
        : QAccessibleWidget(field, QAccessible::EditableText)
    {
        addControllingSignal(QStringLiteral("textChanged(QString)"));
        addControllingSignal(QStringLiteral("returnPressed()"));
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        if (type == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override
    {
        QString text = kind == QAccessible::Value ? field().text() : QAccessibleWidget::text(kind);
        if (text.isEmpty() && kind == QAccessible::Name && box())
            text = box()->accessibleName();
        if (text.isEmpty() && kind == QAccessible::Description)
            text = field().placeholderText();
        return text;
    }

    // What an accessibility client sets is judged as typing would be.
    void setText(QAccessible::Text kind, const QString &text) override
    {
        if (kind != QAccessible::Value) {
            QAccessibleWidget::setText(kind, text);
            return;
        }
        QString candidate = text;
        int position = 0;
        const QValidator *validator = field().validator();
        if (!validator || validator->validate(candidate, position) == QValidator::Acceptable)
            field().setText(candidate);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = true;
        state.readOnly = field().isReadOnly();
        state.selectableText = true;
        return state;
    }

    Relations relations(QAccessible::Relation match) const override
    {
        Relations relations = QAccessibleWidget::relations(match);
        if (!(match & QAccessible::Label) || !box())
            return relations;
        if (QAccessibleInterface *boxInterface = QAccessible::queryAccessibleInterface(box()))
            relations += boxInterface->relations(QAccessible::Label);
        return relations;
    }

    // QAccessibleTextInterface
    void selection(int index, int *start, int *end) const override
    {
        *start = *end = 0;
        if (index != 0 || !field().hasSelectedText())
            return;
        *start = field().selectionStart();
        *end = field().selectionEnd();
    }
    int selectionCount() const override { return field().hasSelectedText() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override
    {
        if (index == 0)
            field().deselect();
    }
    void setSelection(int index, int start, int end) override
    {
        if (index == 0)
            field().setSelection(start, end - start);
    }
    int cursorPosition() const override { return field().cursorPosition(); }
    void setCursorPosition(int position) override { field().setCursorPosition(position); }
    QString text(int start, int end) const override
    {
        return start > end ? QString() : field().text().mid(start, end - start);
    }
    int characterCount() const override { return int(field().text().size()); }
    // The cursor's rectangle is the one geometry a line edit tells; a
    // character's lies as far from it as the text between them is wide.
    QRect characterRect(int offset) const override
    {
        const QString text = field().text();
        if (offset < 0 || offset >= text.size())
            return {};
        const QFontMetrics metrics(field().font());
        const QRect cursor = field().inputMethodQuery(Qt::ImCursorRectangle).toRect();
        const int x = cursor.center().x() + metrics.horizontalAdvance(text.left(offset)) -
                      metrics.horizontalAdvance(text.left(field().cursorPosition()));
        const QRect area(x, cursor.y(), metrics.horizontalAdvance(text.at(offset)),
                         metrics.height());
        return area.translated(field().mapToGlobal(QPoint(0, 0)));
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        return field().cursorPositionAt(field().mapFromGlobal(point));
    }
    void scrollToSubstring(int start, int end) override
    {
        field().setCursorPosition(end);
        field().setCursorPosition(start);
    }
    QString attributes(int offset, int *start, int *end) const override
    {
        *start = *end = offset; // a line edit's text has no attributes
        return {};
    }

    // QAccessibleEditableTextInterface
    void deleteText(int start, int end) override
    {
        field().setText(field().text().remove(start, end - start));
    }
    void insertText(int offset, const QString &text) override
    {
        field().setText(field().text().insert(offset, text));
    }
    void replaceText(int start, int end, const QString &text) override
    {
        field().setText(field().text().replace(start, end - start, text));
    }

private:
    QLineEdit &field() const { return *static_cast<QLineEdit *>(widget()); }
    QComboBox *box() const { return qobject_cast<QComboBox *>(widget()->parentWidget()); }
};

// A label read as Qt reads a plain one, the label for its buddy and for the
// text field of a buddy that is an editable combo box.
class RelatedLabelAccessible final : public QAccessibleWidget {
public:
    explicit RelatedLabelAccessible(QLabel *label)
        : QAccessibleWidget(label, QAccessible::StaticText)
    {}

    QString text(QAccessible::Text kind) const override
    {
        if (kind != QAccessible::Name || !label().accessibleName().isEmpty())
            return QAccessibleWidget::text(kind);
        // A buddy turns '&' into a mnemonic mark; without one it shows.
        return label().buddy() ? withoutMnemonics(label().text()) : label().text();
    }

    Relations relations(QAccessible::Relation match) const override
    {
        Relations relations = QAccessibleWidget::relations(match);
        QWidget *buddy = label().buddy();
        if (!(match & QAccessible::Labelled) || !buddy)
            return relations;
        relate(relations, buddy, QAccessible::Labelled);
        if (auto *box = qobject_cast<QComboBox *>(buddy); box && box->lineEdit())
            relate(relations, box->lineEdit(), QAccessible::Labelled);
        return relations;
    }

private:
    QLabel &label() const { return *static_cast<QLabel *>(widget()); }
};

QAccessibleInterface *relatedInterface(const QString &, QObject *object)
{
    if (auto *label = dynamic_cast<RelatedLabel *>(object))
        return new RelatedLabelAccessible(label);
    auto *field = qobject_cast<QLineEdit *>(object);
    if (field && qobject_cast<QComboBox *>(field->parentWidget()))
        return new ComboFieldAccessible(field);
    return nullptr;
}

} // namespace

// Qt keeps one copy of a factory however often it is installed.
void installLabelRelations()
{
    QAccessible::installFactory(relatedInterface);
}

} // namespace stubsetup
