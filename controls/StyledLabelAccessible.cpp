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

void installStyledLabelAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(styledLabelInterface);
        return true;
    }();
    (void)installed;
}

} // namespace stubsetup
