#include "DataObjectMimeData.h"

#include "CharSet1252.h"
#include "MimeFormats.h"
#include "OleClipboardFormats.h"
#include "OleDataObjects.h"

#include <algorithm>
#include <cstring>

namespace pem {

DataObjectMimeData::DataObjectMimeData(IDataObject* data) {
    if (!data) return;
    ComPtr<IEnumFORMATETC> en;
    if (FAILED(data->EnumFormatEtc(DATADIR_GET, en.Put())) || !en) return;
    const UINT preferredId = RegisterClipboardFormatA("Preferred DropEffect");
    const UINT performedId = RegisterClipboardFormatA("Performed DropEffect");
    const UINT rtfId = RegisterClipboardFormatA("Rich Text Format");
    const UINT csvId = RegisterClipboardFormatA("CSV");

    std::vector<UINT> seen;
    bool haveWide = false;
    QByteArray ansi;
    bool haveAnsi = false;
    FORMATETC f;
    ULONG got = 0;
    while (en->Next(1, &f, &got) == S_OK && got == 1) {
        const UINT id = f.cfFormat;
        if (std::find(seen.begin(), seen.end(), id) != seen.end()) continue;
        seen.push_back(id);
        if (f.ptd || !(f.tymed & (TYMED_HGLOBAL | TYMED_ISTREAM))) continue;
        // Formats with no MIME form stay behind.
        if (id < kFirstRegisteredFormat && id != CF_TEXT && id != CF_UNICODETEXT && id != CF_HDROP) continue;
        if (id == performedId) continue;
        FORMATETC ask = f;
        ask.tymed = f.tymed & (TYMED_HGLOBAL | TYMED_ISTREAM);
        STGMEDIUM m;
        if (FAILED(data->GetData(&ask, &m))) continue;
        std::vector<uint8_t> bytes;
        bool ok = MediumBytes(m, bytes);
        ReleaseStgMedium(&m);
        if (!ok) continue;

        if (id == CF_UNICODETEXT) {
            setData(QString::fromLatin1(kMimeText), WideUpToNul(bytes).toUtf8());
            haveWide = true;
        } else if (id == CF_TEXT) {
            QByteArray a = UpToNul(bytes);
            ansi = QByteArray::fromStdString(Cp1252ToUtf8(std::string_view(a.constData(), static_cast<size_t>(a.size()))));
            haveAnsi = true;
        } else if (id == CF_HDROP) {
            QList<QUrl> urls = UrlsOfDropFiles(bytes);
            if (!urls.isEmpty()) setUrls(urls);
        } else if (id == preferredId) {
            if (bytes.size() >= 4) {
                DWORD e = 0;
                std::memcpy(&e, bytes.data(), 4);
                preferred_ = e;
            }
        } else if (id == rtfId) {
            setData(QString::fromLatin1(kMimeRtf), UpToNul(bytes));
        } else if (id == csvId) {
            setData(QString::fromLatin1(kMimeCsv), UpToNul(bytes));
        } else {
            std::string name = GetClipboardFormatNameA(id);
            if (!name.empty())
                setData(MimeTypeForFormatName(name),
                        QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
        }
    }
    // The 8-bit text stands in only where no wide text was offered.
    if (haveAnsi && !haveWide) setData(QString::fromLatin1(kMimeText), ansi);
    // Files travel as their URLs alone: the item-ID lists and the single
    // names say the same again in forms of this program's own.
    if (hasUrls())
        for (const char* name : {"Shell IDList Array", "FileName", "FileNameW"})
            removeFormat(MimeTypeForFormatName(name));
}

} // namespace pem
