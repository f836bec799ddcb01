#include "DragDrop.h"

#include "OleClipboardFormats.h"
#include "OleShell.h"
#include "OleTimers.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace pem {

// ---- drag types, results, shift states

TDragResult DropEffectToDragResult(DWORD effect) {
    switch (effect) {
    case DROPEFFECT_NONE:
        return drCancel;
    case DROPEFFECT_COPY:
        return drDropCopy;
    case DROPEFFECT_MOVE:
        return drDropMove;
    case DROPEFFECT_LINK:
        return drDropLink;
    default:
        return drUnknown;
    }
}

bool DropEffectToDragType(DWORD effect, TDragType& dragType) {
    dragType = TDragType::dtCopy;
    if (effect & DROPEFFECT_COPY) return true;
    if (effect & DROPEFFECT_MOVE) {
        dragType = TDragType::dtMove;
        return true;
    }
    if (effect & DROPEFFECT_LINK) {
        dragType = TDragType::dtLink;
        return true;
    }
    return false;
}

DWORD DragTypesToDropEffect(const TDragTypes& types) {
    DWORD e = DROPEFFECT_NONE;
    if (types.Contains(TDragType::dtCopy)) e |= DROPEFFECT_COPY;
    if (types.Contains(TDragType::dtMove)) e |= DROPEFFECT_MOVE;
    if (types.Contains(TDragType::dtLink)) e |= DROPEFFECT_LINK;
    return e;
}

TShiftState KeyStateToShiftState(DWORD keyState) {
    TShiftState s = 0;
    if (keyState & MK_SHIFT) s |= ssShift;
    if (keyState & MK_CONTROL) s |= ssCtrl;
    if (keyState & MK_LBUTTON) s |= ssLeft;
    if (keyState & MK_RBUTTON) s |= ssRight;
    if (keyState & MK_MBUTTON) s |= ssMiddle;
    if (keyState & MK_ALT) s |= ssAlt;
    return s;
}

DWORD ShiftStateToDropEffect(TShiftState shift, DWORD allowed, bool fallBack) {
    DWORD e = DROPEFFECT_NONE;
    if ((shift & ssShift) && (shift & ssCtrl)) {
        e = allowed & DROPEFFECT_LINK;
    } else if (shift & ssCtrl) {
        e = allowed & DROPEFFECT_COPY;
    } else {
        e = allowed & DROPEFFECT_MOVE;
    }
    if (e == DROPEFFECT_NONE && fallBack) {
        if (allowed & DROPEFFECT_COPY) e = DROPEFFECT_COPY;
        else if (allowed & DROPEFFECT_MOVE) e = DROPEFFECT_MOVE;
        else if (allowed & DROPEFFECT_LINK) e = DROPEFFECT_LINK;
    }
    return e;
}

// ---- class references

bool TClipboardFormatClass::InheritsFrom(const TClipboardFormatClass* c) const {
    for (const TClipboardFormatClass* k = this; k; k = k->Parent)
        if (k == c) return true;
    return false;
}

bool TDataFormatClass::InheritsFrom(const TDataFormatClass* c) const {
    for (const TDataFormatClass* k = this; k; k = k->Parent)
        if (k == c) return true;
    return false;
}

// ---- TClipboardFormat

const TClipboardFormatClass& TClipboardFormat::StaticClass() {
    static const TClipboardFormatClass c{"TClipboardFormat", nullptr, nullptr, ddRead, nullptr};
    return c;
}

TClipboardFormat::TClipboardFormat(DWORD mediumMask) {
    formatEtc_.cfFormat = 0;
    formatEtc_.ptd = nullptr;
    formatEtc_.dwAspect = DVASPECT_CONTENT;
    formatEtc_.lindex = -1;
    formatEtc_.tymed = mediumMask;
}

TClipboardFormat::TClipboardFormat(const FORMATETC& format) : formatEtc_(format), idKnown_(true) {}

TClipboardFormat::~TClipboardFormat() = default;

const FORMATETC& TClipboardFormat::FormatEtc() {
    if (!idKnown_) {
        formatEtc_.cfFormat = GetClipboardFormat();
        idKnown_ = true;
    }
    return formatEtc_;
}

bool TClipboardFormat::ReadMedium(const FORMATETC&, const STGMEDIUM&) { return false; }
bool TClipboardFormat::WriteMedium(const FORMATETC&, STGMEDIUM&) { return false; }

CLIPFORMAT TClipboardFormat::GetClipboardFormat() {
    throw Exception(std::string("Internal error: ") + ClassName() + ".GetClipboardFormat needs implementation");
}

void TClipboardFormat::SetClipboardFormat(CLIPFORMAT id) {
    formatEtc_.cfFormat = id;
    idKnown_ = true;
}

std::string TClipboardFormat::GetClipboardFormatName() { return GetClipboardFormatNameA(ClipboardFormat(), 255); }

void TClipboardFormat::SetClipboardFormatName(const std::string&) {
    throw Exception(std::string(ClassName()) + ".ClipboardFormat is read-only");
}

DWORD TClipboardFormat::MediaOffered(IDataObject* data) {
    DWORD result = 0;
    if (!data) return result;
    const DWORD mask = FormatEtc().tymed;
    for (uint64_t bit = 1; bit <= mask; bit <<= 1) {
        if (!(mask & bit)) continue;
        FORMATETC f = FormatEtc();
        f.tymed = static_cast<DWORD>(bit);
        if (data->QueryGetData(&f) == S_OK) result |= static_cast<DWORD>(bit);
    }
    return result;
}

bool TClipboardFormat::HasDataIn(IDataObject* data) {
    if (!data) return false;
    const DWORD mask = FormatEtc().tymed;
    for (uint64_t bit = 1; bit <= mask; bit <<= 1) {
        if (!(mask & bit)) continue;
        FORMATETC f = FormatEtc();
        f.tymed = static_cast<DWORD>(bit);
        if (data->QueryGetData(&f) == S_OK) return true;
    }
    return false;
}

bool TClipboardFormat::AcceptFormat(const FORMATETC& f) {
    const FORMATETC& own = FormatEtc();
    return f.cfFormat == own.cfFormat && f.ptd == nullptr && f.dwAspect == own.dwAspect && (f.tymed & own.tymed);
}

bool TClipboardFormat::GetData(IDataObject* data) {
    Clear();
    if (!data) return false;
    STGMEDIUM medium;
    FORMATETC f = FormatEtc();
    f.tymed = MediaOffered(data);
    if (FAILED(data->GetData(&f, &medium))) return false;
    return GetDataFromMedium(medium);
}

bool TClipboardFormat::GetDataFromMedium(STGMEDIUM& medium) {
    Clear();
    bool result = false;
    try {
        if (medium.tymed & FormatEtc().tymed) result = ReadMedium(FormatEtc(), medium);
    } catch (...) {
        ReleaseStgMedium(&medium);
        throw;
    }
    ReleaseStgMedium(&medium);
    return result;
}

bool TClipboardFormat::SetDataTo(IDataObject* data) {
    if (!data) return false;
    STGMEDIUM medium;
    FORMATETC f = FormatEtc();
    if (!WriteOnRequest(f, medium)) return false;
    HRESULT hr = data->SetData(&f, &medium, TRUE);
    if (FAILED(hr)) ReleaseStgMedium(&medium);
    return SUCCEEDED(hr);
}

bool TClipboardFormat::Assign(TCustomDataFormat*) { return false; }
bool TClipboardFormat::AssignTo(TCustomDataFormat*) { return false; }

bool TClipboardFormat::WriteOnRequest(const FORMATETC& request, STGMEDIUM& medium) {
    medium = STGMEDIUM{};
    const FORMATETC& own = FormatEtc();
    if (request.cfFormat != own.cfFormat || request.dwAspect != own.dwAspect || !(request.tymed & own.tymed))
        return false;
    return WriteMedium(request, medium);
}

void TClipboardFormat::RegisterDataConversion(const TClipboardFormatClass& self, const TDataFormatClass& dataFormat,
                                              int32_t priority) {
    RegisterCompatibleFormat(dataFormat, self, priority, ddRead);
}

void TClipboardFormat::RegisterFormat(const TClipboardFormatClass& cls) {
    if (cls.RegisterConversions) cls.RegisterConversions();
}

// ---- TClipboardFormats

TClipboardFormats::TClipboardFormats(TCustomDataFormat* dataFormat, bool ownsObjects)
    : dataFormat_(dataFormat), owns_(ownsObjects) {}

TClipboardFormats::~TClipboardFormats() { Clear(); }

int TClipboardFormats::Add(TClipboardFormat* format) {
    items_.push_back(format);
    if (owns_ && dataFormat_) format->SetDataFormat(dataFormat_);
    return Count() - 1;
}

void TClipboardFormats::Clear() {
    std::vector<TClipboardFormat*> old;
    old.swap(items_);
    if (owns_)
        for (TClipboardFormat* f : old) delete f;
}

TClipboardFormat* TClipboardFormats::FindFormat(const TClipboardFormatClass& cls) const {
    for (TClipboardFormat* f : items_)
        if (f->ClassType().InheritsFrom(&cls)) return f;
    return nullptr;
}

TClipboardFormat* TClipboardFormats::GetFormat(const TClipboardFormatClass& cls) const {
    TClipboardFormat* f = FindFormat(cls);
    if (!f)
        throw Exception(std::string("Clipboard format ") + cls.Name + " does not exist in " +
                        (dataFormat_ ? dataFormat_->ClassName() : "") + "'s list of copatible formats");
    return f;
}

TClipboardFormat* TClipboardFormats::FindFormatByID(CLIPFORMAT id) const {
    for (TClipboardFormat* f : items_)
        if (f->ClipboardFormat() == id) return f;
    return nullptr;
}

void TClipboardFormats::Assign(const TClipboardFormats& other) {
    if (&other == this) return;
    Clear();
    for (TClipboardFormat* f : other.items_) Add(f);
}

// ---- TCustomDataFormat

const TDataFormatClass& TCustomDataFormat::StaticClass() {
    static const TDataFormatClass c{"TCustomDataFormat", nullptr, nullptr};
    return c;
}

TCustomDataFormat::TCustomDataFormat(TDragDropComponent* owner) : owner_(owner), hasOwner_(true) {
    if (owner_) owner_->DataFormats().Add(this);
}

TCustomDataFormat::TCustomDataFormat(TDragDropComponentRole role) : role_(role), hasOwner_(false) {
    InitialiseDragDrop();
}

TCustomDataFormat::~TCustomDataFormat() {
    delete compatible_;
    if (owner_) owner_->DataFormats().Remove(this);
}

void TCustomDataFormat::Changing() {
    if (OnChanging) OnChanging(this);
}

bool TCustomDataFormat::Assign(TClipboardFormat* source) { return source && source->AssignTo(this); }
bool TCustomDataFormat::AssignTo(TClipboardFormat* dest) { return dest && dest->Assign(this); }

TClipboardFormats& TCustomDataFormat::CompatibleFormats() {
    if (!compatible_) {
        if (hasOwner_ && !owner_) throw std::logic_error("Data format without its owner");
        compatible_ = new TClipboardFormats(this, true);
        if (hasOwner_)
            owner_->InitializeDataFormat(this, *compatible_);
        else
            TDataFormatMap::Instance().FillList(*compatible_, ClassType(), role_);
    }
    return *compatible_;
}

bool TCustomDataFormat::GetData(IDataObject* data) {
    bool result = false;
    TClipboardFormats& list = CompatibleFormats();
    for (int i = 0; NeedsData() && i < list.Count(); ++i) {
        TClipboardFormat* f = list[i];
        f->Clear();
        if (f->GetData(data) && f->HasData() && Assign(f)) {
            f->Clear();
            result = true;
        }
    }
    return result;
}

bool TCustomDataFormat::HasDataIn(IDataObject* data) {
    TClipboardFormats& list = CompatibleFormats();
    for (int i = 0; i < list.Count(); ++i)
        if (list[i]->HasDataIn(data)) return true;
    return false;
}

bool TCustomDataFormat::SupportsFormat(const FORMATETC& format) {
    TClipboardFormats& list = CompatibleFormats();
    for (int i = 0; i < list.Count(); ++i)
        if (list[i]->AcceptFormat(format)) return true;
    return false;
}

// ---- TDataFormats

TDataFormats::~TDataFormats() {
    while (!items_.empty()) {
        TCustomDataFormat* f = items_.back();
        items_.pop_back();
        f->ForgetOwner();
    }
}

int TDataFormats::Add(TCustomDataFormat* format) {
    int i = IndexOf(format);
    if (i >= 0) return i;
    items_.push_back(format);
    return Count() - 1;
}

int TDataFormats::IndexOf(const TCustomDataFormat* format) const {
    auto it = std::find(items_.begin(), items_.end(), format);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TDataFormats::Remove(TCustomDataFormat* format) {
    auto it = std::find(items_.begin(), items_.end(), format);
    if (it != items_.end()) items_.erase(it);
}

// ---- registries and start-up state

namespace {
bool g_shutdown = false;
TDataFormatMap* g_map = nullptr;
TDataFormatClasses* g_classes = nullptr;
} // namespace

bool DragDropShuttingDown() { return g_shutdown; }

TDataFormatClasses& TDataFormatClasses::Instance() {
    if (!g_classes) {
        if (g_shutdown) std::fputs("DragDrop.TDataFormatClasses recreated during shutdown\n", stderr);
        g_classes = new TDataFormatClasses;
    }
    return *g_classes;
}

void TDataFormatClasses::Add(const TDataFormatClass& cls) {
    if (std::find(items_.begin(), items_.end(), &cls) == items_.end()) items_.push_back(&cls);
}

void TDataFormatClasses::Remove(const TDataFormatClass& cls) {
    items_.erase(std::remove(items_.begin(), items_.end(), &cls), items_.end());
}

TDataFormatMap& TDataFormatMap::Instance() {
    if (!g_map) {
        if (g_shutdown) std::fputs("DragDrop.TDataFormatMap recreated during shutdown\n", stderr);
        g_map = new TDataFormatMap;
    }
    return *g_map;
}

void TDataFormatMap::Add(const TDataFormatClass& df, const TClipboardFormatClass& cf, int32_t priority,
                         TDataDirections directions) {
    // One entry per pairing: a repeated registration moves it to the end
    // and joins the directions.
    Entry entry{&df, &cf, 0, directions};
    auto found = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) {
        return e.DataFormat->InheritsFrom(&df) && e.ClipboardFormat->InheritsFrom(&cf);
    });
    if (found != entries_.end()) {
        entry = *found;
        entry.Directions |= directions;
        entries_.erase(found);
    }
    if (directions & ddWrite) entry.Priority = priority;
    entries_.push_back(entry);

    // Move the entry into the run of its data format class, after the last
    // entry of lower priority (before older entries of the same priority).
    const TDataFormatClass* cls = entries_.back().DataFormat;
    int j = static_cast<int>(entries_.size()) - 2;
    while (j >= 0 && entries_[static_cast<size_t>(j)].DataFormat != cls) --j;
    if (j < 0) return;
    int k = j;
    while (k >= 0 && entries_[static_cast<size_t>(k)].DataFormat == cls &&
           !(entries_[static_cast<size_t>(k)].Priority < entry.Priority))
        --k;
    // k is the entry of lower priority, or the entry before the run.
    Entry moving = entries_.back();
    entries_.pop_back();
    entries_.insert(entries_.begin() + (k + 1), moving);
}

void TDataFormatMap::FillList(TClipboardFormats& list, const TDataFormatClass& df, TDragDropComponentRole role) const {
    list.Clear();
    const TDataDirections need = role == TDragDropComponentRole::Source ? ddWrite : ddRead;
    for (const Entry& e : entries_) {
        if (!e.DataFormat->InheritsFrom(&df)) continue;
        if (!((e.Directions | e.ClipboardFormat->Directions) & need)) continue;
        if (!e.ClipboardFormat->Create) continue;
        list.Add(e.ClipboardFormat->Create());
    }
}

void RegisterDataFormat(const TDataFormatClass& cls) {
    if (g_shutdown) return;
    TDataFormatClasses::Instance().Add(cls);
    if (cls.RegisterCompatibleFormats) cls.RegisterCompatibleFormats();
}

void RegisterCompatibleFormat(const TDataFormatClass& df, const TClipboardFormatClass& cf, int32_t priority,
                              TDataDirections directions) {
    if (g_shutdown) return;
    TDataFormatMap::Instance().Add(df, cf, priority, directions);
}

namespace {
bool g_oleStarted = false;
IMalloc* g_malloc = nullptr;
} // namespace

void InitialiseDragDropCore() {
    g_shutdown = false;
    g_oleStarted = SUCCEEDED(OleInitialize());
    SHGetMalloc(&g_malloc);
}

void ShutdownDragDrop() {
    g_shutdown = true;
    delete g_map;
    g_map = nullptr;
    if (g_classes) {
        while (g_classes->Count() > 0) g_classes->Remove(*(*g_classes)[g_classes->Count() - 1]);
        delete g_classes;
        g_classes = nullptr;
    }
    if (g_malloc) g_malloc->Release();
    g_malloc = nullptr;
    if (g_oleStarted) OleUninitialize();
    g_oleStarted = false;
}

// ---- components

HRESULT TInterfacedComponent::GetInterface(REFIID, void** out) {
    if (out) *out = nullptr;
    return E_NOINTERFACE;
}

TDragDropComponent::TDragDropComponent() : dataFormats_(new TDataFormats) { InitialiseDragDrop(); }
TDragDropComponent::~TDragDropComponent() { delete dataFormats_; }

void TDragDropComponent::InitializeDataFormat(TCustomDataFormat*, TClipboardFormats& list) { list.Clear(); }

// ---- raw formats

const TClipboardFormatClass& TRawClipboardFormat::StaticClass() {
    static const TClipboardFormatClass c{
        "TRawClipboardFormat", &TClipboardFormat::StaticClass(),
        []() -> TClipboardFormat* {
            throw Exception("The TRawClipboardFormat class can not be instantiated with the default constructor");
        },
        ddRead, nullptr};
    return c;
}

TRawClipboardFormat::TRawClipboardFormat(const FORMATETC& format) : TClipboardFormat(format) {}

TRawClipboardFormat::~TRawClipboardFormat() { ClearData(); }

void TRawClipboardFormat::ClearData() { ReleaseStgMedium(&medium_); }

bool TRawClipboardFormat::ReadMedium(const FORMATETC&, const STGMEDIUM& medium) {
    ClearData();
    if (FAILED(CopyStgMedium(&medium, &medium_))) return false;
    if (medium_.tymed == TYMED_ISTREAM && medium_.pstm) medium_.pstm->Seek(0, STREAM_SEEK_SET, nullptr);
    return true;
}

bool TRawClipboardFormat::WriteMedium(const FORMATETC&, STGMEDIUM& medium) {
    return SUCCEEDED(CopyStgMedium(&medium_, &medium));
}

void TRawClipboardFormat::SetClipboardFormatName(const std::string& name) {
    UINT id = RegisterClipboardFormatA(name);
    if (id == 0 || id >= 65536) throw Exception("Clipboard format " + name + " could not be registered");
    SetClipboardFormat(static_cast<CLIPFORMAT>(id));
}

bool TRawClipboardFormat::Assign(TCustomDataFormat* source) { return dynamic_cast<TRawDataFormat*>(source); }
bool TRawClipboardFormat::AssignTo(TCustomDataFormat* dest) { return dynamic_cast<TRawDataFormat*>(dest); }

const TDataFormatClass& TRawDataFormat::StaticClass() {
    static const TDataFormatClass c{"TRawDataFormat", &TCustomDataFormat::StaticClass(), nullptr};
    return c;
}

void TRawDataFormat::Clear() {
    Changing();
    TClipboardFormats& list = CompatibleFormats();
    for (int i = 0; i < list.Count(); ++i)
        if (auto* raw = dynamic_cast<TRawClipboardFormat*>(list[i])) raw->ClearData();
}

bool TRawDataFormat::HasData() {
    TClipboardFormats& list = CompatibleFormats();
    for (int i = 0; i < list.Count(); ++i)
        if (list[i]->HasData()) return true;
    return false;
}

bool TRawDataFormat::NeedsData() {
    TClipboardFormats& list = CompatibleFormats();
    for (int i = 0; i < list.Count(); ++i)
        if (!list[i]->HasData()) return true;
    return false;
}

// ---- names

std::string GetClipboardFormatNameStr(CLIPFORMAT id) {
    static const char* const kStandard[] = {
        "CF_TEXT", "CF_BITMAP", "CF_METAFILEPICT", "CF_SYLK",        "CF_DIF",    "CF_TIFF",
        "CF_OEMTEXT", "CF_DIB", "CF_PALETTE",      "CF_PENDATA",     "CF_RIFF",   "CF_WAVE",
        "CF_UNICODETEXT", "CF_ENHMETAFILE", "CF_HDROP", "CF_LOCALE", "CF_DIBV5", "CF_MAX_XP"};
    if (id >= 1 && id <= 18) return kStandard[id - 1];
    switch (id) {
    case CF_OWNERDISPLAY:
        return "CF_OWNERDISPLAY";
    case CF_DSPTEXT:
        return "CF_DSPTEXT";
    case CF_DSPBITMAP:
        return "CF_DSPBITMAP";
    case CF_DSPMETAFILEPICT:
        return "CF_DSPMETAFILEPICT";
    case CF_DSPENHMETAFILE:
        return "CF_DSPENHMETAFILE";
    default:
        return GetClipboardFormatNameA(id, 255);
    }
}

// ---- drag-start detection

TDragStartDecider::TDecision TDragStartDecider::Feed(const TInputMessage& m) {
    if (m.timedOut) return Drag; // held still long enough
    const UINT msg = m.message;
    if ((msg >= WM_LBUTTONDOWN && msg <= WM_LBUTTONUP) || (msg >= WM_RBUTTONDOWN && msg <= WM_RBUTTONUP) ||
        (msg >= WM_MBUTTONDOWN && msg <= WM_MBUTTONUP))
        return NoDrag;
    switch (msg) {
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
        return NoDrag;
    case WM_QUIT:
        quit_ = true;
        quitCode_ = static_cast<int>(m.wParam);
        return NoDrag;
    case WM_KEYDOWN:
        return m.wParam == VK_ESCAPE ? NoDrag : Undecided;
    case WM_MOUSEMOVE:
        if (!PtInRect(dragRect_, m.pt) && static_cast<int32_t>(m.time - (start_ + 200)) >= 0) return Drag;
        return Undecided;
    default:
        return Undecided;
    }
}

bool DetectDragStart(HWND window) {
    POINT pt;
    GetCursorPos(&pt);
    return DetectDragStartAt(window, pt);
}

bool DetectDragStartAt(HWND window, POINT pt) { return DetectDragStartLoop(window, pt); }

bool DetectDragStartLoop(HWND window, POINT pt) {
    if (!window) return false;
    if (!PtInRect(window->WindowRect(), pt) && PtInRect(window->ClientRect(), pt)) pt = window->ClientToScreen(pt);
    if (GetKeyState(VK_LBUTTON) >= 0 && GetKeyState(VK_RBUTTON) >= 0) return false;
    const RECT dragRect = InflateRect(RECT{pt.x, pt.y, pt.x, pt.y}, GetSystemMetrics(SM_CXDRAG),
                                      GetSystemMetrics(SM_CYDRAG));
    TDragStartDecider decider(dragRect, timeGetTime());
    if (!SetCapture(window) || GetCapture() != window) return false;
    bool result = false;
    for (;;) {
        if (GetCapture() != window) break;
        TDragStartDecider::TDecision d = decider.Feed(WindowSystem().WaitInput(500));
        if (d == TDragStartDecider::Undecided) continue;
        result = d == TDragStartDecider::Drag;
        break;
    }
    if (decider.QuitSeen()) PostQuitMessage(decider.QuitCode());
    if (GetCapture() == window) ReleaseCapture();
    return result;
}

bool ClientOffset(HWND window, POINT clientPoint, POINT& offset) {
    if (!window) return false;
    POINT screen = window->ClientToScreen(clientPoint);
    RECT r = window->WindowRect();
    offset = {screen.x - r.left, screen.y - r.top};
    return true;
}

} // namespace pem
