#pragma once
// The mouse, key, focus and drag events of a control that the main window
// handles itself, as events the window binds like any other: one watcher per
// control, installed as its event filter, each event run inside the handler
// guard. Positions are in the control's client area (a list's viewport).
#include <QObject>
#include <QPoint>
#include <functional>

class QMimeData;
class QTabWidget;
class QWidget;

namespace pem {

class TComponent;

using TMouseEvent = std::function<void(TComponent* sender, Qt::MouseButton button, const QPoint& at)>;
using TMouseMoveEvent = std::function<void(TComponent* sender, const QPoint& at)>;
// key: the Qt key; a handler sets it to 0 to keep it from the control.
using TKeyEvent = std::function<void(TComponent* sender, int& key)>;
// Whether a drag with this data may be dropped on the control.
using TDragOverEvent = std::function<bool(TComponent* sender, const QMimeData* data, QObject* source)>;
using TDragDropEvent = std::function<void(TComponent* sender, const QMimeData* data, QObject* source)>;
using TControlNotify = std::function<void(TComponent* sender)>;

// The base of every watcher that hands a control's events to the main
// window's handlers. The window deletes its watchers first when it is
// destroyed: controls still send events (focus out, child removed) while
// they die, and by then no handler of the window may run.
class TFormEventFilter : public QObject {
public:
    using QObject::QObject;
};

class TControlEvents : public TFormEventFilter {
public:
    // Watches the widget (and a scroll area's viewport); sender is the
    // component the handlers are told of.
    TControlEvents(QWidget* widget, TComponent* sender);

    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TKeyEvent OnKeyDown;
    // The focus leaves the control and everything inside it.
    TControlNotify OnExit;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    // The left button went down on the control and the mouse has since moved
    // DragThreshold pixels (-1: the platform's distance) with it held.
    TControlNotify OnStartDrag;
    int DragThreshold = -1;

    // Called by a mouse-down handler: this press starts no drag.
    void CancelDrag() { dragArmed_ = false; }
    // Called by a mouse or key handler: the control does not see the event.
    void Swallow() {
        if (swallow_) *swallow_ = true;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QWidget* widget_;
    QWidget* client_;
    TComponent* sender_;
    QPoint pressAt_;
    bool dragArmed_ = false;
    bool* swallow_ = nullptr; // of the event being handled
};

// A page change the user made (a click on a tab, a key), as opposed to one
// the program made: only the former fires OnChange, as the pages' change
// event always did.
class TUserPageChange : public TFormEventFilter {
public:
    TUserPageChange(QTabWidget* pages, TComponent* sender);
    TControlNotify OnChange;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    TComponent* sender_;
    int pending_ = -1; // the tab the user clicked, -2 any (a key is down)
};

} // namespace pem
