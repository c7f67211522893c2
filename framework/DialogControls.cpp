#include "framework/DialogControls.h"

#include "framework/IconResource.h"
#include "framework/LabelRelations.h"
#include "framework/Window.h"

#include <QComboBox>
#include <QFrame>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextEdit>

#include <algorithm>
#include <optional>
#include <vector>

namespace stubsetup {
namespace {

bool hasStyle(const ControlTemplate &control, std::uint32_t bits)
{
    return (control.style & bits) == bits;
}

bool hasBorder(const ControlTemplate &control)
{
    return hasStyle(control, WindowStyle::kBorder) ||
           (control.extendedStyle & (ExtendedStyle::kClientEdge | ExtendedStyle::kStaticEdge));
}

Qt::Alignment staticAlignment(const ControlTemplate &control)
{
    const std::uint32_t type = control.style & WindowStyle::kStaticTypeMask;
    Qt::Alignment alignment = Qt::AlignLeft;
    if (type == WindowStyle::kStaticCenter)
        alignment = Qt::AlignHCenter;
    else if (type == WindowStyle::kStaticRight)
        alignment = Qt::AlignRight;
    return alignment |
           (hasStyle(control, WindowStyle::kStaticCenterImage) ? Qt::AlignVCenter : Qt::AlignTop);
}

QWidget *makeStaticText(QWidget &dialog, const ControlTemplate &control)
{
    auto *label = new RelatedLabel(&dialog);
    label->setTextFormat(Qt::PlainText);
    label->setText(QString::fromUtf8(control.text));
    label->setAlignment(staticAlignment(control));
    label->setWordWrap((control.style & WindowStyle::kStaticTypeMask) !=
                       WindowStyle::kStaticLeftNoWordWrap);
    if (hasStyle(control, WindowStyle::kBorder))
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
    else if (hasStyle(control, WindowStyle::kStaticSunken) || hasBorder(control))
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return label;
}

QWidget *makeStaticIcon(QWidget &dialog, const ControlTemplate &control, const QRect &geometry)
{
    auto *label = new QLabel(&dialog);
    const int side = qMin(geometry.width(), geometry.height());
    label->setPixmap(loadIconResource(QString::fromUtf8(control.text)).pixmap(side, side));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QWidget *makeSeparator(QWidget &dialog)
{
    auto *line = new QFrame(&dialog);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QWidget *makeEdit(QWidget &dialog, const ControlTemplate &control)
{
    auto *edit = new QLineEdit(QString::fromUtf8(control.text), &dialog);
    edit->setFrame(hasBorder(control));
    return edit;
}

// Text typed into the field is not one of the items, so no item stays
// selected; what was typed, the caret and the completion stay as they are.
void deselectOnTyping(QComboBox &combo)
{
    QLineEdit &field = *combo.lineEdit();
    QObject::connect(&field, &QLineEdit::textEdited, &combo, [&combo, &field] {
        if (combo.currentIndex() < 0)
            return;
        const QString text = field.text();
        const int cursor = field.cursorPosition();
        const int selectionStart = field.selectionStart();
        const int selectionLength = int(field.selectedText().size());
        combo.setCurrentIndex(-1);
        setWindowText(&combo, text);
        if (selectionStart < 0)
            field.setCursorPosition(cursor);
        else if (cursor == selectionStart)
            field.setSelection(selectionStart + selectionLength, -selectionLength);
        else
            field.setSelection(selectionStart, selectionLength);
    });
}

QWidget *makeComboBox(QWidget &dialog, const ControlTemplate &control)
{
    auto *combo = new QComboBox(&dialog);
    const std::uint32_t type = control.style & WindowStyle::kComboDropDownList;
    combo->setEditable(type == WindowStyle::kComboDropDown);
    // Typed text stays in the field; the list holds only what the dialog adds.
    combo->setInsertPolicy(QComboBox::NoInsert);
    if (combo->isEditable())
        deselectOnTyping(*combo);
    return combo;
}

QWidget *makeButton(QWidget &dialog, const ControlTemplate &control)
{
    auto *button = new QPushButton(QString::fromUtf8(control.text), &dialog);
    button->setDefault(control.kind == ControlKind::DefaultPushButton);
    return button;
}

QWidget *makeProgressBar(QWidget &dialog)
{
    auto *bar = new QProgressBar(&dialog);
    bar->setTextVisible(false);
    bar->setRange(0, 100);
    bar->setValue(0);
    return bar;
}

Qt::ScrollBarPolicy scrollBarPolicy(const ControlTemplate &control, std::uint32_t bit)
{
    return hasStyle(control, bit) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
}

// A text box that does not want Return leaves Enter to the dialog, which
// presses its default button; Ctrl+Enter still breaks the line.
class DialogTextEdit final : public QTextEdit {
public:
    DialogTextEdit(QWidget *parent, bool wantsReturn)
        : QTextEdit(parent), m_wantsReturn(wantsReturn)
    {}

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (!enter || m_wantsReturn) {
            QTextEdit::keyPressEvent(event);
        } else if (event->modifiers() & Qt::ControlModifier) {
            if (!isReadOnly())
                textCursor().insertBlock();
        } else {
            event->ignore();
        }
    }

private:
    bool m_wantsReturn;
};

QWidget *makeRichEdit(QWidget &dialog, const ControlTemplate &control)
{
    auto *edit = new DialogTextEdit(&dialog, hasStyle(control, WindowStyle::kEditWantReturn));
    edit->setAcceptRichText(true);
    edit->setTabChangesFocus(true);
    if (!hasBorder(control))
        edit->setFrameShape(QFrame::NoFrame);
    edit->setVerticalScrollBarPolicy(scrollBarPolicy(control, WindowStyle::kVScroll));
    edit->setHorizontalScrollBarPolicy(scrollBarPolicy(control, WindowStyle::kHScroll));
    // Scrolling sideways instead of wrapping, as the edit's style asks.
    if (hasStyle(control, WindowStyle::kEditAutoHScroll))
        edit->setLineWrapMode(QTextEdit::NoWrap);
    return edit;
}

QWidget *makeWidget(QWidget &dialog, const ControlTemplate &control, const QRect &geometry)
{
    switch (control.kind) {
    case ControlKind::Edit:
        return makeEdit(dialog, control);
    case ControlKind::ComboBox:
        return makeComboBox(dialog, control);
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
        return makeButton(dialog, control);
    case ControlKind::StaticText:
        return makeStaticText(dialog, control);
    case ControlKind::StaticIcon:
        return makeStaticIcon(dialog, control, geometry);
    case ControlKind::SeparatorLine:
        return makeSeparator(dialog);
    case ControlKind::ProgressBar:
        return makeProgressBar(dialog);
    case ControlKind::RichEdit:
        return makeRichEdit(dialog, control);
    }
    return makeStaticText(dialog, control);
}

bool isInteractive(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Edit:
    case ControlKind::ComboBox:
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
    case ControlKind::RichEdit:
        return true;
    default:
        return false;
    }
}

Qt::FocusPolicy focusPolicy(const ControlTemplate &control)
{
    if (hasStyle(control, WindowStyle::kTabStop))
        return Qt::StrongFocus;
    return isInteractive(control.kind) ? Qt::ClickFocus : Qt::NoFocus;
}

QRect controlGeometry(const ControlTemplate &control, const DialogBaseUnits &units)
{
    return units.toPixels(control.x, control.y, control.width, control.height);
}

QWidget *createControl(QWidget &dialog, const ControlTemplate &control,
                       const DialogBaseUnits &units)
{
    QRect geometry = controlGeometry(control, units);
    QWidget *widget = makeWidget(dialog, control, geometry);
    // A combo box's height in the template includes its drop-down list.
    if (control.kind == ControlKind::ComboBox)
        geometry.setHeight(widget->sizeHint().height());
    widget->setGeometry(geometry);
    setControlId(widget, control.id);
    setWindowStyle(widget, control.style);
    setExtendedStyle(widget, control.extendedStyle);
    widget->setFocusPolicy(focusPolicy(control));
    widget->setEnabled(!hasStyle(control, WindowStyle::kDisabled));
    return widget;
}

bool hasMnemonic(const ControlTemplate &label)
{
    const QString text = QString::fromUtf8(label.text);
    return !hasStyle(label, WindowStyle::kStaticNoPrefix) &&
           withoutMnemonics(text).size() + text.count(QLatin1String("&&")) < text.size();
}

// A static text's mnemonic moves the focus to the next control that takes it;
// with none after it, the label is its own buddy and the mnemonic goes nowhere.
// A label without a mnemonic gets no buddy here: one pointing at itself
// would tell assistive technology that the label labels itself.
void assignBuddies(const DialogTemplate &dialogTemplate, const std::vector<QWidget *> &widgets)
{
    for (std::size_t index = 0; index < widgets.size(); ++index) {
        const ControlTemplate &control = dialogTemplate.controls[index];
        auto *label = qobject_cast<QLabel *>(widgets[index]);
        if (control.kind != ControlKind::StaticText || !hasMnemonic(control) || !label)
            continue;
        QWidget *buddy = label;
        for (std::size_t next = index + 1; next < widgets.size() && buddy == label; ++next)
            if (widgets[next]->focusPolicy() != Qt::NoFocus)
                buddy = widgets[next];
        label->setBuddy(buddy);
    }
}

// One line of text is 8 dialog units high.
constexpr int kDialogUnitsPerLine = 8;

bool isOneLineLeftLabel(const ControlTemplate &control)
{
    const std::uint32_t type = control.style & WindowStyle::kStaticTypeMask;
    return control.kind == ControlKind::StaticText && !hasBorder(control) &&
           (type == WindowStyle::kStaticLeft || type == WindowStyle::kStaticLeftNoWordWrap) &&
           control.height < 2 * kDialogUnitsPerLine;
}

// The right edge a label may grow to: just before the nearest control that
// starts to its right on the same row, or the dialog's right margin.
int rightLimitFor(const QWidget *label, const std::vector<QWidget *> &widgets, int dialogRight,
                  int gap)
{
    const QRect area = label->geometry();
    int limit = dialogRight;
    for (const QWidget *other : widgets) {
        const QRect bounds = other->geometry();
        const bool sameRow = bounds.top() <= area.bottom() && bounds.bottom() >= area.top();
        if (other != label && sameRow && bounds.left() > area.left())
            limit = std::min(limit, bounds.left() - gap);
    }
    return limit;
}

// Templates were laid out for a narrow dialog font; in a wider desktop font a
// one-line label would wrap and lose its end below the box. Such a label grows
// into the free space on its right instead, never over another control.
void widenOneLineLabels(const DialogTemplate &dialogTemplate, const std::vector<QWidget *> &widgets,
                        const DialogBaseUnits &units)
{
    const int gap = units.toPixelsX(2);
    const int dialogRight = units.toPixelsX(dialogTemplate.width) - gap;
    for (std::size_t index = 0; index < widgets.size(); ++index) {
        auto *label = qobject_cast<QLabel *>(widgets[index]);
        if (!label || !isOneLineLeftLabel(dialogTemplate.controls[index]))
            continue;
        const int needed = label->fontMetrics().size(Qt::TextShowMnemonic, label->text()).width() +
                           2 * label->frameWidth();
        const int available = rightLimitFor(label, widgets, dialogRight, gap) - label->x();
        if (needed > label->width() && needed <= available)
            label->resize(needed, label->height());
    }
}

bool takesInput(ControlKind kind)
{
    return kind == ControlKind::Edit || kind == ControlKind::ComboBox ||
           kind == ControlKind::RichEdit;
}

// What a label says, as a screen reader should say it: without mnemonic
// marks ("&&" is a plain "&") and without its closing colon.
QString spokenLabel(const ControlTemplate &label)
{
    const QString text = QString::fromUtf8(label.text);
    QString spoken =
        (hasStyle(label, WindowStyle::kStaticNoPrefix) ? text : withoutMnemonics(text)).trimmed();
    if (spoken.endsWith(':'))
        spoken.chop(1);
    return spoken.trimmed();
}

// The label a person reads for a field: on its row to its left, else on the
// line just above it, starting over it; the nearest one. Answers its index,
// or none.
std::optional<std::size_t> labelFor(const QWidget &field, const DialogTemplate &dialogTemplate,
                                    const std::vector<QWidget *> &widgets, int lineHeight)
{
    const QRect area = field.geometry();
    std::optional<std::size_t> beside;
    std::optional<std::size_t> above;
    for (std::size_t index = 0; index < widgets.size(); ++index) {
        if (dialogTemplate.controls[index].kind != ControlKind::StaticText)
            continue;
        const QRect bounds = widgets[index]->geometry();
        const int middle = bounds.center().y();
        if (middle >= area.top() && middle <= area.bottom() && bounds.right() < area.left()) {
            if (!beside || bounds.right() > widgets[*beside]->geometry().right())
                beside = index;
        } else if (bounds.bottom() < area.top() && area.top() - bounds.bottom() <= lineHeight &&
                   bounds.left() >= area.left() && bounds.left() < area.right()) {
            if (!above || bounds.bottom() > widgets[*above]->geometry().bottom())
                above = index;
        }
    }
    return beside ? beside : above;
}

// Assistive technology and test robots find a field by its label's words.
void nameFieldsAfterTheirLabels(const DialogTemplate &dialogTemplate,
                                const std::vector<QWidget *> &widgets, const DialogBaseUnits &units)
{
    const int lineHeight = units.toPixelsY(kDialogUnitsPerLine);
    for (std::size_t index = 0; index < widgets.size(); ++index) {
        if (!takesInput(dialogTemplate.controls[index].kind))
            continue;
        const auto found = labelFor(*widgets[index], dialogTemplate, widgets, lineHeight);
        if (!found)
            continue;
        const ControlTemplate &label = dialogTemplate.controls[*found];
        const QString name = spokenLabel(label);
        // On Linux Qt names a combo box after its text; its text field takes
        // this name instead (LabelRelations.h).
        widgets[index]->setAccessibleName(name);
        // A label without a mnemonic has no key to pass on, so its buddy is the
        // field it names: assistive technology then relates the two.
        if (!hasMnemonic(label) && !hasStyle(label, WindowStyle::kStaticNoPrefix))
            qobject_cast<QLabel *>(widgets[*found])->setBuddy(widgets[index]);
    }
}

} // namespace

void createControls(QWidget &dialog, const DialogTemplate &dialogTemplate,
                    const DialogBaseUnits &units)
{
    installLabelRelations();
    std::vector<QWidget *> widgets;
    for (const ControlTemplate &control : dialogTemplate.controls)
        widgets.push_back(createControl(dialog, control, units));
    assignBuddies(dialogTemplate, widgets);
    widenOneLineLabels(dialogTemplate, widgets, units);
    nameFieldsAfterTheirLabels(dialogTemplate, widgets, units);
}

} // namespace stubsetup
