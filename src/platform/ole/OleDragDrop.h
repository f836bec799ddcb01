#pragma once
// The OLE calls of drag and drop and the clipboard: initialisation, the drag
// loop (DoDragDrop), the clipboard, and the shell's drag-image helper. The
// loop and the clipboard are replaceable: the emulated loop and an in-process
// clipboard here, Qt's drag and clipboard through the bridge.
#include "OleWindows.h"

#include <exception>
#include <functional>
#include <optional>

namespace pem {

HRESULT OleInitialize();
void OleUninitialize();

// Runs one drag: asks the source whether to go on and for feedback, and
// calls the targets under the cursor, until a drop or a cancel.
class IDragLoop {
public:
    virtual ~IDragLoop() = default;
    virtual HRESULT Run(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect) = 0;
};
// Installs the loop DoDragDrop runs; none leaves DoDragDrop failing with
// E_UNEXPECTED.
void SetDragLoop(IDragLoop* loop);
IDragLoop* CurrentDragLoop();
HRESULT DoDragDrop(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect);

class IClipboard {
public:
    virtual ~IClipboard() = default;
    // Puts the object on the clipboard (none empties it).
    virtual HRESULT Set(IDataObject* data) = 0;
    virtual HRESULT Get(IDataObject** out) = 0;
    // Renders the object put there into data that stays after it is gone.
    virtual HRESULT Flush() = 0;
    virtual bool IsCurrent(IDataObject* data) = 0;
};
// Installs a clipboard; none returns to the in-process one.
void SetClipboard(IClipboard* clipboard);
HRESULT OleSetClipboard(IDataObject* data);
HRESULT OleGetClipboard(IDataObject** out);
HRESULT OleFlushClipboard();
HRESULT OleIsCurrentClipboard(IDataObject* data);

// An exception a handler raised inside a call that answers with a result
// code instead (a drop): the program shows it the way it shows every
// handler's exception. Nothing is told until a reporter is installed.
void SetHandlerExceptionReporter(std::function<void(std::exception_ptr)> reporter);
void ReportHandlerException(std::exception_ptr e);

// Creates an object of a class: only the drag-and-drop helper
// (CLSID_DragDropHelper) with IDragSourceHelper or IDropTargetHelper.
HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD context, REFIID iid, void** out);
constexpr DWORD CLSCTX_INPROC_SERVER = 1;

// The image a source gave its data object through the helper, with the
// cursor's offset in it.
struct TDragImage {
    std::shared_ptr<Bitmap> image;
    POINT hotSpot;
};
std::optional<TDragImage> SourceDragImage(IDataObject* data);
// Calls made on target-side helpers (they draw nothing: the drag itself
// carries the source's image).
long DropTargetHelperCalls();

} // namespace pem
