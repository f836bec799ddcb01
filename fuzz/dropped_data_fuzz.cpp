// Fuzz target for dropped data: any bytes offered as a block or as a stream
// (one that may claim more than it holds) under every format the library
// reads must be read or refused, never read outside what was given.
#include <cstdint>
#include <cstring>
#include <string>

#include "DragDropFixtures.h"
#include "DragDropFormats.h"
#include "DragDropPIDL.h"
#include "DragDropText.h"
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
void Read(const uint8_t* data, size_t size, uint8_t how) {
    F f;
    STGMEDIUM m = Medium(data, size, how);
    f.GetDataFromMedium(m);
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

    // Whole data formats over a data object offering the bytes as everything.
    auto offered = MakeCom<TStaticDataObject>();
    std::vector<uint8_t> bytes(data, data + size);
    for (CLIPFORMAT id : {CF_TEXT, CF_UNICODETEXT, CF_LOCALE, static_cast<CLIPFORMAT>(RegisterClipboardFormatA("Shell IDList Array")),
                          static_cast<CLIPFORMAT>(RegisterClipboardFormatA("Preferred DropEffect"))})
        offered->Set(id, bytes, (how & 1) ? TYMED_ISTREAM : TYMED_HGLOBAL);
    TTextDataFormat text(TDragDropComponentRole::Target);
    if (text.GetData(offered.Get())) {
        (void)text.Text();
        (void)text.UnicodeText();
    }
    TPIDLDataFormat items(TDragDropComponentRole::Target);
    if (items.GetData(offered.Get()))
        for (int i = 0; i < items.Filenames().Count(); ++i) (void)items.Filenames().Get(i);
    return 0;
}
