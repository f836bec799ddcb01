#include "MimeDataObject.h"

#include "CharSet1252.h"
#include "MimeFormats.h"
#include "OleClipboardFormats.h"

#include <QMimeData>
#include <QStringDecoder>
#include <cstring>

namespace pem {

namespace {
enum Kind { kUnicodeText, kAnsiText, kFileDrop, kRaw, kPreferredEffect };

CLIPFORMAT Registered(const char* name) { return static_cast<CLIPFORMAT>(RegisterClipboardFormatA(name)); }

std::vector<uint8_t> ToVector(const QByteArray& a) { return std::vector<uint8_t>(a.begin(), a.end()); }
} // namespace

MimeDataObject::MimeDataObject(const QMimeData* mime, Qt::DropAction proposed)
    : mime_(mime), proposed_(proposed), given_(MakeCom<TStaticDataObject>()) {
    BuildOffers();
}

MimeDataObject::MimeDataObject(std::unique_ptr<QMimeData> owned)
    : owned_(std::move(owned)), mime_(owned_.get()), given_(MakeCom<TStaticDataObject>()) {
    BuildOffers();
}

std::unique_ptr<QMimeData> CopyMimeData(const QMimeData* source) {
    auto copy = std::make_unique<QMimeData>();
    if (source)
        for (const QString& f : source->formats()) copy->setData(f, source->data(f));
    return copy;
}

void MimeDataObject::BuildOffers() {
    if (!mime_) return;
    for (const QString& type : mime_->formats()) {
        if (type == QLatin1String(kMimeUriList)) {
            offers_.push_back({CF_HDROP, type, kFileDrop});
        } else if (type == QLatin1String(kMimeText)) {
            offers_.push_back({CF_UNICODETEXT, type, kUnicodeText});
            offers_.push_back({CF_TEXT, type, kAnsiText});
        } else if (type == QLatin1String(kMimeRtf)) {
            offers_.push_back({Registered("Rich Text Format"), type, kRaw});
        } else if (type == QLatin1String(kMimeCsv)) {
            offers_.push_back({Registered("CSV"), type, kRaw});
        } else {
            UINT id = RegisterClipboardFormatA(FormatNameForMimeType(type));
            if (id && !Find(static_cast<CLIPFORMAT>(id))) offers_.push_back({static_cast<CLIPFORMAT>(id), type, kRaw});
        }
    }
    if (proposed_) offers_.push_back({Registered("Preferred DropEffect"), QString(), kPreferredEffect});
}

const MimeDataObject::Offer* MimeDataObject::Find(CLIPFORMAT id) const {
    for (const Offer& o : offers_)
        if (o.id == id) return &o;
    return nullptr;
}

std::vector<uint8_t> MimeDataObject::Bytes(const Offer& offer) const {
    std::vector<uint8_t> out;
    switch (offer.kind) {
    case kUnicodeText: {
        // Decoded straight into the block: a big text is not held twice.
        QByteArray utf8 = mime_->data(offer.mimeType);
        QStringDecoder decoder(QStringDecoder::Utf8);
        out.resize(static_cast<size_t>(decoder.requiredSpace(utf8.size()) + 1) * 2);
        auto* begin = reinterpret_cast<QChar*>(out.data());
        QChar* end = decoder.appendToBuffer(begin, utf8);
        out.resize(static_cast<size_t>(end - begin + 1) * 2);
        out[out.size() - 2] = out[out.size() - 1] = 0;
        break;
    }
    case kAnsiText: {
        QByteArray utf8 = mime_->data(offer.mimeType);
        std::string text = Utf8ToCp1252(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
        out.reserve(text.size() + 1);
        out.assign(text.begin(), text.end());
        out.push_back(0);
        break;
    }
    case kFileDrop:
        out = DropFilesBlock(mime_->urls());
        break;
    case kPreferredEffect: {
        DWORD e = EffectOfAction(*proposed_);
        out.resize(4);
        std::memcpy(out.data(), &e, 4);
        break;
    }
    default:
        out = ToVector(mime_->data(offer.mimeType));
        break;
    }
    return out;
}

HRESULT MimeDataObject::QueryGetData(const FORMATETC* f) {
    if (!f) return E_INVALIDARG;
    if (!Find(f->cfFormat)) return DV_E_FORMATETC;
    if (f->ptd || f->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!(f->tymed & (TYMED_HGLOBAL | TYMED_ISTREAM))) return DV_E_TYMED;
    return S_OK;
}

HRESULT MimeDataObject::GetData(const FORMATETC* f, STGMEDIUM* m) {
    if (!m) return E_INVALIDARG;
    *m = STGMEDIUM{};
    HRESULT hr = QueryGetData(f);
    if (FAILED(hr)) return hr;
    std::vector<uint8_t> bytes = Bytes(*Find(f->cfFormat));
    if (bytes.empty()) return DV_E_FORMATETC; // nothing of it could be rendered
    HGLOBAL h = GlobalFromVector(std::move(bytes));
    if (!h) return E_OUTOFMEMORY;
    if (f->tymed & TYMED_HGLOBAL) {
        m->tymed = TYMED_HGLOBAL;
        m->hGlobal = h;
        return S_OK;
    }
    hr = CreateStreamOnHGlobal(h, TRUE, &m->pstm);
    if (FAILED(hr)) {
        GlobalFree(h);
        return hr;
    }
    m->tymed = TYMED_ISTREAM;
    return S_OK;
}

HRESULT MimeDataObject::GetCanonicalFormatEtc(const FORMATETC*, FORMATETC* out) {
    if (out) out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

HRESULT MimeDataObject::SetData(const FORMATETC* f, STGMEDIUM* m, BOOL release) {
    if (!f || !m) return E_INVALIDARG;
    std::vector<uint8_t> bytes;
    if (!MediumBytes(*m, bytes)) return DV_E_TYMED;
    if (f->cfFormat == Registered("Performed DropEffect") && bytes.size() >= 4) {
        DWORD e = 0;
        std::memcpy(&e, bytes.data(), 4);
        performed_ = e;
    }
    given_->Set(f->cfFormat, std::move(bytes));
    if (release) ReleaseStgMedium(m);
    return S_OK;
}

HRESULT MimeDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
    if (!out) return E_INVALIDARG;
    std::vector<FORMATETC> list;
    if (direction == DATADIR_GET)
        for (const Offer& o : offers_) {
            FORMATETC f;
            f.cfFormat = o.id;
            f.tymed = TYMED_HGLOBAL | TYMED_ISTREAM;
            list.push_back(f);
        }
    *out = CreateFormatEnumerator(std::move(list)).Detach();
    return S_OK;
}

HRESULT MimeDataObject::EnumDAdvise(IUnknown** out) {
    if (out) *out = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

} // namespace pem
