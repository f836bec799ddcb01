#pragma once
// The one place where drags over the program's windows arrive. Two roads
// meet here: the dropped-files message of the small controls and forms (a
// handler per widget that takes local file names in Windows-1252), and the
// drop targets registered for a widget's window (RegisterDragDrop), which
// get the drag's enter, moves, leave and drop with the data as a data
// object. A Qt drag event on a widget, or on any widget inside it, belongs
// to the nearest registration at or above it; on one widget the drop target
// comes first. Every drag event below a registration is taken here, so a
// child (an edit) never handles a drag of its own there.
#include "OleInterfaces.h"
#include "StringList.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

class QMimeData;
class QWidget;
class QDropEvent;

namespace pem {

class TComponent;

// The dropped-files message: the dropped names, in drop order, and the
// dropped names that were left out (not UTF-8, or beyond Windows-1252):
// why, and the name as near as Windows-1252 shows it.
struct TSkippedName {
    std::string reason;
    std::string name;
};
struct TWMDropFiles {
    TStringList Files;
    std::vector<TSkippedName> Skipped;
};

using TWMDropfilesEvent = std::function<void(TComponent* sender, const TWMDropFiles& msg)>;
using TDropHandler = std::function<void(const TWMDropFiles& msg)>;

class TDropRouter : public QObject {
public:
    static TDropRouter& Instance();

    // Makes the widget a drop target: Qt drops on it (and on its children
    // that are not targets themselves) reach the handler. Registering again
    // replaces the handler. The registration ends with the widget.
    void RegisterTarget(QWidget* target, TDropHandler handler);
    void UnregisterTarget(QWidget* target);
    bool IsTarget(const QWidget* target) const;

    // The registered widget that a drop on this widget reaches: the widget
    // itself or its nearest registered ancestor; nullptr when none.
    QWidget* TargetFor(QWidget* dropSite) const;

    // Hands the files to the target a drop on dropSite reaches; the handler
    // runs inside the handler guard. False when no target took the drop or
    // the list is empty.
    bool Deliver(QWidget* dropSite, const TStringList& files);
    // The same with the names left out of the drop: a drop of nothing but
    // such names still reaches the target, which tells the user of them.
    bool Deliver(QWidget* dropSite, const TWMDropFiles& msg);

    // The local files of a drag's data (see LocalFilesOfUriList) as
    // Windows-1252 names. Names that the code page cannot hold are skipped
    // with a warning, and noted in skipped when it is given.
    static TStringList FilesFromMime(const QMimeData* data, std::vector<TSkippedName>* skipped = nullptr);
    // One dropped file's name in Windows-1252; false, with a warning, when
    // the code page cannot hold it. Drop handlers that read wide names
    // (a file drop target's Files) take them through this too.
    static bool CodePageFileName(const std::u16string& name, std::string& out, std::vector<TSkippedName>* skipped = nullptr);
    // Whether a drag's data holds a local file, or a local path that the
    // drop would leave out (looking no further than the first one).
    static bool HasLocalFile(const QMimeData* data);

    // Told by a widget's window when a drop target is registered for it or
    // revoked.
    void OleRegistrationChanged(QWidget* widget, bool registered);
    bool IsOleTarget(const QWidget* widget) const;
    // Watches the program's events (from the first registration on).
    void InstallFilter();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TDropRouter() = default;
    enum class TRoad { None, Ole, Files };
    struct TRegistration {
        QWidget* widget = nullptr;
        TRoad road = TRoad::None;
    };
    TRegistration Resolve(QWidget* site) const;
    bool FilesEvent(QWidget* site, QEvent* event);
    // Whether the drag event's point lies on a drop target registered
    // below site (one that has already answered it).
    bool RefusedByOleTarget(QWidget* site, const QDropEvent* e) const;
    bool OleEvent(QWidget* site, QWidget* registered, QEvent* event);
    // Tells the drop target of the drag in progress that it was left.
    void EndOleDrag(bool tellTarget);
    void FlushPendingLeave();

    std::unordered_map<const QWidget*, TDropHandler> targets_;
    std::unordered_map<const QWidget*, bool> oleTargets_; // with the widget's own acceptDrops
    bool filterInstalled_ = false;

    // The drag over a drop target now.
    struct TOleDrag {
        bool active = false;
        QPointer<QWidget> registered;
        IDropTarget* target = nullptr;
        IDataObject* data = nullptr; // a MimeDataObject, one reference held
        const QMimeData* mime = nullptr;
        bool pendingLeave = false;
        const QEvent* lastEnter = nullptr;
        bool lastAccepted = false;
        int lastAction = 0;
    } ole_;
};

// Drags from one of the program's controls to another (a word picked out
// of a text, the job's names dragged onto a field) carry a private type
// beginning with this prefix. They are the controls' own business: a
// dropped-files registration above the control lets them through.
inline constexpr const char* kControlDragPrefix = "application/x-pemaris-";
bool IsControlDrag(const QMimeData* data);

// Switches the shell's dropped-files message on or off for a component that
// receives it (a drop-aware control or a form with a WMDropFiles handler):
// see TDropFilesReceiver.
class TDropFilesReceiver {
public:
    virtual ~TDropFilesReceiver() = default;
    // The dropped-files message handler.
    virtual void WMDropFiles(const TWMDropFiles& msg) = 0;
};

// Registers (accept) or unregisters the widget of a receiver.
void DragAcceptFiles(QWidget* widget, TDropFilesReceiver* receiver, bool accept);
// The same for a widget that is itself a receiver; other widgets are left
// alone.
void DragAcceptFiles(QWidget* widget, bool accept);

} // namespace pem
