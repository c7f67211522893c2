#pragma once

#include "framework/Window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <stdexcept>
#include <string>

namespace stubsetup::test {

// Runs `action` on the modal dialog once its loop is running: the next
// modal widget of type `Window` to show, waited for without fixed sleeps.
// Armed inside a modal loop, it waits for the window that loop opens next.
template <class Window> void whenModal(std::function<void(Window &)> action)
{
    QTimer::singleShot(0, [action = std::move(action)] {
        const auto shown = [] { return qobject_cast<Window *>(QApplication::activeModalWidget()); };
        if (QTest::qWaitFor([&shown] { return shown() != nullptr; }))
            action(*shown());
    });
}

inline void whenModal(std::function<void(QWidget &)> action)
{
    whenModal<QWidget>(std::move(action));
}

// Where a person's key press lands: the focused control, else the window.
inline void pressKey(QWidget &window, Qt::Key key)
{
    QWidget *focus = QApplication::focusWidget();
    QTest::keyClick(focus && focus->window() == &window ? focus : &window, key);
}

// A dialog's control `id` as the kind of widget the test drives; throws when
// there is no such control of that kind.
template <class Widget> Widget &control(const QWidget &window, int id)
{
    auto *widget = qobject_cast<Widget *>(findControl(&window, id));
    if (!widget)
        throw std::logic_error("no control " + std::to_string(id) + " of the expected kind");
    return *widget;
}

inline void click(const QWidget &window, int id)
{
    control<QAbstractButton>(window, id).click();
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
