// Fuzz target for dropped data: any bytes offered as a block or as a stream
// (one that may claim more than it holds) under every format the library
// reads must be read or refused, never read outside what was given; and
// any bytes given as a file list ("text/uri-list") give local paths or none.
#include <cstdint>
#include <cstring>
#include <string>

#include "DragDropFile.h"
#include "DragDropFixtures.h"
#include "DragDropFormats.h"
#include "DragDropPIDL.h"
#include "DragDropText.h"
#include "MimeFormats.h"
#include "OleClipboardFormats.h"
#include "OleDataObjects.h"

namespace {

using namespace pem;

STGMEDIUM Medium(const uint8_t* data, size_t size, uint8_t how) {
    STGMEDIUM m;
    if (how & 1) {
        uint64_t claimed = (how & 2) ? size + (how >> 2) * 4096u : size;
        m.tymed = TYMED_ISTREAM;
        m.pstm = MakeCom<ddtest::ShortStream>(std::string(reinterpret_cast<const char*>(data), size), claimed).Detach();
    } else {
        m.tymed = TYMED_HGLOBAL;
        m.hGlobal = GlobalFromBytes(data, size);
    }
    return m;
}

template <class F>
F& Read(F& f, const uint8_t* data, size_t size, uint8_t how) {
    STGMEDIUM m = Medium(data, size, how);
    f.GetDataFromMedium(m);
    return f;
}

template <class F>
void Read(const uint8_t* data, size_t size, uint8_t how) {
    F f;
    Read(f, data, size, how);
}

// Every record's name of descriptors that were read.
template <class F>
void Names(const uint8_t* data, size_t size, uint8_t how) {
    F f;
    Read(f, data, size, how);
    for (uint32_t i = 0; i < f.Count(); ++i) (void)f.Filename(i);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool started = (InitialiseDragDrop(), true);
    (void)started;
    if (size < 1) return 0;
    const uint8_t how = data[0];
    ++data;
    --size;
    Read<TPIDLClipboardFormat>(data, size, how);
    Read<TUnicodeTextClipboardFormat>(data, size, how);
    Read<TAnsiTextClipboardFormat>(data, size, how);
    Read<TCSVClipboardFormat>(data, size, how);
    Read<TPerformedDropEffectClipboardFormat>(data, size, how);
    Read<TTargetCLSIDClipboardFormat>(data, size, how);
    Read<TFileClipboardFormat>(data, size, how);
    Read<TAnsiFilenameMapClipboardFormat>(data, size, how);
    Read<TUnicodeFilenameMapClipboardFormat>(data, size, how);
    Names<TAnsiFileGroupDescriptorClipboardFormat>(data, size, how);
    Names<TUnicodeFileGroupDescriptorClipboardFormat>(data, size, how);

    // The same bytes as a file list from another program.
    (void)LocalFilesOfUriList(QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    (void)UrlsOfDropFiles(std::vector<uint8_t>(data, data + size));

    // Whole data formats over a data object offering the bytes as everything.
    auto offered = MakeCom<TStaticDataObject>();
    std::vector<uint8_t> bytes(data, data + size);
    for (CLIPFORMAT id : {CF_TEXT, CF_UNICODETEXT, CF_LOCALE, CF_HDROP})
        offered->Set(id, bytes, (how & 1) ? TYMED_ISTREAM : TYMED_HGLOBAL);
    for (const char* name : {"Shell IDList Array", "Preferred DropEffect", "FileName", "FileNameW", "FileNameMap",
                             "FileNameMapW", "FileGroupDescriptor", "FileGroupDescriptorW"})
        offered->Set(static_cast<CLIPFORMAT>(RegisterClipboardFormatA(name)), bytes,
                     (how & 1) ? TYMED_ISTREAM : TYMED_HGLOBAL);
    TTextDataFormat text(TDragDropComponentRole::Target);
    if (text.GetData(offered.Get())) {
        (void)text.Text();
        (void)text.UnicodeText();
    }
    TPIDLDataFormat items(TDragDropComponentRole::Target);
    if (items.GetData(offered.Get()))
        for (int i = 0; i < items.Filenames().Count(); ++i) (void)items.Filenames().Get(i);
    TFileDataFormat files(TDragDropComponentRole::Target);
    files.GetData(offered.Get());
    TFileMapDataFormat maps(TDragDropComponentRole::Target);
    maps.GetData(offered.Get());
    TVirtualFileStreamDataFormat virtualFiles(TDragDropComponentRole::Target);
    if (virtualFiles.GetData(offered.Get()))
        for (int i = 0; i < virtualFiles.FileNames().Count(); ++i) (void)virtualFiles.FileNames().Get(i);
    return 0;
}
