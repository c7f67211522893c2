#include "controls/StyledLabelAccessible.h"

#include "controls/CStyledLabel.h"

#include "framework/Window.h"

#include <QAccessibleWidget>

namespace stubsetup {
namespace {

class StyledLabelAccessible final : public QAccessibleWidget {
public:
    explicit StyledLabelAccessible(CStyledLabel *label)
        : QAccessibleWidget(label, QAccessible::StaticText)
    {}

    QString text(QAccessible::Text kind) const override
    {
        if (kind != QAccessible::Name || !widget()->accessibleName().isEmpty())
            return QAccessibleWidget::text(kind);
        return withoutMnemonics(static_cast<const CStyledLabel *>(widget())->text());
    }
};

QAccessibleInterface *styledLabelInterface(const QString &, QObject *object)
{
    auto *label = qobject_cast<CStyledLabel *>(object);
    return label ? new StyledLabelAccessible(label) : nullptr;
}

} // namespace

// Qt keeps one copy of a factory however often it is installed.
void installStyledLabelAccessibility()
{
    QAccessible::installFactory(styledLabelInterface);
}

} // namespace stubsetup
