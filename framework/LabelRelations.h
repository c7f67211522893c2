#pragma once

#include <QLabel>

namespace stubsetup {

// A dialog's label as assistive technology reads it: Qt's own description
// (its text, the label for its buddy), and when the buddy is an editable
// combo box, the label for the box's text field too. It takes its text once
// made: QLabel's own constructor would have Qt describe a plain label.
class RelatedLabel final : public QLabel {
public:
    explicit RelatedLabel(QWidget *parent) : QLabel(parent) {}
};

// Qt relates a label only to a buddy that is its sibling, so the text field of
// an editable combo box, a child of the box, is labelled by nobody and named
// by nothing. Once this is installed, such a field is labelled by the box's
// labels and, without a name of its own, takes the box's accessible name;
// RelatedLabel is the label for it in turn. Qt describes a control for good
// at its first change, so this goes in before the first label gets its text
// and the first combo box its field.
void installLabelRelations();

} // namespace stubsetup
