#include "OleDragDrop.h"

#include "OleDataObjects.h"

#include <map>
#include <vector>

namespace pem {

namespace {

int g_oleInits = 0;
IDragLoop* g_loop = nullptr;
std::atomic<long> g_targetHelperCalls{0};

// The clipboard of the emulation: it holds the object put there until it is
// flushed into a static copy.
class ProcessClipboard : public IClipboard {
public:
    HRESULT Set(IDataObject* data) override {
        current_ = ComPtr<IDataObject>(data);
        live_ = data != nullptr;
        return S_OK;
    }
    HRESULT Get(IDataObject** out) override {
        if (!out) return E_INVALIDARG;
        if (!current_) {
            // An empty clipboard still gives an object, one without formats.
            *out = MakeCom<TStaticDataObject>().Detach();
            return S_OK;
        }
        *out = ComPtr<IDataObject>(current_).Detach();
        return S_OK;
    }
    HRESULT Flush() override {
        if (live_ && current_) {
            ComPtr<TStaticDataObject> snap = TStaticDataObject::Snapshot(current_.Get());
            current_ = ComPtr<IDataObject>(snap.Get());
        }
        live_ = false;
        return S_OK;
    }
    bool IsCurrent(IDataObject* data) override { return live_ && data && current_.Get() == data; }

private:
    ComPtr<IDataObject> current_;
    bool live_ = false;
};

IClipboard*& InstalledClipboard() {
    static IClipboard* c = nullptr;
    return c;
}

IClipboard& Clip() {
    static auto* own = new ProcessClipboard;
    IClipboard* c = InstalledClipboard();
    return c ? *c : *own;
}

// Source images by data object, while the helper that took them lives.
std::map<IDataObject*, TDragImage>& Images() {
    static auto* m = new std::map<IDataObject*, TDragImage>;
    return *m;
}

class DragDropHelper : public ComObject<IDragSourceHelper, IDropTargetHelper> {
public:
    HRESULT InitializeFromBitmap(SHDRAGIMAGE* image, IDataObject* data) override {
        if (!image || !data || !image->hbmpDragImage) return E_INVALIDARG;
        auto bmp = std::shared_ptr<Bitmap>(image->hbmpDragImage);
        image->hbmpDragImage = nullptr;
        Remember(data, {std::move(bmp), image->ptOffset});
        return S_OK;
    }
    HRESULT InitializeFromWindow(HWND window, POINT* pt, IDataObject* data) override {
        if (!window || !data) return E_INVALIDARG;
        std::shared_ptr<Bitmap> bmp = window->Grab(window->ClientRect());
        if (!bmp || bmp->width <= 0 || bmp->height <= 0) return E_FAIL;
        Remember(data, {std::move(bmp), pt ? *pt : POINT{}});
        return S_OK;
    }
    HRESULT DragEnter(HWND, IDataObject*, POINT*, DWORD) override { return Count(); }
    HRESULT DragLeave() override { return Count(); }
    HRESULT DragOver(POINT*, DWORD) override { return Count(); }
    HRESULT Drop(IDataObject*, POINT*, DWORD) override { return Count(); }
    HRESULT Show(BOOL) override { return Count(); }

protected:
    ~DragDropHelper() override {
        for (IDataObject* d : given_) Images().erase(d);
    }

private:
    static HRESULT Count() {
        ++g_targetHelperCalls;
        return S_OK;
    }
    void Remember(IDataObject* data, TDragImage img) {
        Images()[data] = std::move(img);
        given_.push_back(data);
    }
    std::vector<IDataObject*> given_;
};

} // namespace

HRESULT OleInitialize() { return g_oleInits++ == 0 ? S_OK : S_FALSE; }

void OleUninitialize() {
    if (g_oleInits > 0) --g_oleInits;
}

namespace {
std::function<void(std::exception_ptr)>& Reporter() {
    static std::function<void(std::exception_ptr)> r;
    return r;
}
} // namespace

void SetHandlerExceptionReporter(std::function<void(std::exception_ptr)> reporter) { Reporter() = std::move(reporter); }

void ReportHandlerException(std::exception_ptr e) {
    if (Reporter()) Reporter()(e);
}

void SetDragLoop(IDragLoop* loop) { g_loop = loop; }
IDragLoop* CurrentDragLoop() { return g_loop; }

HRESULT DoDragDrop(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect) {
    if (!data || !source || !effect) return E_INVALIDARG;
    *effect = DROPEFFECT_NONE;
    if (!g_loop) return E_UNEXPECTED;
    return g_loop->Run(data, source, okEffects, effect);
}

void SetClipboard(IClipboard* clipboard) { InstalledClipboard() = clipboard; }
HRESULT OleSetClipboard(IDataObject* data) { return Clip().Set(data); }
HRESULT OleGetClipboard(IDataObject** out) { return Clip().Get(out); }
HRESULT OleFlushClipboard() { return Clip().Flush(); }
HRESULT OleIsCurrentClipboard(IDataObject* data) { return Clip().IsCurrent(data) ? S_OK : S_FALSE; }

HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return E_NOINTERFACE; // no aggregation
    if (!(clsid == CLSID_DragDropHelper)) return REGDB_E_CLASSNOTREG;
    auto helper = MakeCom<DragDropHelper>();
    return helper->QueryInterface(iid, out);
}

std::optional<TDragImage> SourceDragImage(IDataObject* data) {
    auto it = Images().find(data);
    if (it == Images().end()) return std::nullopt;
    return it->second;
}

long DropTargetHelperCalls() { return g_targetHelperCalls; }

} // namespace pem
