#include "DropSource.h"

#include <algorithm>

namespace pem {

// ---- TCustomDropSource

TCustomDropSource::TCustomDropSource() = default;

TCustomDropSource::~TCustomDropSource() {
    try {
        FlushClipboard();
    } catch (...) {
        // A source going away cannot report a clipboard failure.
    }
}

HRESULT TCustomDropSource::GetInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IUnknown::iid || iid == IDataObject::iid)
        *out = static_cast<IDataObject*>(this);
    else if (iid == IDropSource::iid)
        *out = static_cast<IDropSource*>(this);
    else if (iid == IAsyncOperation::iid && allowAsync_)
        *out = static_cast<IAsyncOperation*>(this);
    return *out ? S_OK : TDragDropComponent::GetInterface(iid, out);
}

void TCustomDropSource::SetImages(HIMAGELIST images) {
    images_ = images;
    if (!images_ || imageIndex_ >= images_->Count()) imageIndex_ = -1;
}

void TCustomDropSource::SetImageIndex(int index) {
    if (index < 0 || !images_ || images_->Count() == 0) {
        imageIndex_ = -1;
        return;
    }
    if (index >= images_->Count()) return;
    imageIndex_ = index;
}

void TCustomDropSource::SetAllowAsyncTransfer(bool on) {
    allowAsync_ = on;
    if (!on) {
        asyncMode_ = false;
        inOperation_ = false;
    }
}

TDragResult TCustomDropSource::Execute(bool asynchronous) {
    if (inOperation_) throw Exception("An asynchronous drag and drop operation is in progress");
    if (dragging_) throw Exception("A drag and drop operation is already in progress");

    SetPerformedDropEffect(0xFFFFFFFFu); // nothing reported yet
    inOperation_ = false;
    asyncMode_ = false;
    if (allowAsync_) SetAsyncMode(TRUE);

    if (!asynchronous) {
        dragging_ = true;
        try {
            TDragResult r = DoExecute();
            dragging_ = false;
            return r;
        } catch (...) {
            dragging_ = false;
            throw;
        }
    }
    // A drag of its own needs a transfer thread, and this program starts
    // none: the drag never starts and the source stays idle.
    throw Exception("Failed to initiate asynchronouse drag and drop operation");
}

TDragResult TCustomDropSource::DoExecute() {
    const DWORD allowed = DragTypesToDropEffect(DragTypes);
    ComPtr<IDragSourceHelper> helper;
    bool imageListDrag = false;
    if (ShowImage) {
        if (SUCCEEDED(CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER, IDragSourceHelper::iid,
                                       reinterpret_cast<void**>(helper.Put()))) &&
            helper) {
            if (!GetDragImage(helper.Get())) helper.Reset();
        }
        if (!helper && images_) imageListDrag = ImageList_BeginDrag(images_, imageIndex_, ImageHotSpotX, ImageHotSpotY);
    }

    auto removeImage = [&] {
        helper.Reset();
        if (imageListDrag) ImageList_EndDrag();
    };
    SetInShellDragLoop(true);
    DWORD effect = DROPEFFECT_NONE;
    HRESULT hr;
    try {
        hr = DoDragDrop(DataObject(), static_cast<IDropSource*>(this), allowed, &effect);
    } catch (...) {
        SetInShellDragLoop(false);
        removeImage();
        throw;
    }
    SetInShellDragLoop(false);
    removeImage();

    TDragResult result;
    if (hr == E_OUTOFMEMORY)
        result = drOutMemory;
    else if (hr == DRAGDROP_S_CANCEL)
        result = drCancel;
    else if (hr == DRAGDROP_S_DROP) {
        if (LogicalPerformedDropEffect() == DROPEFFECT_MOVE ||
            (effect != DROPEFFECT_MOVE && PerformedDropEffect() == DROPEFFECT_MOVE))
            result = drDropMove;
        else
            result = DropEffectToDragResult(effect & allowed);
    } else
        result = drUnknown;

    if (PerformedDropEffect() == 0xFFFFFFFFu) SetPerformedDropEffect(0); // the target reported none

    if (inOperation_ && result != drDropCopy && result != drDropMove && result != drDropLink) inOperation_ = false;
    if (!inOperation_ && OnAfterDrop) {
        bool optimized =
            result == drDropMove && !(effect == DROPEFFECT_MOVE && PerformedDropEffect() == DROPEFFECT_MOVE);
        OnAfterDrop(this, result, optimized);
    }
    return result;
}

bool TCustomDropSource::GetDragImage(IDragSourceHelper* helper) {
    bool handled = false;
    if (OnGetDragImage) OnGetDragImage(this, helper, handled);
    if (handled || !images_ || imageIndex_ < 0) return handled;

    auto* bmp = new Bitmap;
    bmp->width = images_->Width;
    bmp->height = images_->Height;
    uint32_t fill = 0;
    if (images_->BkColor != CLR_NONE && images_->BkColor != CLR_DEFAULT) {
        COLORREF c = images_->BkColor; // 0x00BBGGRR
        fill = 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    }
    bmp->pixels.assign(static_cast<size_t>(bmp->width) * static_cast<size_t>(bmp->height), fill);
    images_->Draw(*bmp, 0, 0, imageIndex_);
    SHDRAGIMAGE image;
    image.sizeDragImage = {bmp->width, bmp->height};
    image.ptOffset = {ImageHotSpotX, ImageHotSpotY};
    image.hbmpDragImage = bmp;
    image.crColorKey = images_->BkColor == CLR_NONE      ? CLR_NONE
                       : images_->BkColor == CLR_DEFAULT ? CLR_DEFAULT
                                                         : (images_->BkColor & 0x00FFFFFFu);
    if (SUCCEEDED(helper->InitializeFromBitmap(&image, DataObject()))) return true; // the helper owns the bitmap
    delete bmp;
    return false;
}

void TCustomDropSource::DataChanging(TCustomDataFormat*) { FlushClipboard(); }

bool TCustomDropSource::PutOnClipboard() { return SUCCEEDED(OleSetClipboard(DataObject())); }

void TCustomDropSource::DoOnPaste(TDragResult action, bool deleteOnPaste) {
    if (OnPaste) OnPaste(this, action, deleteOnPaste);
}

bool TCustomDropSource::CutToClipboard() {
    SetPreferredDropEffect(DROPEFFECT_MOVE);
    return PutOnClipboard();
}

bool TCustomDropSource::CopyToClipboard() {
    SetPreferredDropEffect(DROPEFFECT_COPY);
    return PutOnClipboard();
}

void TCustomDropSource::FlushClipboard() {
    if (OleIsCurrentClipboard(DataObject()) == S_OK) OleCheck(OleFlushClipboard());
}

void TCustomDropSource::EmptyClipboard() {
    if (OleIsCurrentClipboard(DataObject()) == S_OK) OleCheck(OleSetClipboard(nullptr));
}

// ---- IDataObject

HRESULT TCustomDropSource::GetData(const FORMATETC* format, STGMEDIUM* medium) {
    if (!format || !medium) return E_INVALIDARG;
    *medium = STGMEDIUM{};
    try {
        if (OnGetData) {
            bool handled = false;
            OnGetData(this, *format, *medium, handled);
            if (handled) return S_OK;
        }
        if (HasFormat(*format)) return DoGetData(*format, *medium);
        return DV_E_FORMATETC;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT TCustomDropSource::GetDataHere(const FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }

HRESULT TCustomDropSource::QueryGetData(const FORMATETC* format) {
    if (!format) return E_INVALIDARG;
    try {
        return HasFormat(*format) ? S_OK : DV_E_FORMATETC;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT TCustomDropSource::GetCanonicalFormatEtc(const FORMATETC*, FORMATETC* out) {
    if (out) out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

HRESULT TCustomDropSource::SetData(const FORMATETC* format, STGMEDIUM* medium, BOOL release) {
    if (!format || !medium) return E_INVALIDARG;
    HRESULT hr;
    try {
        hr = DoSetData(*format, *medium);
    } catch (...) {
        hr = E_UNEXPECTED;
    }
    // Taken over only on success; on failure the caller still owns it.
    if (SUCCEEDED(hr) && release) ReleaseStgMedium(medium);
    return hr;
}

HRESULT TCustomDropSource::DoSetData(const FORMATETC& format, STGMEDIUM& medium) {
    bool handled = false;
    if (OnSetData) OnSetData(this, format, medium, handled);
    return handled ? S_OK : E_NOTIMPL;
}

HRESULT TCustomDropSource::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    try {
        ComPtr<IEnumFORMATETC> en = GetEnumFormatEtc(direction);
        if (!en) return E_NOTIMPL;
        *out = en.Detach();
        return S_OK;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT TCustomDropSource::DAdvise(const FORMATETC*, DWORD, IUnknown*, DWORD*) { return OLE_E_ADVISENOTSUPPORTED; }
HRESULT TCustomDropSource::DUnadvise(DWORD) { return OLE_E_ADVISENOTSUPPORTED; }

HRESULT TCustomDropSource::EnumDAdvise(IUnknown** out) {
    if (out) *out = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

// ---- IDropSource

HRESULT TCustomDropSource::QueryContinueDrag(BOOL escapePressed, DWORD keyState) {
    if (escapePressed) return DRAGDROP_S_CANCEL;
    if (keyState & (MK_LBUTTON | MK_RBUTTON)) return S_OK;
    // The button is up: drop with the type of the last feedback, if allowed.
    TDragType type;
    bool drop = DropEffectToDragType(lastFeedback_, type) && DragTypes.Contains(type);
    try {
        SetInShellDragLoop(false);
        if (drop && OnDrop) OnDrop(this, type, drop);
    } catch (...) {
        drop = false;
    }
    return drop ? DRAGDROP_S_DROP : DRAGDROP_S_CANCEL;
}

HRESULT TCustomDropSource::GiveFeedback(DWORD effect) {
    lastFeedback_ = effect;
    bool useDefault = true;
    try {
        if (OnFeedback) OnFeedback(this, effect, useDefault);
    } catch (...) {
        useDefault = true;
    }
    return useDefault ? DRAGDROP_S_USEDEFAULTCURSORS : S_OK;
}

// ---- IAsyncOperation

HRESULT TCustomDropSource::SetAsyncMode(BOOL doOpAsync) {
    if (!allowAsync_) return E_NOTIMPL;
    asyncMode_ = doOpAsync != FALSE;
    return S_OK;
}

HRESULT TCustomDropSource::GetAsyncMode(BOOL* isOpAsync) {
    if (!isOpAsync) return E_INVALIDARG;
    *isOpAsync = asyncMode_ ? -1 : 0;
    return S_OK;
}

HRESULT TCustomDropSource::StartOperation(IBindCtx*) {
    if (!asyncMode_) return E_NOTIMPL;
    operationEnded_ = false; // a fresh end signal
    inOperation_ = true;
    return S_OK;
}

HRESULT TCustomDropSource::InOperation(BOOL* inAsyncOp) {
    if (!inAsyncOp) return E_INVALIDARG;
    *inAsyncOp = inOperation_ ? -1 : 0;
    return S_OK;
}

HRESULT TCustomDropSource::EndOperation(HRESULT result, IBindCtx*, DWORD effects) {
    if (!inOperation_) return E_FAIL;
    operationEnded_ = true;
    inOperation_ = false;
    if (OnAfterDrop) {
        TDragResult r = SUCCEEDED(result) ? DropEffectToDragResult(DragTypesToDropEffect(DragTypes) & effects) : drUnknown;
        bool optimized = !(r == drDropMove && PerformedDropEffect() == DROPEFFECT_MOVE);
        try {
            OnAfterDrop(this, r, optimized);
        } catch (...) {
            return E_UNEXPECTED;
        }
    }
    return S_OK;
}

// ---- TCustomDropMultiSource

int TSourceDataFormats::Add(TCustomDataFormat* format) {
    TCustomDropSource* src = source_;
    format->OnChanging = [src](TCustomDataFormat* f) { src->DataChanging(f); };
    return TDataFormats::Add(format);
}

TCustomDropMultiSource::TCustomDropMultiSource() {
    delete dataFormats_;
    dataFormats_ = new TSourceDataFormats(this);
    feedback_ = new TFeedbackDataFormat(this);
    raw_ = new TRawDataFormat(this);
}

TCustomDropMultiSource::~TCustomDropMultiSource() {
    try {
        FlushClipboard();
    } catch (...) {
    }
    while (dataFormats_->Count() > 0) delete (*dataFormats_)[dataFormats_->Count() - 1];
}

void TCustomDropMultiSource::InitializeDataFormat(TCustomDataFormat* format, TClipboardFormats& list) {
    TDataFormatMap::Instance().FillList(list, format->ClassType(), TDragDropComponentRole::Source);
}

HRESULT TCustomDropMultiSource::DoGetData(const FORMATETC& format, STGMEDIUM& medium) {
    medium = STGMEDIUM{};
    for (int i = 0; i < dataFormats_->Count(); ++i) {
        TCustomDataFormat* df = (*dataFormats_)[i];
        if (!df->HasData()) continue;
        TClipboardFormats& list = df->CompatibleFormats();
        for (int j = 0; j < list.Count(); ++j) {
            TClipboardFormat* cf = list[j];
            if (!cf->AcceptFormat(format)) continue;
            bool written = df->AssignTo(cf) && cf->HasData() && cf->WriteOnRequest(format, medium);
            if (written) {
                cf->Clear();
                return S_OK;
            }
        }
    }
    return DV_E_FORMATETC;
}

HRESULT TCustomDropMultiSource::DoSetData(const FORMATETC& format, STGMEDIUM& medium) {
    for (int i = 0; i < dataFormats_->Count(); ++i) {
        TCustomDataFormat* df = (*dataFormats_)[i];
        if (df == raw_) continue;
        TClipboardFormats& list = df->CompatibleFormats();
        for (int j = 0; j < list.Count(); ++j) {
            TClipboardFormat* cf = list[j];
            if (!cf->AcceptFormat(format)) continue;
            cf->Clear();
            if (cf->ReadMedium(format, medium) && df->Assign(cf)) {
                ProcessFeedback(cf);
                cf->Clear();
                return S_OK;
            }
        }
    }
    // Any other format is kept as it came, so the source offers it from now
    // on; a format set again replaces what was kept for it.
    TClipboardFormats& rawList = raw_->CompatibleFormats();
    TClipboardFormat* raw = rawList.FindFormatByID(format.cfFormat);
    if (!raw) {
        raw = new TRawClipboardFormat(format);
        rawList.Add(raw);
    }
    if (raw->ReadMedium(format, medium) && raw_->Assign(raw)) return S_OK;
    return E_NOTIMPL;
}

void TCustomDropMultiSource::ProcessFeedback(TClipboardFormat* format) {
    if (auto* paste = dynamic_cast<TPasteSucceededClipboardFormat*>(format)) {
        DoOnPaste(DropEffectToDragResult(paste->Value()),
                  paste->Value() == DROPEFFECT_MOVE && PerformedDropEffect() == DROPEFFECT_MOVE);
    } else if (auto* performed = dynamic_cast<TPerformedDropEffectClipboardFormat*>(format)) {
        if (inOperation_) EndOperation(S_OK, nullptr, performed->Value());
    }
}

bool TCustomDropMultiSource::HasFormat(const FORMATETC& format) {
    for (int i = 0; i < dataFormats_->Count(); ++i)
        if ((*dataFormats_)[i]->SupportsFormat(format)) return true;
    return false;
}

ComPtr<IEnumFORMATETC> TCustomDropMultiSource::GetEnumFormatEtc(DWORD direction) {
    if (direction != DATADIR_GET && direction != DATADIR_SET) return {};
    return ComPtr<IEnumFORMATETC>(new TEnumFormatEtc(this, direction));
}

// ---- TEnumFormatEtc

TEnumFormatEtc::TEnumFormatEtc(TCustomDropMultiSource* source, DWORD direction) {
    const TDataDirections want = direction == DATADIR_GET ? ddRead : ddWrite;
    TDataFormats& formats = source->DataFormats();
    for (int i = 0; i < formats.Count(); ++i) {
        TCustomDataFormat* df = formats[i];
        if (!df->HasData()) continue;
        TClipboardFormats& list = df->CompatibleFormats();
        for (int j = 0; j < list.Count(); ++j) {
            TClipboardFormat* cf = list[j];
            if (!(cf->ClassType().Directions & want)) continue;
            const FORMATETC& f = cf->FormatEtc();
            bool known = std::any_of(formats_.begin(), formats_.end(),
                                     [&](const FORMATETC& g) { return g.cfFormat == f.cfFormat; });
            if (!known) formats_.push_back(f);
        }
    }
}

} // namespace pem
