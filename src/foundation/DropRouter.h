#pragma once
// The one place where files dropped on the program's windows arrive. A Qt
// drop (text/uri-list from a file manager) on a registered widget, or on any
// widget inside it, becomes a list of local file names in Windows-1252 and is
// delivered to the nearest registered widget at or above the drop site.
// Every road that receives files (the dropped-files message of the small
// controls and forms, and the OLE file targets) registers its widgets here.
#include "StringList.h"

#include <QObject>
#include <functional>
#include <unordered_map>

class QMimeData;
class QWidget;

namespace pem {

class TComponent;

// The dropped-files message: the dropped names, in drop order.
struct TWMDropFiles {
    TStringList Files;
};

using TWMDropfilesEvent = std::function<void(TComponent* sender, const TWMDropFiles& msg)>;
using TDropHandler = std::function<void(const TStringList& files)>;

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

    // The local files of a drag's data as Windows-1252 names. Names that the
    // code page cannot hold are skipped with a warning; non-local URLs are
    // ignored.
    static TStringList FilesFromMime(const QMimeData* data);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TDropRouter() = default;
    std::unordered_map<const QWidget*, TDropHandler> targets_;
    bool filterInstalled_ = false;
};

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
