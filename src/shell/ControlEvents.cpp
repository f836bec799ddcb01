#include "ControlEvents.h"

#include "Component.h"
#include "HandlerGuard.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>

namespace pem {

TControlEvents::TControlEvents(QWidget* widget, TComponent* sender)
    : TFormEventFilter(widget), widget_(widget), client_(widget), sender_(sender) {
    widget->installEventFilter(this);
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget)) {
        client_ = area->viewport();
        client_->installEventFilter(this);
    }
    QObject::connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        if (!OnExit || !old || (old != widget_ && !widget_->isAncestorOf(old))) return;
        if (now && (now == widget_ || widget_->isAncestorOf(now))) return;
        RunGuarded([this] { OnExit(sender_); });
    });
}

bool TControlEvents::eventFilter(QObject* watched, QEvent* e) {
    auto local = [&](const QPointF& p) {
        auto* w = qobject_cast<QWidget*>(watched);
        return w && w != client_ ? w->mapTo(client_, p.toPoint()) : p.toPoint();
    };
    // Handlers may run nested event loops (a drag): each event keeps its own
    // mark.
    bool swallowed = false;
    bool* outer = swallow_;
    swallow_ = &swallowed;
    struct Restore {
        bool*& slot;
        bool* value;
        ~Restore() { slot = value; }
    } restore{swallow_, outer};
    switch (e->type()) {
    case QEvent::MouseButtonPress: {
        auto* m = static_cast<QMouseEvent*>(e);
        pressAt_ = local(m->position());
        dragArmed_ = m->button() == Qt::LeftButton && OnStartDrag;
        if (OnMouseDown) RunGuarded([&] { OnMouseDown(sender_, m->button(), pressAt_); });
        break;
    }
    case QEvent::MouseButtonRelease: {
        dragArmed_ = false;
        auto* m = static_cast<QMouseEvent*>(e);
        if (OnMouseUp) RunGuarded([&] { OnMouseUp(sender_, m->button(), local(m->position())); });
        break;
    }
    case QEvent::MouseMove: {
        auto* m = static_cast<QMouseEvent*>(e);
        const QPoint at = local(m->position());
        if (OnMouseMove) RunGuarded([&] { OnMouseMove(sender_, at); });
        const int threshold = DragThreshold >= 0 ? DragThreshold : QApplication::startDragDistance();
        if (dragArmed_ && (m->buttons() & Qt::LeftButton) && (at - pressAt_).manhattanLength() >= threshold) {
            dragArmed_ = false;
            RunGuarded([&] { OnStartDrag(sender_); });
            return true;
        }
        break;
    }
    case QEvent::KeyPress:
        if (OnKeyDown && watched == widget_) {
            int key = static_cast<QKeyEvent*>(e)->key();
            RunGuarded([&] { OnKeyDown(sender_, key); });
            if (key == 0) swallowed = true;
        }
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
        if (OnDragOver) {
            auto* d = static_cast<QDragMoveEvent*>(e);
            bool accept = false;
            RunGuarded([&] { accept = OnDragOver(sender_, d->mimeData(), d->source()); });
            if (accept) d->acceptProposedAction();
            else d->ignore();
            return true;
        }
        break;
    case QEvent::Drop:
        if (OnDragDrop || OnDragOver) {
            auto* d = static_cast<QDropEvent*>(e);
            bool accept = !OnDragOver;
            if (OnDragOver) RunGuarded([&] { accept = OnDragOver(sender_, d->mimeData(), d->source()); });
            if (!accept) {
                d->ignore();
                return true;
            }
            d->acceptProposedAction();
            if (OnDragDrop) RunGuarded([&] { OnDragDrop(sender_, d->mimeData(), d->source()); });
            return true;
        }
        break;
    default: break;
    }
    if (swallowed) return true;
    return QObject::eventFilter(watched, e);
}

TUserPageChange::TUserPageChange(QTabWidget* pages, TComponent* sender) : TFormEventFilter(pages), sender_(sender) {
    pages->installEventFilter(this);
    pages->tabBar()->installEventFilter(this);
    QObject::connect(pages->tabBar(), &QTabBar::tabBarClicked, this, [this](int index) { pending_ = index; });
    QObject::connect(pages, &QTabWidget::currentChanged, this, [this](int index) {
        const bool user = pending_ == -2 || (pending_ >= 0 && pending_ == index);
        if (pending_ >= 0) pending_ = -1;
        if (user && OnChange) RunGuarded([this] { OnChange(sender_); });
    });
}

bool TUserPageChange::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress) {
        // A change while this key is handled is the user's; the mark goes
        // once the key has been dealt with.
        pending_ = -2;
        QTimer::singleShot(0, this, [this] {
            if (pending_ == -2) pending_ = -1;
        });
    }
    return QObject::eventFilter(watched, e);
}

} // namespace pem
