#include "DragDropFormats.h"

#include "OleClipboardFormats.h"

#include <algorithm>
#include <cstring>

namespace pem {

// ---- simple formats

PEM_DEFINE_CLIPBOARD_FORMAT(TCustomSimpleClipboardFormat, TClipboardFormat, nullptr, ddRead, nullptr)
PEM_DEFINE_CLIPBOARD_FORMAT(TCustomAnsiStringClipboardFormat, TCustomSimpleClipboardFormat, nullptr, ddRead, nullptr)
PEM_DEFINE_CLIPBOARD_FORMAT(TCustomStringListClipboardFormat, TCustomSimpleClipboardFormat, nullptr, ddRead, nullptr)
PEM_DEFINE_CLIPBOARD_FORMAT(TCustomDWORDClipboardFormat, TCustomSimpleClipboardFormat, nullptr, ddRead, nullptr)

bool ReadWholeStream(IStream* stream, std::vector<uint8_t>& out, bool& anything) {
    out.clear();
    anything = false;
    STATSTG stat;
    if (!stream || FAILED(stream->Stat(&stat, STATFLAG_NONAME))) return false;
    if (stat.cbSize > 0xFFFFFFFFu) return false;
    if (FAILED(stream->Seek(0, STREAM_SEEK_SET, nullptr))) return false;
    const uint64_t size = stat.cbSize;
    if (size < 1) return true;
    anything = true;
    constexpr ULONG kPiece = 1u << 16;
    while (out.size() < size) {
        ULONG want = static_cast<ULONG>(std::min<uint64_t>(kPiece, size - out.size()));
        size_t at = out.size();
        out.resize(at + want);
        ULONG got = 0;
        HRESULT hr = stream->Read(out.data() + at, want, &got);
        out.resize(at + std::min(got, want));
        if (FAILED(hr) || got == 0) break;
    }
    return true;
}

bool ReadStorageAsFile(IStorage* storage, std::vector<uint8_t>& out, bool& anything) {
    out.clear();
    anything = false;
    if (!storage) return false;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 0);
    if (!h) throw EOleSysError(E_OUTOFMEMORY);
    ComPtr<ILockBytes> lockBytes;
    HRESULT hr = CreateILockBytesOnHGlobal(h, TRUE, lockBytes.Put());
    if (FAILED(hr)) {
        GlobalFree(h);
        OleCheck(hr);
    }
    ComPtr<IStorage> file;
    OleCheck(StgCreateDocfileOnILockBytes(lockBytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                          file.Put()));
    OleCheck(storage->CopyTo(file.Get()));
    OleCheck(file->Commit(0));
    file.Reset();
    // The stream reads the block the lock bytes own (and free).
    ComPtr<IStream> stream;
    OleCheck(CreateStreamOnHGlobal(h, FALSE, stream.Put()));
    return ReadWholeStream(stream.Get(), out, anything);
}

bool TCustomSimpleClipboardFormat::ReadMedium(const FORMATETC&, const STGMEDIUM& medium) {
    return ReadDataFromMedium(medium);
}

bool TCustomSimpleClipboardFormat::ReadDataFromMedium(const STGMEDIUM& medium) {
    switch (medium.tymed) {
    case TYMED_HGLOBAL: {
        size_t size = GlobalSize(medium.hGlobal);
        if (size == 0) return true; // read, without data
        // The block stays locked (and whole) while its bytes are handed on.
        const void* bytes = GlobalLock(medium.hGlobal);
        bool ok = false;
        try {
            ok = ReadData(bytes, size);
        } catch (...) {
            GlobalUnlock(medium.hGlobal);
            throw;
        }
        GlobalUnlock(medium.hGlobal);
        return ok;
    }
    case TYMED_ISTREAM: {
        std::vector<uint8_t> buffer;
        bool anything = false;
        if (!ReadWholeStream(medium.pstm, buffer, anything)) return false;
        // A stream that gave nothing reads like an empty block.
        return anything && !buffer.empty() ? ReadData(buffer.data(), buffer.size()) : true;
    }
    case TYMED_ISTORAGE: {
        // The storage becomes a compound file in memory, read as a stream.
        std::vector<uint8_t> buffer;
        bool anything = false;
        if (!ReadStorageAsFile(medium.pstg, buffer, anything)) return false;
        return anything && !buffer.empty() ? ReadData(buffer.data(), buffer.size()) : true;
    }
    default:
        return false;
    }
}

bool TCustomSimpleClipboardFormat::WriteDataToMedium(void* buffer, size_t size) { return WriteData(buffer, size); }

bool TCustomSimpleClipboardFormat::WriteMedium(const FORMATETC& request, STGMEDIUM& medium) {
    const size_t size = GetSize();
    if (size < 1) return false;
    const DWORD both = request.tymed & FormatEtc().tymed;
    if (both & TYMED_ISTREAM) {
        HGLOBAL h = GlobalAlloc(GHND, size);
        if (!h) return false;
        bool ok = WriteDataToMedium(GlobalLock(h), size);
        GlobalUnlock(h);
        ComPtr<IStream> stream;
        if (!ok || FAILED(CreateStreamOnHGlobal(h, TRUE, stream.Put()))) {
            GlobalFree(h);
            return false;
        }
        stream->Seek(0, STREAM_SEEK_END, nullptr);
        medium.tymed = TYMED_ISTREAM;
        medium.pstm = MakeCom<TFixedStreamAdapter>(stream).Detach();
        return true;
    }
    if (both & TYMED_HGLOBAL) {
        HGLOBAL h = GlobalAlloc(GHND, size);
        if (!h) return false;
        bool ok = WriteDataToMedium(GlobalLock(h), size);
        GlobalUnlock(h);
        if (!ok) {
            GlobalFree(h);
            return false;
        }
        medium.tymed = TYMED_HGLOBAL;
        medium.hGlobal = h;
        return true;
    }
    return false;
}

bool TCustomAnsiStringClipboardFormat::ReadData(const void* value, size_t size) {
    data_.assign(static_cast<const char*>(value), size);
    if (trimZeroes_) {
        size_t nul = data_.find('\0');
        if (nul != std::string::npos) data_.resize(nul);
    }
    return true;
}

bool TCustomAnsiStringClipboardFormat::WriteData(void* value, size_t size) {
    if (size > data_.size() + 1) return false;
    std::memcpy(value, data_.c_str(), size);
    return true;
}

bool TCustomStringListClipboardFormat::ReadData(const void* value, size_t size) {
    if (size == 0) return true;
    std::string block(static_cast<const char*>(value), size);
    block.back() = '\0';
    lines_.SetText(std::string_view(block.c_str()));
    return true;
}

bool TCustomStringListClipboardFormat::WriteData(void* value, size_t size) {
    std::string text = lines_.Text();
    if (size != text.size() + 1) return false;
    std::memcpy(value, text.c_str(), size);
    return true;
}

bool TCustomDWORDClipboardFormat::ReadData(const void* value, size_t size) {
    if (size < 4) return false;
    std::memcpy(&value_, value, 4);
    return true;
}

bool TCustomDWORDClipboardFormat::WriteData(void* value, size_t size) {
    if (size != 4) return false;
    std::memcpy(value, &value_, 4);
    return true;
}

// ---- drop-effect formats

namespace {
CLIPFORMAT Named(CLIPFORMAT& id, const char* name) {
    if (!id) id = static_cast<CLIPFORMAT>(RegisterClipboardFormatA(name));
    return id;
}
} // namespace

PEM_DEFINE_CLIPBOARD_FORMAT(TPreferredDropEffectClipboardFormat, TCustomDWORDClipboardFormat,
                            &CreateClipboardFormat<TPreferredDropEffectClipboardFormat>, ddRead, nullptr)
PEM_DEFINE_CLIPBOARD_FORMAT(TPerformedDropEffectClipboardFormat, TCustomDWORDClipboardFormat,
                            &CreateClipboardFormat<TPerformedDropEffectClipboardFormat>, ddWrite, nullptr)
PEM_DEFINE_CLIPBOARD_FORMAT(TLogicalPerformedDropEffectClipboardFormat, TCustomDWORDClipboardFormat,
                            &CreateClipboardFormat<TLogicalPerformedDropEffectClipboardFormat>, ddWrite, nullptr)
PEM_DEFINE_CLIPBOARD_FORMAT(TPasteSucceededClipboardFormat, TCustomDWORDClipboardFormat,
                            &CreateClipboardFormat<TPasteSucceededClipboardFormat>, ddWrite, nullptr)
PEM_DEFINE_CLIPBOARD_FORMAT(TInShellDragLoopClipboardFormat, TCustomDWORDClipboardFormat,
                            &CreateClipboardFormat<TInShellDragLoopClipboardFormat>, ddRead, nullptr)
PEM_DEFINE_CLIPBOARD_FORMAT(TTargetCLSIDClipboardFormat, TCustomSimpleClipboardFormat,
                            &CreateClipboardFormat<TTargetCLSIDClipboardFormat>, ddWrite, nullptr)

CLIPFORMAT TPreferredDropEffectClipboardFormat::GetClipboardFormat() {
    static CLIPFORMAT id = 0;
    return Named(id, "Preferred DropEffect");
}
CLIPFORMAT TPerformedDropEffectClipboardFormat::GetClipboardFormat() {
    static CLIPFORMAT id = 0;
    return Named(id, "Performed DropEffect");
}
CLIPFORMAT TLogicalPerformedDropEffectClipboardFormat::GetClipboardFormat() {
    static CLIPFORMAT id = 0;
    return Named(id, "Logical Performed DropEffect");
}
CLIPFORMAT TPasteSucceededClipboardFormat::GetClipboardFormat() {
    static CLIPFORMAT id = 0;
    return Named(id, "Paste Succeeded");
}
CLIPFORMAT TInShellDragLoopClipboardFormat::GetClipboardFormat() {
    static CLIPFORMAT id = 0;
    return Named(id, "InShellDragLoop");
}
CLIPFORMAT TTargetCLSIDClipboardFormat::GetClipboardFormat() {
    static CLIPFORMAT id = 0;
    return Named(id, "TargetCLSID");
}

bool TTargetCLSIDClipboardFormat::ReadData(const void* value, size_t size) {
    if (size < sizeof(CLSID)) return false;
    std::memcpy(&clsid_, value, sizeof(CLSID));
    return true;
}

bool TTargetCLSIDClipboardFormat::WriteData(void* value, size_t size) {
    if (size != sizeof(CLSID)) return false;
    std::memcpy(value, &clsid_, sizeof(CLSID));
    return true;
}

// ---- feedback data format

namespace {
void RegisterFeedbackFormats() {
    const TDataFormatClass& df = TFeedbackDataFormat::StaticClass();
    RegisterCompatibleFormat(df, TPreferredDropEffectClipboardFormat::StaticClass(), 0, ddReadWrite);
    RegisterCompatibleFormat(df, TPerformedDropEffectClipboardFormat::StaticClass(), 0, ddReadWrite);
    RegisterCompatibleFormat(df, TPasteSucceededClipboardFormat::StaticClass(), 0, ddReadWrite);
    RegisterCompatibleFormat(df, TInShellDragLoopClipboardFormat::StaticClass(), 0, ddReadWrite);
    RegisterCompatibleFormat(df, TTargetCLSIDClipboardFormat::StaticClass(), 0, ddReadWrite);
    RegisterCompatibleFormat(df, TLogicalPerformedDropEffectClipboardFormat::StaticClass(), 0, ddReadWrite);
}
} // namespace

PEM_DEFINE_DATA_FORMAT(TFeedbackDataFormat, TCustomDataFormat, &RegisterFeedbackFormats)

bool TFeedbackDataFormat::Assign(TClipboardFormat* source) {
    if (auto* f = dynamic_cast<TPreferredDropEffectClipboardFormat*>(source)) {
        preferred_ = f->Value();
    } else if (auto* f = dynamic_cast<TPerformedDropEffectClipboardFormat*>(source)) {
        performed_ = f->Value();
    } else if (auto* f = dynamic_cast<TLogicalPerformedDropEffectClipboardFormat*>(source)) {
        logicalPerformed_ = f->Value();
    } else if (auto* f = dynamic_cast<TPasteSucceededClipboardFormat*>(source)) {
        pasteSucceeded_ = f->Value();
    } else if (auto* f = dynamic_cast<TInShellDragLoopClipboardFormat*>(source)) {
        inShellDragLoop_ = f->Value() != 0;
        gotInShellDragLoop_ = true;
    } else if (auto* f = dynamic_cast<TTargetCLSIDClipboardFormat*>(source)) {
        targetClsid_ = f->Clsid();
    } else {
        return TCustomDataFormat::Assign(source);
    }
    return true;
}

bool TFeedbackDataFormat::AssignTo(TClipboardFormat* dest) {
    if (auto* f = dynamic_cast<TPreferredDropEffectClipboardFormat*>(dest)) {
        f->SetValue(preferred_);
    } else if (auto* f = dynamic_cast<TPerformedDropEffectClipboardFormat*>(dest)) {
        f->SetValue(performed_);
    } else if (auto* f = dynamic_cast<TLogicalPerformedDropEffectClipboardFormat*>(dest)) {
        f->SetValue(logicalPerformed_);
    } else if (auto* f = dynamic_cast<TPasteSucceededClipboardFormat*>(dest)) {
        f->SetValue(pasteSucceeded_);
    } else if (auto* f = dynamic_cast<TInShellDragLoopClipboardFormat*>(dest)) {
        f->SetInShellDragLoop(inShellDragLoop_);
    } else if (auto* f = dynamic_cast<TTargetCLSIDClipboardFormat*>(dest)) {
        f->SetClsid(targetClsid_);
    } else {
        return TCustomDataFormat::AssignTo(dest);
    }
    return true;
}

void TFeedbackDataFormat::Clear() {
    Changing();
    preferred_ = 0;
    performed_ = 0;
    inShellDragLoop_ = false;
    gotInShellDragLoop_ = false;
}

bool TFeedbackDataFormat::HasData() {
    return preferred_ != 0 || performed_ != 0 || pasteSucceeded_ != 0 || gotInShellDragLoop_;
}

bool TFeedbackDataFormat::NeedsData() {
    return preferred_ == 0 || performed_ == 0 || pasteSucceeded_ == 0 || !gotInShellDragLoop_;
}

void TFeedbackDataFormat::SetPreferredDropEffect(DWORD v) {
    Changing();
    preferred_ = v;
}

void TFeedbackDataFormat::SetPerformedDropEffect(DWORD v) {
    Changing();
    performed_ = v;
}

void TFeedbackDataFormat::SetInShellDragLoop(bool v) {
    Changing();
    inShellDragLoop_ = v;
}

// ---- streams

int TStreamList::Add(const std::string& name, std::vector<uint8_t> data) {
    Changing();
    items_.push_back({name, std::move(data)});
    return Count() - 1;
}

void TStreamList::Clear() {
    Changing();
    items_.clear();
}

PEM_DEFINE_DATA_FORMAT(TDataStreamDataFormat, TCustomDataFormat, nullptr)

TDataStreamDataFormat::TDataStreamDataFormat(TDragDropComponent* owner) : TCustomDataFormat(owner) {
    streams_.OnChanging = [this] { Changing(); };
}

TDataStreamDataFormat::TDataStreamDataFormat(TDragDropComponentRole role) : TCustomDataFormat(role) {
    streams_.OnChanging = [this] { Changing(); };
}

HRESULT TFixedStreamAdapter::CopyTo(IStream* dest, uint64_t cb, uint64_t* pcbRead, uint64_t* pcbWritten) {
    if (pcbRead) *pcbRead = 0;
    if (pcbWritten) *pcbWritten = 0;
    if (!dest) return STG_E_INVALIDPOINTER;
    auto count = static_cast<int64_t>(cb);
    if (count < 0) {
        uint64_t pos = 0;
        STATSTG stat;
        if (FAILED(inner_->Seek(0, STREAM_SEEK_CUR, &pos)) || FAILED(inner_->Stat(&stat, STATFLAG_NONAME)))
            return E_FAIL;
        if (pos >= stat.cbSize) {
            inner_->Seek(0, STREAM_SEEK_SET, nullptr);
            pos = 0;
        }
        count = static_cast<int64_t>(stat.cbSize - pos);
    }
    constexpr ULONG kPiece = 1u << 20;
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<int64_t>(count, kPiece)));
    uint64_t read = 0, written = 0;
    HRESULT result = S_OK;
    while (count > 0) {
        ULONG want = static_cast<ULONG>(std::min<int64_t>(count, kPiece));
        ULONG got = 0;
        if (FAILED(inner_->Read(buffer.data(), want, &got)) || got == 0) break;
        ULONG put = 0;
        HRESULT hr = dest->Write(buffer.data(), got, &put);
        read += got;
        written += put;
        if (FAILED(hr) || put != got) {
            result = E_FAIL;
            break;
        }
        count -= got;
    }
    if (pcbRead) *pcbRead = read;
    if (pcbWritten) *pcbWritten = written;
    return result;
}

void InitialiseDragDropFormats() {
    RegisterDataFormat(TDataStreamDataFormat::StaticClass());
    RegisterDataFormat(TFeedbackDataFormat::StaticClass());
    TClipboardFormat::RegisterFormat(TPreferredDropEffectClipboardFormat::StaticClass());
    TClipboardFormat::RegisterFormat(TPerformedDropEffectClipboardFormat::StaticClass());
    TClipboardFormat::RegisterFormat(TLogicalPerformedDropEffectClipboardFormat::StaticClass());
    TClipboardFormat::RegisterFormat(TPasteSucceededClipboardFormat::StaticClass());
    TClipboardFormat::RegisterFormat(TInShellDragLoopClipboardFormat::StaticClass());
    TClipboardFormat::RegisterFormat(TTargetCLSIDClipboardFormat::StaticClass());
}

} // namespace pem
