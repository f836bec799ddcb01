#include "MimeDataObject.h"

#include "CharSet1252.h"
#include "MimeFormats.h"
#include "OleClipboardFormats.h"

#include <QMimeData>
#include <QStringDecoder>
#include <cstring>

namespace pem {

namespace {
enum Kind { kUnicodeText, kAnsiText, kFileDrop, kFileName, kFileNameW, kRaw, kPreferredEffect };

CLIPFORMAT Registered(const char* name) { return static_cast<CLIPFORMAT>(RegisterClipboardFormatA(name)); }

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
            // Files are offered when the list holds a local one; finding the
            // first is all an enter needs, the whole list waits for a drop.
            uriList_ = mime_->data(type);
            QStringList first = LocalFilesOfUriList(uriList_, 1, false);
            if (first.isEmpty()) {
                LocalFilesOfUriList(uriList_, -1, true); // no drop will follow: say what was skipped
                continue;
            }
            firstFile_ = first.front();
            offers_.push_back({CF_HDROP, type, kFileDrop});
            offers_.push_back({Registered("FileName"), type, kFileName});
            offers_.push_back({Registered("FileNameW"), type, kFileNameW});
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

const QStringList& MimeDataObject::LocalFiles() {
    if (!localFiles_) localFiles_ = LocalFilesOfUriList(uriList_, -1, true);
    return *localFiles_;
}

const MimeDataObject::Offer* MimeDataObject::Find(CLIPFORMAT id) const {
    for (const Offer& o : offers_)
        if (o.id == id) return &o;
    return nullptr;
}

bool MimeDataObject::Render(CLIPFORMAT id, std::vector<uint8_t>& out) {
    const Offer* offer = Find(id);
    if (!offer) return false;
    out.clear();
    switch (offer->kind) {
    case kUnicodeText: {
        // Decoded straight into the block: a big text is not held twice.
        QByteArray utf8 = mime_->data(offer->mimeType);
        QStringDecoder decoder(QStringDecoder::Utf8);
        out.resize(static_cast<size_t>(decoder.requiredSpace(utf8.size()) + 1) * 2);
        auto* begin = reinterpret_cast<QChar*>(out.data());
        QChar* end = decoder.appendToBuffer(begin, utf8);
        out.resize(static_cast<size_t>(end - begin + 1) * 2);
        out[out.size() - 2] = out[out.size() - 1] = 0;
        break;
    }
    case kAnsiText: {
        QByteArray utf8 = mime_->data(offer->mimeType);
        std::string text = Utf8ToCp1252(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
        out.reserve(text.size() + 1);
        out.assign(text.begin(), text.end());
        out.push_back(0);
        break;
    }
    case kFileDrop:
        out = DropFilesBlock(LocalFiles());
        break;
    case kFileName: {
        // The 8-bit name, when the code page holds it.
        bool ok = true;
        std::string name = Utf8ToCp1252(firstFile_.toStdString(), &ok);
        if (!ok) return false;
        out.assign(name.begin(), name.end());
        out.push_back(0);
        break;
    }
    case kFileNameW: {
        const size_t bytes = 2 * static_cast<size_t>(firstFile_.size());
        out.assign(bytes + 2, 0);
        std::memcpy(out.data(), firstFile_.utf16(), bytes);
        break;
    }
    case kPreferredEffect: {
        DWORD e = EffectOfAction(*proposed_);
        out.resize(4);
        std::memcpy(out.data(), &e, 4);
        break;
    }
    default: {
        QByteArray bytes = mime_->data(offer->mimeType);
        out.assign(bytes.begin(), bytes.end());
        break;
    }
    }
    return !out.empty(); // nothing of it could be rendered
}

std::vector<FORMATETC> MimeDataObject::Offers() const {
    std::vector<FORMATETC> list;
    for (const Offer& o : offers_) {
        FORMATETC f;
        f.cfFormat = o.id;
        f.tymed = TYMED_HGLOBAL | TYMED_ISTREAM;
        list.push_back(f);
    }
    return list;
}

void MimeDataObject::Take(CLIPFORMAT id, std::vector<uint8_t>&& bytes) {
    if (id == Registered("Performed DropEffect") && bytes.size() >= 4) {
        DWORD e = 0;
        std::memcpy(&e, bytes.data(), 4);
        performed_ = e;
    }
    given_->Set(id, std::move(bytes));
}

} // namespace pem
