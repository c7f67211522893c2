#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <optional>

namespace stubsetup::test {

// Presses OK on the modal message box that is really shown next, and keeps its
// text, caption, icon and flags. Arm it right before the call that shows the
// box: the press comes from inside the box's own event loop. A box that is not
// modal is left open, and the test's time limit reports it.
class ShownBoxAnswerer {
public:
    struct Shown {
        QString text;
        QString caption;
        QMessageBox::Icon icon;
        Qt::WindowFlags flags;
    };

    void arm()
    {
        QTimer::singleShot(0, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                m_shown = Shown{box->text(), box->windowTitle(), box->icon(), box->windowFlags()};
                box->button(QMessageBox::Ok)->click();
            }
        });
    }

    const std::optional<Shown> &shown() const { return m_shown; }

private:
    std::optional<Shown> m_shown;
};

} // namespace stubsetup::test
