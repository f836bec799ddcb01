#include "OleDataObjects.h"

#include <algorithm>
#include <cstring>

namespace pem {

namespace {

class FormatEnumerator : public ComObject<IEnumFORMATETC> {
public:
    FormatEnumerator(std::vector<FORMATETC> formats, size_t cursor) : formats_(std::move(formats)), cursor_(cursor) {}
    HRESULT Next(ULONG celt, FORMATETC* rgelt, ULONG* fetched) override {
        ULONG n = 0;
        while (n < celt && cursor_ < formats_.size()) rgelt[n++] = formats_[cursor_++];
        if (fetched) *fetched = n;
        return n == celt ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG celt) override {
        size_t to = cursor_ + celt;
        cursor_ = std::min(to, formats_.size());
        return to <= formats_.size() ? S_OK : S_FALSE;
    }
    HRESULT Reset() override {
        cursor_ = 0;
        return S_OK;
    }
    HRESULT Clone(IEnumFORMATETC** out) override {
        if (!out) return E_POINTER;
        *out = new FormatEnumerator(formats_, cursor_);
        (*out)->AddRef();
        return S_OK;
    }

private:
    std::vector<FORMATETC> formats_;
    size_t cursor_;
};

} // namespace

ComPtr<IEnumFORMATETC> CreateFormatEnumerator(std::vector<FORMATETC> formats) {
    return ComPtr<IEnumFORMATETC>(new FormatEnumerator(std::move(formats), 0));
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

HRESULT TStaticDataObject::QueryGetData(const FORMATETC* f) {
    if (!f) return E_INVALIDARG;
    const Entry* e = Find(f->cfFormat);
    if (!e) return DV_E_FORMATETC;
    if (f->ptd || f->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!(f->tymed & e->format.tymed)) return DV_E_TYMED;
    return S_OK;
}

HRESULT TStaticDataObject::GetData(const FORMATETC* f, STGMEDIUM* m) {
    ++GetDataCalls;
    if (!m) return E_INVALIDARG;
    *m = STGMEDIUM{};
    HRESULT hr = QueryGetData(f);
    if (FAILED(hr)) return hr;
    const Entry* e = Find(f->cfFormat);
    DWORD can = f->tymed & e->format.tymed;
    HGLOBAL h = GlobalFromBytes(e->bytes.data(), e->bytes.size());
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

HRESULT TStaticDataObject::GetCanonicalFormatEtc(const FORMATETC*, FORMATETC* out) {
    if (out) out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

HRESULT TStaticDataObject::SetData(const FORMATETC* f, STGMEDIUM* m, BOOL release) {
    ++SetDataCalls;
    if (!f || !m) return E_INVALIDARG;
    std::vector<uint8_t> bytes;
    if (!MediumBytes(*m, bytes)) return DV_E_TYMED;
    Set(f->cfFormat, std::move(bytes));
    if (release) ReleaseStgMedium(m);
    return S_OK;
}

HRESULT TStaticDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
    if (!out) return E_INVALIDARG;
    std::vector<FORMATETC> list;
    if (direction == DATADIR_GET)
        for (const Entry& e : entries_) list.push_back(e.format);
    *out = CreateFormatEnumerator(std::move(list)).Detach();
    return S_OK;
}

HRESULT TStaticDataObject::EnumDAdvise(IUnknown** out) {
    if (out) *out = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
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
