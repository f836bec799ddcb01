// Fuzz target for dropped data: any bytes offered as a block or as a stream
// (one that may claim more than it holds) under every format the library
// reads must be read or refused, never read outside what was given.
#include <cstdint>
#include <cstring>
#include <string>

#include "DragDropFormats.h"
#include "DragDropPIDL.h"
#include "DragDropText.h"
#include "OleClipboardFormats.h"
#include "OleDataObjects.h"

namespace {

using namespace pem;

// A stream over the bytes whose Stat reports a size of its own choosing.
class ClaimingStream : public ComObject<IStream> {
public:
    ClaimingStream(std::string bytes, uint64_t claimed) : bytes_(std::move(bytes)), claimed_(claimed) {}
    HRESULT Read(void* pv, ULONG cb, ULONG* read) override {
        uint64_t left = pos_ < bytes_.size() ? bytes_.size() - pos_ : 0;
        ULONG n = static_cast<ULONG>(cb < left ? cb : left);
        if (n) std::memcpy(pv, bytes_.data() + pos_, n);
        pos_ += n;
        if (read) *read = n;
        return S_OK;
    }
    HRESULT Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }
    HRESULT Seek(int64_t move, DWORD origin, uint64_t* at) override {
        if (origin == STREAM_SEEK_SET) pos_ = static_cast<uint64_t>(move);
        if (at) *at = pos_;
        return S_OK;
    }
    HRESULT SetSize(uint64_t) override { return E_NOTIMPL; }
    HRESULT CopyTo(IStream*, uint64_t, uint64_t*, uint64_t*) override { return E_NOTIMPL; }
    HRESULT Commit(DWORD) override { return S_OK; }
    HRESULT Revert() override { return S_OK; }
    HRESULT Stat(STATSTG* st, DWORD) override {
        *st = STATSTG{};
        st->cbSize = claimed_;
        return S_OK;
    }
    HRESULT Clone(IStream**) override { return E_NOTIMPL; }

private:
    std::string bytes_;
    uint64_t claimed_;
    uint64_t pos_ = 0;
};

STGMEDIUM Medium(const uint8_t* data, size_t size, uint8_t how) {
    STGMEDIUM m;
    if (how & 1) {
        uint64_t claimed = (how & 2) ? size + (how >> 2) * 4096u : size;
        m.tymed = TYMED_ISTREAM;
        m.pstm = MakeCom<ClaimingStream>(std::string(reinterpret_cast<const char*>(data), size), claimed).Detach();
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
