#pragma once
// The user's own gestures for widget tests: clicks, mouse moves, keys, a
// click on a page's tab, and a drop of drag data.
#include <QAbstractItemView>
#include <QApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

namespace pemtest {

inline void MousePress(QWidget* w, QPoint at, Qt::MouseButton b = Qt::LeftButton) {
    QMouseEvent e(QEvent::MouseButtonPress, at, w->mapToGlobal(at), b, b, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
inline void MouseRelease(QWidget* w, QPoint at, Qt::MouseButton b = Qt::LeftButton) {
    QMouseEvent e(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), b, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
inline void MouseMove(QWidget* w, QPoint at, Qt::MouseButtons held = Qt::NoButton) {
    QMouseEvent e(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
inline void Click(QWidget* w, QPoint at) {
    MousePress(w, at);
    MouseRelease(w, at);
}
inline void Key(QWidget* w, int key, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}
// A click on the check box of a row of a list, as the user ticks or unticks it.
inline void ClickTick(QAbstractItemView* view, int row) {
    const QModelIndex index = view->model()->index(row, 0);
    view->scrollTo(index);
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.rect = view->visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect box = view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view);
    Click(view->viewport(), box.center());
    QApplication::processEvents();
}
// A click on the tab of the page, as the user changes pages.
inline void ClickTab(QTabWidget* pages, QWidget* page) {
    QTabBar* bar = pages->tabBar();
    Click(bar, bar->tabRect(pages->indexOf(page)).center());
    QApplication::processEvents();
}
// Drag data dropped on the widget; whether the widget took it.
inline bool Drop(QWidget* w, QMimeData* data, QPoint at = QPoint(2, 2)) {
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &drop);
    return drop.isAccepted();
}

} // namespace pemtest
