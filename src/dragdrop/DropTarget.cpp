#include "DropTarget.h"

#include <algorithm>

namespace pem {

// ---- TWinControlProxy

TWinControlProxy::TWinControlProxy(TCustomDropTarget* target, HWND control) : control_(control) {
    RegisterDragDrop(control_, static_cast<IDropTarget*>(target));
}

TWinControlProxy::~TWinControlProxy() {
    if (control_ && control_->HandleAllocated()) RevokeDragDrop(control_);
}

// ---- TCustomDropTarget

TCustomDropTarget::TCustomDropTarget() {
    // The blank image that stands for the cursor over an image-list drag.
    auto blank = std::make_shared<Bitmap>();
    blank->width = blank->height = 32;
    blank->pixels.assign(32 * 32, 0xFFFFFFFFu);
    cursorImages_.BkColor = 0x00FFFFFFu;
    cursorImages_.Add(blank);
    timer_.OnTimer = [this] { AutoScrollTick(); };
    AddWindowDestroyedListener(this, [this](HWND w) { WindowGone(w); });
}

TCustomDropTarget::~TCustomDropTarget() {
    RemoveWindowDestroyedListener(this);
    timer_.SetEnabled(false);
    dataObject_.Reset();
    helper_.Reset();
    UnregisterTarget(nullptr);
}

HRESULT TCustomDropTarget::GetInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IUnknown::iid || iid == IDropTarget::iid) {
        *out = static_cast<IDropTarget*>(this);
        return S_OK;
    }
    return TDragDropComponent::GetInterface(iid, out);
}

void TCustomDropTarget::WindowGone(HWND w) {
    for (auto& p : proxies_)
        if (p->Control() == w) p->Detach();
    proxies_.erase(std::remove_if(proxies_.begin(), proxies_.end(), [](const auto& p) { return !p->Control(); }),
                   proxies_.end());
    targets_.erase(std::remove(targets_.begin(), targets_.end(), w), targets_.end());
    if (currentTarget_ == w) currentTarget_ = nullptr;
    if (target_ == w) target_ = nullptr;
}

void TCustomDropTarget::SetShowImage(bool show) {
    showImage_ = show;
    if (helper_)
        helper_->Show(show ? TRUE : FALSE);
    else if (imageListDrag_)
        ImageList_DragShowNolock(show);
}

void TCustomDropTarget::SetTarget(HWND control) {
    if (MultiTarget) UnregisterTarget(nullptr);
    target_ = control;
    if (control) RegisterTargetControl(control);
}

void TCustomDropTarget::RegisterTargetControl(HWND control) {
    if (!control || std::find(targets_.begin(), targets_.end(), control) != targets_.end()) return;
    if (!MultiTarget) UnregisterTarget(nullptr);
    // After the last registered window that contains it, else at the end.
    int after = -1;
    for (int i = 0; i < static_cast<int>(targets_.size()); ++i)
        if (control->IsWithin(targets_[static_cast<size_t>(i)])) after = i;
    if (after >= 0)
        targets_.insert(targets_.begin() + after + 1, control);
    else
        targets_.push_back(control);
    if (control->IsRichEdit()) RevokeDragDrop(control); // its own drops give way
    if (AutoRegister) {
        proxies_.push_back(std::make_unique<TWinControlProxy>(this, control));
    } else {
        HRESULT hr = RegisterDragDrop(control, static_cast<IDropTarget*>(this));
        if (FAILED(hr)) {
            targets_.erase(std::remove(targets_.begin(), targets_.end(), control), targets_.end());
            OleCheck(hr);
        }
    }
}

void TCustomDropTarget::UnregisterTarget(HWND control) {
    if (!control) {
        while (!targets_.empty()) UnregisterTarget(targets_.back());
        return;
    }
    auto it = std::find(targets_.begin(), targets_.end(), control);
    if (it == targets_.end()) return;
    targets_.erase(it);
    if (currentTarget_ == control) currentTarget_ = nullptr;
    if (AutoRegister) {
        for (auto p = proxies_.rbegin(); p != proxies_.rend(); ++p)
            if ((*p)->Control() == control) {
                proxies_.erase(std::next(p).base());
                break;
            }
    } else if (control->HandleAllocated() && RegisteredDropTarget(control) == static_cast<IDropTarget*>(this)) {
        RevokeDragDrop(control);
    }
}

// ---- drag calls

void TCustomDropTarget::ResetSamples(POINT pt) {
    DWORD now = GetTickCount();
    older_ = newer_ = Sample{now, pt, true};
}

bool TCustomDropTarget::MouseRests(POINT pt) {
    const DWORD now = GetTickCount();
    bool rests = true;
    if (older_.valid) {
        const int64_t elapsed = static_cast<int64_t>(now - older_.time);
        if (elapsed >= 10) {
            const int64_t dx = pt.x - older_.pt.x, dy = pt.y - older_.pt.y;
            // The square of the speed in pixels per second.
            const int64_t speed2 = (dx * dx + dy * dy) * 1000000 / (elapsed * elapsed);
            rests = speed2 <= 20 * 20;
        }
    }
    if (!newer_.valid) {
        newer_ = Sample{now, pt, true};
    } else if (now - newer_.time >= 10) {
        older_ = newer_;
        newer_ = Sample{now, pt, true};
    }
    return rests;
}

HRESULT TCustomDropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    if (Enabled) {
        ClearData();
        dataObject_ = ComPtr<IDataObject>(data);
    }
    currentTarget_ = FindTarget(pt);
    if (!currentTarget_) {
        SetShowImage(false);
        AutoScroll = false;
        lastPoint_ = pt;
    } else {
        lastPoint_ = currentTarget_->ScreenToClient(pt);
    }
    ResetSamples(lastPoint_);

    if (!Enabled || !data || !HasValidFormats(data)) {
        dataObject_.Reset();
        *effect = DROPEFFECT_NONE;
    } else {
        PrepareAutoScroll();
        if (GetDataOnEnter && !StartTransfer(*effect)) {
            dataObject_.Reset();
            *effect = DROPEFFECT_NONE;
            return DV_E_CLIPFORMAT;
        }
        TShiftState shift = KeyStateToShiftState(keyState & 0xFFFF);
        *effect = GetValidDropEffect(shift, lastPoint_, *effect);
        DoEnter(shift, lastPoint_, *effect);
        if ((*effect & 0x7FFFFFFFu) == 0) dataObject_.Reset();
    }

    if (showImage_) {
        HRESULT hr = CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER, IDropTargetHelper::iid,
                                      reinterpret_cast<void**>(helper_.Put()));
        POINT p = pt;
        if (SUCCEEDED(hr) && helper_ && FAILED(helper_->DragEnter(currentTarget_, data, &p, *effect))) helper_.Reset();
        if (!helper_) {
            POINT at, hot;
            if (ImageList_GetDragImage(&at, &hot)) {
                imageHotSpot_ = hot;
                ImageList_SetDragCursorImage(&cursorImages_, 0, hot.x, hot.y);
                POINT off;
                if (currentTarget_ && ClientOffset(currentTarget_, lastPoint_, off)) {
                    imageListDrag_ = ImageList_DragEnter(currentTarget_, off.x, off.y);
                }
            }
        }
    }
    return S_OK;
}

HRESULT TCustomDropTarget::DragOver(DWORD keyState, POINTL pt, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    if (!currentTarget_) {
        *effect = DROPEFFECT_NONE;
        return E_UNEXPECTED;
    }
    const POINT client = currentTarget_->ScreenToClient(pt);
    PrepareAutoScroll();
    const TShiftState shift = KeyStateToShiftState(keyState & 0xFFFF);
    *effect = GetValidDropEffect(shift, client, *effect);
    HRESULT hr = S_OK;
    if (!Enabled || !dataObject_)
        hr = DV_E_CLIPFORMAT;
    else
        DoDragOver(shift, client, *effect);

    const bool rests = MouseRests(client);
    if (*effect & DROPEFFECT_SCROLL) {
        if (!timer_.Enabled()) timer_.SetInterval(50);
        timer_.SetEnabled(rests);
    } else {
        timer_.SetEnabled(false);
    }

    POINT p = pt;
    if (helper_) {
        helper_->DragOver(&p, *effect);
    } else if (imageListDrag_ && !(client == lastPoint_)) {
        POINT off;
        if (ClientOffset(currentTarget_, client, off)) ImageList_DragMove(off.x, off.y);
    }
    lastPoint_ = client;
    // Where the drop is refused the answer is no effect, so no drop cursor
    // shows there.
    if (hr != S_OK) *effect = DROPEFFECT_NONE;
    return hr;
}

HRESULT TCustomDropTarget::DragLeave() {
    timer_.SetEnabled(false);
    struct Done {
        TCustomDropTarget* t;
        ~Done() {
            t->currentTarget_ = nullptr;
            t->helper_.Reset();
            t->imageListDrag_ = false;
        }
    } done{this};
    if (!asyncTransfer_) {
        ClearData();
        dataObject_.Reset();
    }
    if (helper_)
        helper_->DragLeave();
    else if (imageListDrag_)
        ImageList_DragLeave(currentTarget_);
    DoLeave();
    return S_OK;
}

HRESULT TCustomDropTarget::Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    timer_.SetEnabled(false);
    HRESULT result = S_OK;
    if (!Enabled || !dataObject_) {
        *effect = DROPEFFECT_NONE;
    } else {
        try {
            const TShiftState shift = KeyStateToShiftState(keyState & 0xFFFF);
            if (currentTarget_) lastPoint_ = currentTarget_->ScreenToClient(pt);
            *effect = GetValidDropEffect(shift, lastPoint_, *effect);
            if (!GetDataOnEnter && !StartTransfer(*effect))
                *effect = DROPEFFECT_NONE;
            else if (!asyncTransfer_)
                DoDrop(shift, lastPoint_, *effect);
        } catch (...) {
            // The drop failed; what follows still runs, so the next drag
            // finds the target as fresh as any other.
            *effect = DROPEFFECT_NONE;
            result = E_UNEXPECTED;
            ReportHandlerException(std::current_exception());
        }
    }
    POINT p = pt;
    if (helper_)
        helper_->Drop(data, &p, *effect);
    else if (imageListDrag_)
        ImageList_DragLeave(currentTarget_);
    imageListDrag_ = false;
    if (!asyncTransfer_) {
        try {
            ClearData();
        } catch (...) {
        }
        dataObject_.Reset();
        currentTarget_ = nullptr;
    }
    helper_.Reset();
    return result;
}

// ---- operations

void TCustomDropTarget::DoEnter(TShiftState shift, POINT pt, DWORD& effect) {
    if (OnEnter) OnEnter(this, shift, pt, effect);
}

void TCustomDropTarget::DoDragOver(TShiftState shift, POINT pt, DWORD& effect) {
    if (OnDragOver) OnDragOver(this, shift, pt, effect);
}

void TCustomDropTarget::DoDrop(TShiftState shift, POINT pt, DWORD& effect) {
    if (OnDrop) OnDrop(this, shift, pt, effect);
    if (effect != DROPEFFECT_NONE) {
        DWORD performed = (OptimizedMove && effect == DROPEFFECT_MOVE) ? DROPEFFECT_COPY : effect;
        if (SetPerformedDropEffect(performed)) effect = performed;
    }
}

void TCustomDropTarget::DoLeave() {
    if (OnLeave) OnLeave(this);
}

void TCustomDropTarget::DoScroll(POINT pt, TScrollDirections& scroll, int& interval) {
    if (OnScroll) OnScroll(this, pt, scroll, interval);
}

bool TCustomDropTarget::StartTransfer(DWORD) {
    ClearData();
    return DoGetData();
}

DWORD TCustomDropTarget::GetValidDropEffect(TShiftState shift, POINT pt, DWORD offered) {
    DWORD effect = DragTypesToDropEffect(DragTypes) & offered;
    if (!OnGetDropEffect) effect = ShiftStateToDropEffect(shift, effect, true);
    if (AutoScroll && scrollBars_) {
        if (PtInRect(noScroll_, pt))
            effect &= ~DROPEFFECT_SCROLL;
        else
            effect |= DROPEFFECT_SCROLL;
    }
    if (OnGetDropEffect) OnGetDropEffect(this, shift, pt, effect);
    return effect;
}

DWORD TCustomDropTarget::GetPreferredDropEffect() {
    if (!dataObject_) return DROPEFFECT_NONE;
    TPreferredDropEffectClipboardFormat f;
    return f.GetData(dataObject_.Get()) ? f.Value() : DROPEFFECT_NONE;
}

bool TCustomDropTarget::SetPerformedDropEffect(DWORD effect) {
    if (!dataObject_) return false;
    TPerformedDropEffectClipboardFormat f;
    f.SetValue(effect);
    return f.SetDataTo(dataObject_.Get());
}

bool TCustomDropTarget::SetPasteSucceeded(DWORD effect) {
    if (!dataObject_) return false;
    TPasteSucceededClipboardFormat f;
    f.SetValue(effect);
    return f.SetDataTo(dataObject_.Get());
}

HWND TCustomDropTarget::FindTarget(POINT screen) {
    for (HWND w = WindowFromPoint(screen); w; w = w->Parent())
        if (std::find(targets_.begin(), targets_.end(), w) != targets_.end()) return w;
    return nullptr;
}

void TCustomDropTarget::PrepareAutoScroll() {
    scrollBars_ = 0;
    if (!AutoScroll || !currentTarget_) return;
    const DWORD style = currentTarget_->Style();
    if (style & WS_HSCROLL) scrollBars_ |= 1;
    if (style & WS_VSCROLL) scrollBars_ |= 2;
    if (!scrollBars_) return;
    RECT r = currentTarget_->ClientRect();
    if (scrollBars_ & 2) {
        int band = 2 * GetSystemMetrics(SM_CYHSCROLL);
        r.top += band;
        r.bottom -= band;
    }
    if (scrollBars_ & 1) {
        int band = 2 * GetSystemMetrics(SM_CXHSCROLL);
        r.left += band;
        r.right -= band;
    }
    noScroll_ = r;
}

void TCustomDropTarget::HideImage() {
    if (helper_)
        helper_->Show(FALSE);
    else if (imageListDrag_)
        ImageList_DragLeave(currentTarget_);
}

void TCustomDropTarget::ShowImageAgain() {
    if (helper_) {
        helper_->Show(TRUE);
    } else if (imageListDrag_) {
        POINT off;
        if (ClientOffset(currentTarget_, lastPoint_, off)) ImageList_DragEnter(currentTarget_, off.x, off.y);
    }
}

void TCustomDropTarget::AutoScrollTick() {
    timer_.SetEnabled(false);
    int interval = 50;
    if (!currentTarget_ || PtInRect(noScroll_, lastPoint_) || !MouseRests(lastPoint_)) return;
    TScrollDirections scroll = 0;
    SCROLLINFO si;
    if ((scrollBars_ & 2) && GetScrollInfo(currentTarget_, SB_VERT, &si)) {
        if (lastPoint_.y < noScroll_.top) {
            if (si.nPos > si.nMin) scroll |= sdUp;
        } else if (lastPoint_.y >= noScroll_.bottom) {
            if (static_cast<int64_t>(si.nPos) + si.nPage <= si.nMax) scroll |= sdDown;
        }
    }
    if ((scrollBars_ & 1) && GetScrollInfo(currentTarget_, SB_HORZ, &si)) {
        if (lastPoint_.x < noScroll_.left) {
            if (si.nPos > si.nMin) scroll |= sdLeft;
        } else if (lastPoint_.x >= noScroll_.right) {
            if (static_cast<int64_t>(si.nPos) + si.nPage <= si.nMax) scroll |= sdRight;
        }
    }
    if (!scroll) return;
    DoScroll(lastPoint_, scroll, interval);
    if (!scroll) return;
    HideImage();
    if (scroll & sdUp) SendMessage(currentTarget_, WM_VSCROLL, SB_LINEUP, 0);
    if (scroll & sdDown) SendMessage(currentTarget_, WM_VSCROLL, SB_LINEDOWN, 0);
    if (scroll & sdLeft) SendMessage(currentTarget_, WM_HSCROLL, SB_LINELEFT, 0);
    if (scroll & sdRight) SendMessage(currentTarget_, WM_HSCROLL, SB_LINERIGHT, 0);
    ShowImageAgain();
    timer_.SetInterval(static_cast<unsigned>(std::max(0, interval)));
    timer_.SetEnabled(true);
}

DWORD TCustomDropTarget::PasteFromClipboard() {
    currentTarget_ = nullptr;
    ComPtr<IDataObject> clip;
    OleCheck(OleGetClipboard(clip.Put()));
    dataObject_ = clip;
    DWORD effect = GetPreferredDropEffect();
    if (!StartTransfer(effect)) effect = DROPEFFECT_NONE;
    try {
        // A paste is a drop at no position that tells the source it succeeded.
        DoDrop(0, POINT{0, 0}, effect);
        if (effect != DROPEFFECT_NONE) SetPasteSucceeded(effect);
    } catch (...) {
        dataObject_.Reset();
        throw;
    }
    dataObject_.Reset();
    return effect;
}

bool TCustomDropTarget::CanPasteFromClipboard() {
    ComPtr<IDataObject> clip;
    return SUCCEEDED(OleGetClipboard(clip.Put())) && clip && HasValidFormats(clip.Get());
}

bool TCustomDropTarget::AssignFrom(IDataObject* data) {
    if (!data) return false;
    dataObject_ = ComPtr<IDataObject>(data);
    bool ok = StartTransfer(DROPEFFECT_COPY);
    if (!asyncTransfer_) dataObject_.Reset();
    return ok;
}

// ---- TCustomDropMultiTarget

TCustomDropMultiTarget::TCustomDropMultiTarget() { DragTypes = TDragTypes{TDragType::dtCopy, TDragType::dtLink}; }

TCustomDropMultiTarget::~TCustomDropMultiTarget() {
    while (dataFormats_->Count() > 0) delete (*dataFormats_)[dataFormats_->Count() - 1];
}

void TCustomDropMultiTarget::InitializeDataFormat(TCustomDataFormat* format, TClipboardFormats& list) {
    TDataFormatMap::Instance().FillList(list, format->ClassType(), TDragDropComponentRole::Target);
}

bool TCustomDropMultiTarget::HasValidFormats(IDataObject* data) {
    if (!data) return false;
    ComPtr<IEnumFORMATETC> en;
    if (FAILED(data->EnumFormatEtc(DATADIR_GET, en.Put())) || !en) return false;
    en->Reset();
    FORMATETC f;
    ULONG got = 0;
    while (SUCCEEDED(en->Next(1, &f, &got)) && got >= 1) {
        for (int i = 0; i < dataFormats_->Count(); ++i) {
            TCustomDataFormat* df = (*dataFormats_)[i];
            if (!df->SupportsFormat(f) || !df->HasDataIn(data)) continue;
            bool accept = true;
            DoAcceptFormat(df, accept);
            if (accept) return true;
        }
        got = 0;
    }
    return false;
}

bool TCustomDropMultiTarget::DoGetData() {
    bool result = false;
    IDataObject* data = dataObject_.Get();
    if (!data) return false;
    for (int i = 0; i < dataFormats_->Count(); ++i) {
        TCustomDataFormat* df = (*dataFormats_)[i];
        if (!df->HasDataIn(data)) continue;
        bool accept = true;
        DoAcceptFormat(df, accept);
        if (accept && df->GetData(data)) result = true;
    }
    return result;
}

void TCustomDropMultiTarget::ClearData() {
    if (asyncTransfer_) throw Exception("Can't clear data while async data transfer is in progress");
    for (int i = 0; i < dataFormats_->Count(); ++i) (*dataFormats_)[i]->Clear();
}

void TCustomDropMultiTarget::DoAcceptFormat(TCustomDataFormat* format, bool& accept) {
    if (OnAcceptFormat) OnAcceptFormat(this, format, accept);
}

} // namespace pem
