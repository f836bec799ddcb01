#include "OleDataObjects.h"

#include <algorithm>
#include <cstring>

namespace pem {

// ---- enumerator

HRESULT TFormatEnumerator::Next(ULONG celt, FORMATETC* rgelt, ULONG* fetched) {
    ULONG n = 0;
    while (n < celt && cursor_ < formats_.size()) rgelt[n++] = formats_[cursor_++];
    if (fetched) *fetched = n;
    return n == celt ? S_OK : S_FALSE;
}

HRESULT TFormatEnumerator::Skip(ULONG celt) {
    if (cursor_ + celt > formats_.size()) {
        cursor_ = formats_.size();
        return S_FALSE;
    }
    cursor_ += celt;
    return S_OK;
}

HRESULT TFormatEnumerator::Reset() {
    cursor_ = 0;
    return S_OK;
}

HRESULT TFormatEnumerator::Clone(IEnumFORMATETC** out) {
    if (!out) return E_POINTER;
    *out = new TFormatEnumerator(formats_, cursor_);
    (*out)->AddRef();
    return S_OK;
}

ComPtr<IEnumFORMATETC> CreateFormatEnumerator(std::vector<FORMATETC> formats) {
    return ComPtr<IEnumFORMATETC>(new TFormatEnumerator(std::move(formats), 0));
}

bool MediumBytes(const STGMEDIUM& medium, std::vector<uint8_t>& out) {
    out.clear();
    if (medium.tymed == TYMED_HGLOBAL) {
        out = GlobalBytes(medium.hGlobal);
        return true;
    }
    if (medium.tymed == TYMED_ISTREAM && medium.pstm) {
        if (FAILED(medium.pstm->Seek(0, STREAM_SEEK_SET, nullptr))) return false;
        uint8_t buf[65536];
        for (;;) {
            ULONG got = 0;
            HRESULT hr = medium.pstm->Read(buf, sizeof buf, &got);
            out.insert(out.end(), buf, buf + got);
            if (FAILED(hr) || got == 0) break;
        }
        return true;
    }
    return false;
}

// ---- data objects of bytes

HRESULT TBytesDataObject::QueryGetData(const FORMATETC* f) {
    if (!f) return E_INVALIDARG;
    std::vector<FORMATETC> offers = Offers();
    auto it = std::find_if(offers.begin(), offers.end(), [&](const FORMATETC& o) { return o.cfFormat == f->cfFormat; });
    if (it == offers.end()) return DV_E_FORMATETC;
    if (f->ptd || f->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!(f->tymed & it->tymed)) return DV_E_TYMED;
    return S_OK;
}

HRESULT TBytesDataObject::GetData(const FORMATETC* f, STGMEDIUM* m) {
    if (!m) return E_INVALIDARG;
    *m = STGMEDIUM{};
    HRESULT hr = QueryGetData(f);
    if (FAILED(hr)) return hr;
    std::vector<uint8_t> bytes;
    if (!Render(f->cfFormat, bytes)) return DV_E_FORMATETC;
    std::vector<FORMATETC> offers = Offers();
    DWORD media = 0;
    for (const FORMATETC& o : offers)
        if (o.cfFormat == f->cfFormat) media = o.tymed;
    const DWORD can = f->tymed & media;
    HGLOBAL h = GlobalFromVector(std::move(bytes));
    if (!h) return E_OUTOFMEMORY;
    if (can & TYMED_HGLOBAL) {
        m->tymed = TYMED_HGLOBAL;
        m->hGlobal = h;
        return S_OK;
    }
    if (can & TYMED_ISTREAM) {
        hr = CreateStreamOnHGlobal(h, TRUE, &m->pstm);
        if (FAILED(hr)) {
            GlobalFree(h);
            return hr;
        }
        m->tymed = TYMED_ISTREAM;
        return S_OK;
    }
    GlobalFree(h);
    return DV_E_TYMED;
}

HRESULT TBytesDataObject::GetCanonicalFormatEtc(const FORMATETC*, FORMATETC* out) {
    if (out) out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

HRESULT TBytesDataObject::SetData(const FORMATETC* f, STGMEDIUM* m, BOOL release) {
    if (!f || !m) return E_INVALIDARG;
    std::vector<uint8_t> bytes;
    if (!MediumBytes(*m, bytes)) return DV_E_TYMED;
    Take(f->cfFormat, std::move(bytes));
    if (release) ReleaseStgMedium(m);
    return S_OK;
}

HRESULT TBytesDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
    if (!out) return E_INVALIDARG;
    *out = CreateFormatEnumerator(direction == DATADIR_GET ? Offers() : std::vector<FORMATETC>{}).Detach();
    return S_OK;
}

HRESULT TBytesDataObject::EnumDAdvise(IUnknown** out) {
    if (out) *out = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

// ---- static data object

void TStaticDataObject::Set(CLIPFORMAT id, std::vector<uint8_t> bytes, DWORD media) {
    for (Entry& e : entries_)
        if (e.format.cfFormat == id) {
            e.bytes = std::move(bytes);
            e.format.tymed = media;
            return;
        }
    FORMATETC f;
    f.cfFormat = id;
    f.tymed = media;
    entries_.push_back({f, std::move(bytes)});
}

void TStaticDataObject::Set(CLIPFORMAT id, const std::string& bytes, DWORD media) {
    Set(id, std::vector<uint8_t>(bytes.begin(), bytes.end()), media);
}

const TStaticDataObject::Entry* TStaticDataObject::Find(CLIPFORMAT id) const {
    for (const Entry& e : entries_)
        if (e.format.cfFormat == id) return &e;
    return nullptr;
}

std::vector<FORMATETC> TStaticDataObject::Offers() const {
    std::vector<FORMATETC> out;
    for (const Entry& e : entries_) out.push_back(e.format);
    return out;
}

bool TStaticDataObject::Render(CLIPFORMAT id, std::vector<uint8_t>& out) {
    const Entry* e = Find(id);
    if (!e) return false;
    out = e->bytes;
    return true;
}

HRESULT TStaticDataObject::GetData(const FORMATETC* format, STGMEDIUM* medium) {
    ++GetDataCalls;
    return TBytesDataObject::GetData(format, medium);
}

HRESULT TStaticDataObject::SetData(const FORMATETC* format, STGMEDIUM* medium, BOOL release) {
    ++SetDataCalls;
    return TBytesDataObject::SetData(format, medium, release);
}

ComPtr<TStaticDataObject> TStaticDataObject::Snapshot(IDataObject* source) {
    auto snap = MakeCom<TStaticDataObject>();
    ComPtr<IEnumFORMATETC> en;
    if (!source || FAILED(source->EnumFormatEtc(DATADIR_GET, en.Put())) || !en) return snap;
    FORMATETC f;
    ULONG got = 0;
    while (en->Next(1, &f, &got) == S_OK && got == 1) {
        if (snap->Find(f.cfFormat) || f.ptd || !(f.tymed & (TYMED_HGLOBAL | TYMED_ISTREAM))) continue;
        FORMATETC ask = f;
        ask.tymed &= TYMED_HGLOBAL | TYMED_ISTREAM;
        STGMEDIUM m;
        if (FAILED(source->GetData(&ask, &m))) continue;
        std::vector<uint8_t> bytes;
        if (MediumBytes(m, bytes)) snap->Set(f.cfFormat, std::move(bytes));
        ReleaseStgMedium(&m);
    }
    return snap;
}

} // namespace pem
