#pragma once
// The bridge between the drag-and-drop emulation and Qt: Qt timers for the
// library's timers, Qt's widgets as its windows, QDrag as its drag loop and
// QClipboard as its clipboard. InitialiseOleBridge installs them all once
// (the drop router and WindowOf call it on first use).
#include "OleDragDrop.h"

#include <QDrag>
#include <QPointer>
#include <functional>

class QObject;

namespace pem {

void InitialiseOleBridge();

// Runs one QDrag: QDrag::exec unless a test put another executor in.
using TDragExecutor = std::function<Qt::DropAction(QDrag& drag, Qt::DropActions actions, Qt::DropAction preferred)>;

// A drag of the program's own: the data object's formats become the drag's
// MIME data when it starts, the source's image its pixmap, the allowed
// effects its actions. A drag that ends with no action is cancelled.
class TQtDragLoop : public IDragLoop {
public:
    static TQtDragLoop& Instance();
    HRESULT Run(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect) override;

    // The executor (none: QDrag::exec).
    void SetExecutor(TDragExecutor executor) { executor_ = std::move(executor); }
    // The object Qt names as the source of the program's own drags.
    QObject* DragSourceObject();
    // The source of the drag running now, or none.
    IDropSource* ActiveSource() const { return active_; }
    // The last drag started (kept until the next one), for tests.
    QPointer<QDrag> LastDrag;

private:
    TDragExecutor executor_;
    IDropSource* active_ = nullptr;
    QObject* sourceObject_ = nullptr;
};

// The clipboard: putting an object there renders its formats into Qt's
// clipboard at once; reading gives the clipboard's data as a data object.
class TQtClipboard : public IClipboard {
public:
    static TQtClipboard& Instance();
    HRESULT Set(IDataObject* data) override;
    HRESULT Get(IDataObject** out) override;
    HRESULT Flush() override;
    bool IsCurrent(IDataObject* data) override;

private:
    ComPtr<IDataObject> current_;
    const void* rendered_ = nullptr; // the QMimeData handed to the clipboard
};

} // namespace pem
