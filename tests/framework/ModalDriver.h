#pragma once

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace stubsetup::test {

// Runs `action` on the modal dialog once its loop is running: the next
// modal widget to appear, waited for without fixed sleeps.
inline void whenModal(std::function<void(QWidget &)> action)
{
    QTimer::singleShot(0, [action = std::move(action)] {
        if (QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }))
            action(*QApplication::activeModalWidget());
    });
}

// Where a person's key press lands: the focused control, else the window.
inline void pressKey(QWidget &window, Qt::Key key)
{
    QWidget *focus = QApplication::focusWidget();
    QTest::keyClick(focus && focus->window() == &window ? focus : &window, key);
}

// Right-clicks the window's background; answers the context menu that opened.
inline QMenu *openContextMenu(QWidget &window)
{
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5),
                                 window.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&window, &rightClick);
    return qobject_cast<QMenu *>(QApplication::activePopupWidget());
}

} // namespace stubsetup::test
