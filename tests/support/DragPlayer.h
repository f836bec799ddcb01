#pragma once
// Drags played offscreen, where QDrag::exec drops nothing: a player that
// sends MIME data to a widget as Qt drag events (enter, moves, then a drop
// or a leave), the loopback executor that lets the program's own drags end
// on a widget through it, and a file-manager stand-in that takes a file
// list as a file manager's folder would.
#include "OleBridge.h"

#include <QCoreApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QWidget>
#include <vector>

namespace pemtest {

// Plays MIME data as Qt drag events onto a widget: enter, a move, then a
// drop or a leave; gives the action the drop was answered with.
struct Player {
    QWidget* site;
    QPoint pos{5, 5};
    Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier; // Shift proposes a move
    Qt::DropAction enterAction = Qt::IgnoreAction;
    bool enterAccepted = false;
    std::vector<bool> movesAccepted;

    Qt::DropAction Play(const QMimeData* mime, int moves = 1, bool drop = true) {
        QDragEnterEvent enter(pos, actions, mime, Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(site, &enter);
        enterAccepted = enter.isAccepted();
        enterAction = enter.dropAction();
        for (int i = 0; i < moves; ++i) {
            QDragMoveEvent move(pos + QPoint(i, 0), actions, mime, Qt::LeftButton, modifiers);
            QCoreApplication::sendEvent(site, &move);
            movesAccepted.push_back(move.isAccepted() && move.dropAction() != Qt::IgnoreAction);
        }
        if (!drop) {
            QDragLeaveEvent leave;
            QCoreApplication::sendEvent(site, &leave);
            QCoreApplication::processEvents();
            return Qt::IgnoreAction;
        }
        QDropEvent d(QPointF(pos), actions, mime, Qt::NoButton, modifiers);
        QCoreApplication::sendEvent(site, &d);
        return d.isAccepted() ? d.dropAction() : Qt::IgnoreAction;
    }
};

// A drag of the program's own ends on the widget, played there as above;
// the drag's result is the drop's answer. Undone with the object.
class LoopbackDrags {
public:
    explicit LoopbackDrags(QWidget* site) {
        pem::TQtDragLoop::Instance().SetExecutor([this, site](QDrag& drag, Qt::DropActions actions, Qt::DropAction) {
            ++drags;
            supported = actions;
            formats = drag.mimeData()->formats();
            pixmap = drag.pixmap().size();
            Player p{site};
            p.actions = actions;
            return p.Play(drag.mimeData());
        });
    }
    ~LoopbackDrags() { pem::TQtDragLoop::Instance().SetExecutor(nullptr); }
    int drags = 0;
    Qt::DropActions supported;
    QStringList formats;
    QSize pixmap;
};

// Takes a dropped file list as a file manager's folder does: copies, and
// records the "text/uri-list" it was given.
class FileManagerStandIn : public QWidget {
public:
    FileManagerStandIn() {
        setAcceptDrops(true);
        resize(200, 100);
    }
    std::vector<QByteArray> dropped;

protected:
    void dragEnterEvent(QDragEnterEvent* e) override { Take(e, false); }
    void dragMoveEvent(QDragMoveEvent* e) override { Take(e, false); }
    void dropEvent(QDropEvent* e) override { Take(e, true); }

private:
    void Take(QDropEvent* e, bool drop) {
        if (!e->mimeData()->hasFormat("text/uri-list") || !(e->possibleActions() & Qt::CopyAction)) {
            e->ignore();
            return;
        }
        e->setDropAction(Qt::CopyAction);
        e->accept();
        if (drop) dropped.push_back(e->mimeData()->data("text/uri-list"));
    }
};

} // namespace pemtest
