#include "DropRouter.h"

#include "CharSet1252.h"
#include "HandlerGuard.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <QtGlobal>

namespace pem {

TDropRouter& TDropRouter::Instance() {
    static TDropRouter* router = new TDropRouter; // lives as long as the program
    return *router;
}

void TDropRouter::RegisterTarget(QWidget* target, TDropHandler handler) {
    if (!target) return;
    bool known = targets_.count(target) > 0;
    targets_[target] = std::move(handler);
    if (known) return;
    target->setAcceptDrops(true);
    // Watch the whole application: a drop on a child that takes drops of its
    // own (an edit takes text) still belongs to the registered widget above.
    if (!filterInstalled_ && QCoreApplication::instance()) {
        QCoreApplication::instance()->installEventFilter(this);
        filterInstalled_ = true;
    }
    QObject::connect(target, &QObject::destroyed, this, [this, target] { targets_.erase(target); });
}

void TDropRouter::UnregisterTarget(QWidget* target) {
    auto it = targets_.find(target);
    if (it == targets_.end()) return;
    targets_.erase(it);
    target->setAcceptDrops(false);
    QObject::disconnect(target, &QObject::destroyed, this, nullptr);
}

bool TDropRouter::IsTarget(const QWidget* target) const { return targets_.count(target) > 0; }

QWidget* TDropRouter::TargetFor(QWidget* dropSite) const {
    for (QWidget* w = dropSite; w; w = w->parentWidget())
        if (targets_.count(w)) return w;
    return nullptr;
}

bool TDropRouter::Deliver(QWidget* dropSite, const TStringList& files) {
    if (files.Empty()) return false;
    QWidget* target = TargetFor(dropSite);
    if (!target) return false;
    // Copy the handler: it may unregister its own target.
    TDropHandler handler = targets_[target];
    if (!handler) return false;
    RunGuarded([&] { handler(files); });
    return true;
}

TStringList TDropRouter::FilesFromMime(const QMimeData* data) {
    TStringList files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        std::string utf8 = url.toLocalFile().toStdString();
        bool ok = true;
        std::string name = Utf8ToCp1252(utf8, &ok);
        if (!ok) {
            qWarning("Dropped file skipped, its name does not fit the code page: %s", utf8.c_str());
            continue;
        }
        files.Add(name);
    }
    return files;
}

bool TDropRouter::eventFilter(QObject* watched, QEvent* event) {
    QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || !TargetFor(w)) return false;
    switch (event->type()) {
    case QEvent::DragEnter: {
        auto* e = static_cast<QDragEnterEvent*>(event);
        if (!FilesFromMime(e->mimeData()).Empty()) {
            e->acceptProposedAction();
            return true;
        }
        return false;
    }
    case QEvent::DragMove: {
        auto* e = static_cast<QDragMoveEvent*>(event);
        if (!FilesFromMime(e->mimeData()).Empty()) {
            e->acceptProposedAction();
            return true;
        }
        return false;
    }
    case QEvent::Drop: {
        auto* e = static_cast<QDropEvent*>(event);
        TStringList files = FilesFromMime(e->mimeData());
        if (files.Empty()) return false;
        e->acceptProposedAction();
        Deliver(w, files);
        return true;
    }
    default:
        return false;
    }
}

void DragAcceptFiles(QWidget* widget, TDropFilesReceiver* receiver, bool accept) {
    if (!widget) return;
    if (!accept || !receiver) {
        TDropRouter::Instance().UnregisterTarget(widget);
        return;
    }
    TDropRouter::Instance().RegisterTarget(widget, [receiver](const TStringList& files) {
        TWMDropFiles msg;
        msg.Files = files;
        receiver->WMDropFiles(msg);
    });
}

void DragAcceptFiles(QWidget* widget, bool accept) {
    DragAcceptFiles(widget, dynamic_cast<TDropFilesReceiver*>(widget), accept);
}

} // namespace pem
