#pragma once
// Small fixtures of the drag-and-drop tests: data objects that offer given
// bytes, a stream that claims more than it holds, and a drop target that
// records what it is told and answers with set effects.
#include "DragDropText.h"
#include "OleClipboardFormats.h"
#include "OleDataObjects.h"

#include <cstring>
#include <string>
#include <vector>

namespace ddtest {

using namespace pem;

inline std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

inline std::vector<uint8_t> WideBytes(const std::u16string& s) {
    std::vector<uint8_t> out(s.size() * 2);
    std::memcpy(out.data(), s.data(), out.size());
    return out;
}

inline std::vector<uint8_t> DwordBytes(DWORD v) {
    std::vector<uint8_t> out(4);
    std::memcpy(out.data(), &v, 4);
    return out;
}

inline CLIPFORMAT Id(const char* name) { return static_cast<CLIPFORMAT>(RegisterClipboardFormatA(name)); }

// A stream whose Stat reports a size larger than what it holds.
class ShortStream : public ComObject<IStream> {
public:
    ShortStream(std::string bytes, uint64_t claimed) : bytes_(std::move(bytes)), claimed_(claimed) {}
    HRESULT Read(void* pv, ULONG cb, ULONG* read) override {
        ULONG n = static_cast<ULONG>(std::min<uint64_t>(cb, pos_ < bytes_.size() ? bytes_.size() - pos_ : 0));
        std::memcpy(pv, bytes_.data() + pos_, n);
        pos_ += n;
        if (read) *read = n;
        return S_OK;
    }
    HRESULT Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }
    HRESULT Seek(int64_t move, DWORD origin, uint64_t* at) override {
        pos_ = origin == STREAM_SEEK_SET ? static_cast<uint64_t>(move) : pos_ + static_cast<uint64_t>(move);
        if (at) *at = pos_;
        return S_OK;
    }
    HRESULT SetSize(uint64_t) override { return E_NOTIMPL; }
    HRESULT CopyTo(IStream*, uint64_t, uint64_t*, uint64_t*) override { return E_NOTIMPL; }
    HRESULT Commit(DWORD) override { return S_OK; }
    HRESULT Revert() override { return S_OK; }
    HRESULT Stat(STATSTG* st, DWORD) override {
        *st = STATSTG{};
        st->type = STGTY_STREAM;
        st->cbSize = claimed_;
        return S_OK;
    }
    HRESULT Clone(IStream**) override { return E_NOTIMPL; }

private:
    std::string bytes_;
    uint64_t claimed_;
    uint64_t pos_ = 0;
};

// A drop target for source tests: answers enter and over with the offered
// effects it shares with Hover (and Hover's scroll bit), and a
// drop with Dropped after giving the source the feedback values set.
class RecordingTarget : public ComObject<IDropTarget> {
public:
    DWORD Hover = DROPEFFECT_COPY;
    DWORD Dropped = DROPEFFECT_COPY;
    DWORD Performed = 0;        // given as "Performed DropEffect" when nonzero
    DWORD LogicalPerformed = 0; // given as "Logical Performed DropEffect" when nonzero
    std::vector<std::string> Calls;
    IDataObject* DroppedData = nullptr;

    HRESULT DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
        Calls.push_back("enter");
        *effect = (*effect & Hover) | (Hover & DROPEFFECT_SCROLL);
        return S_OK;
    }
    HRESULT DragOver(DWORD, POINTL, DWORD* effect) override {
        Calls.push_back("over");
        *effect = (*effect & Hover) | (Hover & DROPEFFECT_SCROLL);
        return S_OK;
    }
    HRESULT DragLeave() override {
        Calls.push_back("leave");
        return S_OK;
    }
    HRESULT Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        Calls.push_back("drop");
        DroppedData = data;
        if (Performed) Give(data, "Performed DropEffect", Performed);
        if (LogicalPerformed) Give(data, "Logical Performed DropEffect", LogicalPerformed);
        *effect = Dropped;
        return S_OK;
    }

private:
    static void Give(IDataObject* data, const char* name, DWORD value) {
        FORMATETC f;
        f.cfFormat = Id(name);
        f.tymed = TYMED_HGLOBAL;
        STGMEDIUM m;
        m.tymed = TYMED_HGLOBAL;
        m.hGlobal = GlobalFromBytes(&value, 4);
        if (FAILED(data->SetData(&f, &m, TRUE))) ReleaseStgMedium(&m);
    }
};

// A data object whose SetData always fails.
class RefusingDataObject : public TStaticDataObject {
public:
    HRESULT SetData(const FORMATETC*, STGMEDIUM*, BOOL) override { return E_FAIL; }
};

} // namespace ddtest
