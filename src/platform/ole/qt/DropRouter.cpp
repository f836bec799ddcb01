#include "DropRouter.h"

#include "CharSet1252.h"
#include "HandlerGuard.h"
#include "MimeDataObject.h"
#include "MimeFormats.h"
#include "OleBridge.h"
#include "QtOleWindows.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMouseEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <QtGlobal>

namespace pem {

TDropRouter& TDropRouter::Instance() {
    static TDropRouter* router = new TDropRouter; // lives as long as the program
    InitialiseOleBridge(); // once; it asks for the router itself
    return *router;
}

void TDropRouter::InstallFilter() {
    // Watch the whole application: a drag on a child that takes drops of its
    // own (an edit takes text) still belongs to the registered widget above.
    if (!filterInstalled_ && QCoreApplication::instance()) {
        QCoreApplication::instance()->installEventFilter(this);
        filterInstalled_ = true;
    }
}

void TDropRouter::RegisterTarget(QWidget* target, TDropHandler handler) {
    if (!target) return;
    bool known = targets_.count(target) > 0;
    targets_[target] = std::move(handler);
    if (known) return;
    target->setAcceptDrops(true);
    InstallFilter();
    QObject::connect(target, &QObject::destroyed, this, [this, target] { targets_.erase(target); });
}

void TDropRouter::UnregisterTarget(QWidget* target) {
    auto it = targets_.find(target);
    if (it == targets_.end()) return;
    targets_.erase(it);
    if (!oleTargets_.count(target)) {
        target->setAcceptDrops(false);
        QObject::disconnect(target, &QObject::destroyed, this, nullptr);
    }
}

bool TDropRouter::IsTarget(const QWidget* target) const { return targets_.count(target) > 0; }
bool TDropRouter::IsOleTarget(const QWidget* widget) const { return oleTargets_.count(widget) > 0; }

QWidget* TDropRouter::TargetFor(QWidget* dropSite) const {
    for (QWidget* w = dropSite; w; w = w->parentWidget())
        if (targets_.count(w)) return w;
    return nullptr;
}

bool TDropRouter::Deliver(QWidget* dropSite, const TStringList& files) {
    TWMDropFiles msg;
    msg.Files = files;
    return Deliver(dropSite, msg);
}

bool TDropRouter::Deliver(QWidget* dropSite, const TWMDropFiles& msg) {
    if (msg.Files.Empty() && msg.Skipped.empty()) return false;
    QWidget* target = TargetFor(dropSite);
    if (!target) return false;
    // Copy the handler: it may unregister its own target.
    TDropHandler handler = targets_[target];
    if (!handler) return false;
    RunGuarded([&] { handler(msg); });
    return true;
}

bool TDropRouter::CodePageFileName(const std::u16string& name, std::string& out, std::vector<TSkippedName>* skipped) {
    const std::string utf8 = QString::fromUtf16(name.data(), static_cast<qsizetype>(name.size())).toStdString();
    bool ok = true;
    out = Utf8ToCp1252(utf8, &ok);
    if (!ok) {
        qWarning("Dropped file skipped, its name does not fit the code page: %s", utf8.c_str());
        if (skipped) skipped->push_back({"its name does not fit the code page", out});
        out.clear();
    }
    return ok;
}

TStringList TDropRouter::FilesFromMime(const QMimeData* data, std::vector<TSkippedName>* skipped) {
    TStringList files;
    std::vector<std::pair<std::string, std::string>> refused;
    for (const QString& path : LocalFilesOfUriList(UriListOf(data), -1, true, skipped ? &refused : nullptr)) {
        std::string name;
        if (CodePageFileName(path.toStdU16String(), name, skipped)) files.Add(name);
    }
    // The paths refused as they were read are shown as they came, still
    // percent-encoded: their bytes are no text.
    if (skipped)
        for (auto& [reason, url] : refused) skipped->push_back({std::move(reason), std::move(url)});
    return files;
}

bool TDropRouter::HasLocalFile(const QMimeData* data) {
    std::vector<std::pair<std::string, std::string>> refused;
    return !LocalFilesOfUriList(UriListOf(data), 1, false, &refused).isEmpty() || !refused.empty();
}

void TDropRouter::OleRegistrationChanged(QWidget* widget, bool registered) {
    if (!widget) return;
    if (registered) {
        if (oleTargets_.count(widget)) return;
        oleTargets_[widget] = widget->acceptDrops();
        widget->setAcceptDrops(true);
        InstallFilter();
        QObject::connect(widget, &QObject::destroyed, this, [this, widget] {
            oleTargets_.erase(widget);
            targets_.erase(widget);
            if (ole_.registered.isNull() && ole_.active) EndOleDrag(false);
        });
        return;
    }
    auto it = oleTargets_.find(widget);
    if (it == oleTargets_.end()) return;
    bool own = it->second;
    oleTargets_.erase(it);
    if (!targets_.count(widget)) widget->setAcceptDrops(own);
    // The target is going: the drag over it ends without telling it.
    if (ole_.active && ole_.registered == widget) EndOleDrag(false);
}

TDropRouter::TRegistration TDropRouter::Resolve(QWidget* site) const {
    for (QWidget* w = site; w; w = w->parentWidget()) {
        if (oleTargets_.count(w)) return {w, TRoad::Ole};
        if (targets_.count(w)) return {w, TRoad::Files};
    }
    return {};
}

void TDropRouter::EndOleDrag(bool tellTarget) {
    TOleDrag drag = ole_;
    ole_ = TOleDrag{};
    if (tellTarget && drag.target) RunGuarded([&] { drag.target->DragLeave(); });
    if (drag.data) drag.data->Release();
}

void TDropRouter::FlushPendingLeave() {
    if (ole_.active && ole_.pendingLeave) EndOleDrag(true);
}

namespace {

// Answers a Qt drag event with an effect: accepted with its action, or
// refused (accepted all the same when asked, so that moves keep coming).
void Answer(QDropEvent* e, DWORD effect, bool acceptAtNone) {
    Qt::DropAction action = ActionOfEffect(effect & ~DROPEFFECT_SCROLL, e->possibleActions());
    e->setDropAction(action);
    e->setAccepted(action != Qt::IgnoreAction || acceptAtNone);
}

// The program's own drag, when this event belongs to it.
IDropSource* OwnSource(const QDropEvent* e) {
    TQtDragLoop& loop = TQtDragLoop::Instance();
    return e->source() == loop.DragSourceObject() ? loop.ActiveSource() : nullptr;
}

} // namespace

bool TDropRouter::OleEvent(QWidget* site, QWidget* registered, QEvent* event) {
    auto* e = static_cast<QDropEvent*>(event);
    const QEvent::Type type = event->type();
    IDropTarget* target = RegisteredDropTarget(WindowOf(registered));
    if (!target) return false;
    const QPoint g = site->mapToGlobal(e->position().toPoint());
    const POINT pt{g.x(), g.y()};
    const DWORD keys = KeyStateOf(e->buttons(), e->modifiers());
    const DWORD offered = EffectsOfActions(e->possibleActions());
    IDropSource* source = OwnSource(e);
    TQtWindowSystem& ws = TQtWindowSystem::Instance();
    ws.SetDropSite(site, pt);
    struct ClearSite {
        TQtWindowSystem& ws;
        ~ClearSite() { ws.ClearDropSite(); }
    } clearSite{ws};

    bool same = ole_.active && ole_.registered == registered && ole_.target == target && ole_.mime == e->mimeData();
    if (type == QEvent::DragEnter && same && ole_.lastEnter == event) {
        // The same enter passed on to a parent: it was answered already.
        e->setDropAction(static_cast<Qt::DropAction>(ole_.lastAction));
        e->setAccepted(ole_.lastAccepted);
        return true;
    }
    if (!same) {
        EndOleDrag(true);
        ole_.active = true;
        ole_.registered = registered;
        ole_.target = target;
        ole_.mime = e->mimeData();
        ole_.data = MakeCom<MimeDataObject>(e->mimeData(), e->proposedAction()).Detach();
        DWORD effect = offered;
        if (!RunGuarded([&] { target->DragEnter(ole_.data, keys, pt, &effect); })) effect = DROPEFFECT_NONE;
        // A target that kept the data may still take the drop further on.
        bool kept = static_cast<MimeDataObject*>(ole_.data)->RefCount() > 1;
        Answer(e, effect, kept);
        if (source) RunGuarded([&] { source->GiveFeedback(effect); });
        ole_.lastEnter = type == QEvent::DragEnter ? event : nullptr;
        ole_.lastAccepted = e->isAccepted();
        ole_.lastAction = e->dropAction();
        if (type != QEvent::Drop) return true;
    }
    ole_.pendingLeave = false;

    if (type == QEvent::DragEnter || type == QEvent::DragMove) {
        DWORD effect = offered;
        if (!RunGuarded([&] { target->DragOver(keys, pt, &effect); })) effect = DROPEFFECT_NONE;
        const bool kept = static_cast<MimeDataObject*>(ole_.data)->RefCount() > 1;
        Answer(e, effect, type == QEvent::DragEnter && kept);
        if (type == QEvent::DragEnter) {
            ole_.lastEnter = event;
            ole_.lastAccepted = e->isAccepted();
            ole_.lastAction = e->dropAction();
        }
        if (source) RunGuarded([&] { source->GiveFeedback(effect); });
        return true;
    }

    // The drop. The program's own source may still call it off.
    if (source) {
        HRESULT go = DRAGDROP_S_DROP;
        RunGuarded([&] { go = source->QueryContinueDrag(FALSE, keys & ~(MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)); });
        if (go == DRAGDROP_S_CANCEL) {
            EndOleDrag(true);
            Answer(e, DROPEFFECT_NONE, false);
            return true;
        }
    }
    DWORD effect = offered;
    IDataObject* data = ole_.data;
    data->AddRef();
    if (!RunGuarded([&] { target->Drop(data, keys, pt, &effect); })) effect = DROPEFFECT_NONE;
    data->Release();
    Answer(e, effect, false);
    EndOleDrag(false);
    return true;
}

bool IsControlDrag(const QMimeData* data) {
    if (!data) return false;
    for (const QString& f : data->formats())
        if (f.startsWith(QLatin1String(kControlDragPrefix))) return true;
    return false;
}

bool TDropRouter::RefusedByOleTarget(QWidget* site, const QDropEvent* e) const {
    QWidget* below = site->childAt(e->position().toPoint());
    for (QWidget* w = below; w && w != site; w = w->parentWidget())
        if (oleTargets_.count(w)) return true;
    return false;
}

bool TDropRouter::FilesEvent(QWidget* site, QEvent* event) {
    auto* e = static_cast<QDropEvent*>(event);
    // Enter and move only look for a first local file; the drop reads them all.
    const bool drop = event->type() == QEvent::Drop;
    TWMDropFiles msg;
    if (drop) msg.Files = FilesFromMime(e->mimeData(), &msg.Skipped);
    // Dropped files are only ever read: the answer is a copy, whatever the
    // source proposed, and a source that allows no copy is refused.
    const bool copyable = e->possibleActions() & Qt::CopyAction;
    if (!copyable || (drop ? msg.Files.Empty() && msg.Skipped.empty() : !HasLocalFile(e->mimeData()))) {
        // A drag between the program's own controls is theirs to handle.
        if (IsControlDrag(e->mimeData())) return false;
        // Not files: refused, and no child below the target takes it either.
        e->setDropAction(Qt::IgnoreAction);
        e->ignore();
        return true;
    }
    e->setDropAction(Qt::CopyAction);
    e->accept();
    if (drop) Deliver(site, msg);
    return true;
}

bool TDropRouter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(event);
        TQtWindowSystem::Instance().NoteMouse(me->buttons(), me->globalPosition().toPoint());
        return false;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::DragLeave:
    case QEvent::Drop:
        break;
    default:
        return false;
    }
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w) return false;
    TRegistration reg = Resolve(w);
    if (type == QEvent::DragLeave) {
        if (ole_.active && reg.widget && reg.widget == ole_.registered) {
            // Often only a move from one child to another: the target hears
            // of it when no enter below it follows.
            ole_.pendingLeave = true;
            QMetaObject::invokeMethod(this, [this] { FlushPendingLeave(); }, Qt::QueuedConnection);
        }
        return reg.widget != nullptr;
    }
    // Over a drop target registered below this widget the drag is that
    // target's alone: what it refused, Qt passes on to the parents, and the
    // refusal stands (nor does the target hear of a leave it did not see).
    if (reg.road == TRoad::Files && RefusedByOleTarget(w, static_cast<QDropEvent*>(event))) {
        auto* e = static_cast<QDropEvent*>(event);
        e->setDropAction(Qt::IgnoreAction);
        e->ignore();
        return true;
    }
    if (ole_.active && reg.widget != ole_.registered) EndOleDrag(true);
    switch (reg.road) {
    case TRoad::Ole:
        return OleEvent(w, reg.widget, event);
    case TRoad::Files:
        return FilesEvent(w, event);
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
    TDropRouter::Instance().RegisterTarget(widget, [receiver](const TWMDropFiles& msg) { receiver->WMDropFiles(msg); });
}

void DragAcceptFiles(QWidget* widget, bool accept) {
    DragAcceptFiles(widget, dynamic_cast<TDropFilesReceiver*>(widget), accept);
}

} // namespace pem
