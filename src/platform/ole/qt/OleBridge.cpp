#include "OleBridge.h"

#include "DataObjectMimeData.h"
#include "DropRouter.h"
#include "HandlerGuard.h"
#include "MimeDataObject.h"
#include "MimeFormats.h"
#include "OleTimers.h"
#include "QtOleWindows.h"

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QImage>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <exception>

namespace pem {

namespace {

class QtTimerBackend : public ITimerBackend {
public:
    explicit QtTimerBackend(std::function<void()> tick) {
        QObject::connect(&timer_, &QTimer::timeout, [tick = std::move(tick)] { RunGuarded(tick); });
    }
    void Start(unsigned ms) override { timer_.start(static_cast<int>(ms)); }
    void Stop() override { timer_.stop(); }

private:
    QTimer timer_;
};

QPixmap PixmapOf(const Bitmap& b) {
    QImage img(b.width, b.height, QImage::Format_ARGB32);
    for (int y = 0; y < b.height; ++y)
        std::copy(b.pixels.begin() + static_cast<ptrdiff_t>(y) * b.width,
                  b.pixels.begin() + static_cast<ptrdiff_t>(y + 1) * b.width, reinterpret_cast<uint32_t*>(img.scanLine(y)));
    return QPixmap::fromImage(img);
}

} // namespace

void InitialiseOleBridge() {
    static bool done = false;
    if (done) return;
    done = true;
    SetTimerBackendFactory([](std::function<void()> tick) { return std::make_unique<QtTimerBackend>(std::move(tick)); });
    SetWindowSystem(&TQtWindowSystem::Instance());
    SetDragLoop(&TQtDragLoop::Instance());
    SetClipboard(&TQtClipboard::Instance());
    // A drop handler's exception is shown as every handler's is.
    SetHandlerExceptionReporter([](std::exception_ptr e) { RunGuarded([e] { std::rethrow_exception(e); }); });
    // The router watches the program's mouse for the window system too.
    TDropRouter::Instance().InstallFilter();
}

// ---- the drag loop

TQtDragLoop& TQtDragLoop::Instance() {
    static auto* l = new TQtDragLoop;
    return *l;
}

QObject* TQtDragLoop::DragSourceObject() {
    if (!sourceObject_) sourceObject_ = new QObject(qApp);
    return sourceObject_;
}

HRESULT TQtDragLoop::Run(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect) {
    *effect = DROPEFFECT_NONE;
    if (active_) return E_UNEXPECTED; // one drag at a time
    auto* mime = new DataObjectMimeData(data);
    auto* drag = new QDrag(DragSourceObject());
    drag->setMimeData(mime);
    if (std::optional<TDragImage> image = SourceDragImage(data); image && image->image) {
        drag->setPixmap(PixmapOf(*image->image));
        drag->setHotSpot(QPoint(image->hotSpot.x, image->hotSpot.y));
    }
    const Qt::DropActions actions = ActionsOfEffects(okEffects);
    Qt::DropAction preferred = ActionOfEffect(mime->PreferredEffect().value_or(0) & okEffects, actions);
    if (preferred == Qt::IgnoreAction) preferred = ActionOfEffect(okEffects, actions);
    LastDrag = drag;

    active_ = source;
    Qt::DropAction result = Qt::IgnoreAction;
    try {
        result = executor_ ? executor_(*drag, actions, preferred) : drag->exec(actions, preferred);
    } catch (...) {
        active_ = nullptr;
        drag->deleteLater();
        throw;
    }
    active_ = nullptr;
    // After exec the drag is Qt's: where the window system still fetches the
    // data after the drop (X11 asks for it once the drop is answered), Qt
    // keeps the drag, and its data, until the target has it and deletes it
    // then; elsewhere it deletes it itself. Only a drag played by an
    // executor is ours to delete.
    if (executor_) drag->deleteLater();

    *effect = EffectOfAction(result) & okEffects;
    return *effect ? DRAGDROP_S_DROP : DRAGDROP_S_CANCEL;
}

// ---- the clipboard

TQtClipboard& TQtClipboard::Instance() {
    static auto* c = new TQtClipboard;
    return *c;
}

HRESULT TQtClipboard::Set(IDataObject* data) {
    QClipboard* clip = QGuiApplication::clipboard();
    if (!clip) return CLIPBRD_E_CANT_OPEN;
    if (!data) {
        current_ = nullptr;
        rendered_ = nullptr;
        clip->clear();
        return S_OK;
    }
    auto* mime = new DataObjectMimeData(data);
    clip->setMimeData(mime); // the clipboard owns it
    rendered_ = mime;
    current_ = ComPtr<IDataObject>(data);
    return S_OK;
}

HRESULT TQtClipboard::Get(IDataObject** out) {
    if (!out) return E_INVALIDARG;
    if (IsCurrent(current_.Get())) {
        *out = ComPtr<IDataObject>(current_).Detach();
        return S_OK;
    }
    QClipboard* clip = QGuiApplication::clipboard();
    if (!clip) return CLIPBRD_E_CANT_OPEN;
    *out = MakeCom<MimeDataObject>(CopyMimeData(clip->mimeData())).Detach();
    return S_OK;
}

HRESULT TQtClipboard::Flush() {
    // The data went to the clipboard when the object was put there.
    current_ = nullptr;
    return S_OK;
}

bool TQtClipboard::IsCurrent(IDataObject* data) {
    if (!data || !current_ || current_.Get() != data) return false;
    QClipboard* clip = QGuiApplication::clipboard();
    return clip && clip->mimeData() == rendered_;
}

} // namespace pem
