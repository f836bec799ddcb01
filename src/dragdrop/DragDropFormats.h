#pragma once
// The simple clipboard formats (one block of bytes each), the shell's
// drop-effect formats and the feedback data format that collects them, the
// data-stream data format with its stream list, and the small lists and the
// stream adapter that the file formats build on.
#include "DragDrop.h"
#include "StringList.h"

#include <memory>
#include <string>
#include <vector>

namespace pem {

// ---- simple formats

// One block of bytes, carried as a global block or a stream.
class TCustomSimpleClipboardFormat : public TClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TCustomSimpleClipboardFormat)
public:
    TCustomSimpleClipboardFormat() : TClipboardFormat(TYMED_HGLOBAL | TYMED_ISTREAM) {}

    bool ReadMedium(const FORMATETC& format, const STGMEDIUM& medium) override;
    bool WriteMedium(const FORMATETC& format, STGMEDIUM& medium) override;

protected:
    // Reads a medium's bytes (a block, a stream, or a storage copied into a
    // compound file in memory) and hands them on.
    virtual bool ReadDataFromMedium(const STGMEDIUM& medium);
    // Takes the bytes as the format's data.
    virtual bool ReadData(const void* value, size_t size) = 0;
    // Writes the data into a medium's block of the given size.
    virtual bool WriteDataToMedium(void* buffer, size_t size);
    // Fills a block of the given size from the data.
    virtual bool WriteData(void* value, size_t size) = 0;
    // The size of the data in bytes.
    virtual size_t GetSize() = 0;
};

class TCustomAnsiStringClipboardFormat : public TCustomSimpleClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TCustomAnsiStringClipboardFormat)
public:
    void Clear() override { data_.clear(); }
    bool HasData() override { return !data_.empty(); }
    const std::string& AsString() const { return data_; }
    void SetAsString(const std::string& s) { data_ = s; }

protected:
    bool ReadData(const void* value, size_t size) override;
    bool WriteData(void* value, size_t size) override;
    size_t GetSize() override { return data_.size(); }
    // Reading cuts the text at its first NUL.
    bool trimZeroes_ = false;
    std::string data_;
};

class TCustomStringListClipboardFormat : public TCustomSimpleClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TCustomStringListClipboardFormat)
public:
    void Clear() override { lines_.Clear(); }
    bool HasData() override { return lines_.Count() > 0; }
    TStringList& Lines() { return lines_; }

protected:
    bool ReadData(const void* value, size_t size) override;
    bool WriteData(void* value, size_t size) override;
    size_t GetSize() override { return lines_.Text().size() + 1; }
    TStringList lines_;
};

class TCustomDWORDClipboardFormat : public TCustomSimpleClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TCustomDWORDClipboardFormat)
public:
    void Clear() override { value_ = 0; }
    bool HasData() override { return value_ != 0; }
    DWORD Value() const { return value_; }
    void SetValue(DWORD v) { value_ = v; }

protected:
    bool ReadData(const void* value, size_t size) override;
    bool WriteData(void* value, size_t size) override;
    size_t GetSize() override { return 4; }
    DWORD value_ = 0;
};

// ---- the shell's drop-effect formats (named, registered on first use)

class TPreferredDropEffectClipboardFormat : public TCustomDWORDClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TPreferredDropEffectClipboardFormat)
public:
    CLIPFORMAT GetClipboardFormat() override;
    // Always offered: a missing preference reads as none.
    bool HasData() override { return true; }
};

class TPerformedDropEffectClipboardFormat : public TCustomDWORDClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TPerformedDropEffectClipboardFormat)
public:
    CLIPFORMAT GetClipboardFormat() override;
};

class TLogicalPerformedDropEffectClipboardFormat : public TCustomDWORDClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TLogicalPerformedDropEffectClipboardFormat)
public:
    CLIPFORMAT GetClipboardFormat() override;
};

class TPasteSucceededClipboardFormat : public TCustomDWORDClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TPasteSucceededClipboardFormat)
public:
    CLIPFORMAT GetClipboardFormat() override;
};

class TInShellDragLoopClipboardFormat : public TCustomDWORDClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TInShellDragLoopClipboardFormat)
public:
    CLIPFORMAT GetClipboardFormat() override;
    bool InShellDragLoop() const { return value_ != 0; }
    void SetInShellDragLoop(bool on) { value_ = on ? 1 : 0; }
};

class TTargetCLSIDClipboardFormat : public TCustomSimpleClipboardFormat {
    PEM_CLIPBOARD_FORMAT(TTargetCLSIDClipboardFormat)
public:
    CLIPFORMAT GetClipboardFormat() override;
    void Clear() override { clsid_ = GUID_NULL; }
    bool HasData() override { return !(clsid_ == GUID_NULL); }
    const CLSID& Clsid() const { return clsid_; }
    void SetClsid(const CLSID& c) { clsid_ = c; }

protected:
    bool ReadData(const void* value, size_t size) override;
    bool WriteData(void* value, size_t size) override;
    size_t GetSize() override { return sizeof(CLSID); }

private:
    CLSID clsid_;
};

// ---- feedback data format

class TFeedbackDataFormat : public TCustomDataFormat {
    PEM_DATA_FORMAT(TFeedbackDataFormat)
public:
    using TCustomDataFormat::TCustomDataFormat;

    bool Assign(TClipboardFormat* source) override;
    bool AssignTo(TClipboardFormat* dest) override;
    void Clear() override;
    bool HasData() override;
    bool NeedsData() override;

    DWORD PreferredDropEffect() const { return preferred_; }
    void SetPreferredDropEffect(DWORD v);
    DWORD PerformedDropEffect() const { return performed_; }
    void SetPerformedDropEffect(DWORD v);
    DWORD LogicalPerformedDropEffect() const { return logicalPerformed_; }
    DWORD PasteSucceeded() const { return pasteSucceeded_; }
    bool InShellDragLoop() const { return inShellDragLoop_; }
    void SetInShellDragLoop(bool v);
    const CLSID& TargetCLSID() const { return targetClsid_; }

private:
    DWORD preferred_ = 0;
    DWORD performed_ = 0;
    DWORD logicalPerformed_ = 0;
    DWORD pasteSucceeded_ = 0;
    bool inShellDragLoop_ = false;
    bool gotInShellDragLoop_ = false;
    CLSID targetClsid_;
};

// ---- streams and lists

// A named list of in-memory streams, owned; tells its owner before it changes.
class TStreamList {
public:
    struct Item {
        std::string Name;
        std::vector<uint8_t> Data;
    };
    int Count() const { return static_cast<int>(items_.size()); }
    int Add(const std::string& name, std::vector<uint8_t> data);
    void Clear();
    const Item& operator[](int i) const { return items_.at(static_cast<size_t>(i)); }
    std::function<void()> OnChanging;

private:
    void Changing() {
        if (OnChanging) OnChanging();
    }
    std::vector<Item> items_;
};

class TDataStreamDataFormat : public TCustomDataFormat {
    PEM_DATA_FORMAT(TDataStreamDataFormat)
public:
    explicit TDataStreamDataFormat(TDragDropComponent* owner);
    explicit TDataStreamDataFormat(TDragDropComponentRole role);
    void Clear() override { streams_.Clear(); }
    bool HasData() override { return streams_.Count() > 0; }
    TStreamList& Streams() { return streams_; }

private:
    TStreamList streams_;
};

// Names with interfaces (the interfaces are held with a reference).
template <class I>
class TNamedInterfaceList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    int Add(const std::string& name, I* item) {
        items_.push_back({name, ComPtr<I>(item)});
        return Count() - 1;
    }
    void Clear() { items_.clear(); }
    const std::string& Names(int i) const { return items_.at(static_cast<size_t>(i)).first; }
    I* Items(int i) const { return items_.at(static_cast<size_t>(i)).second.Get(); }

private:
    std::vector<std::pair<std::string, ComPtr<I>>> items_;
};
using TStorageInterfaceList = TNamedInterfaceList<IStorage>;

// Memory blocks freed with the list.
class TMemoryList {
public:
    int Count() const { return static_cast<int>(blocks_.size()); }
    int Add(std::vector<uint8_t> block) {
        blocks_.push_back(std::move(block));
        return Count() - 1;
    }
    void Insert(int i, std::vector<uint8_t> block) { blocks_.insert(blocks_.begin() + i, std::move(block)); }
    void Delete(int i) { blocks_.erase(blocks_.begin() + i); }
    void Clear() { blocks_.clear(); }
    std::vector<uint8_t>& operator[](int i) { return blocks_.at(static_cast<size_t>(i)); }
    const std::vector<uint8_t>& operator[](int i) const { return blocks_.at(static_cast<size_t>(i)); }

private:
    std::vector<std::vector<uint8_t>> blocks_;
};

// A stream handed to a consumer: CopyTo copies in pieces of at most 1 MiB,
// and a negative count copies the rest of the stream, from its start when it
// stands at its end. A short write fails.
class TFixedStreamAdapter : public ComObject<IStream> {
public:
    explicit TFixedStreamAdapter(ComPtr<IStream> inner) : inner_(std::move(inner)) {}
    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override { return inner_->Read(pv, cb, pcbRead); }
    HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override { return inner_->Write(pv, cb, pcbWritten); }
    HRESULT Seek(int64_t move, DWORD origin, uint64_t* newPosition) override {
        return inner_->Seek(move, origin, newPosition);
    }
    HRESULT SetSize(uint64_t newSize) override { return inner_->SetSize(newSize); }
    HRESULT CopyTo(IStream* dest, uint64_t cb, uint64_t* pcbRead, uint64_t* pcbWritten) override;
    HRESULT Commit(DWORD flags) override { return inner_->Commit(flags); }
    HRESULT Revert() override { return inner_->Revert(); }
    HRESULT Stat(STATSTG* stat, DWORD flags) override { return inner_->Stat(stat, flags); }
    HRESULT Clone(IStream** out) override { return inner_->Clone(out); }
    IStream* Inner() const { return inner_.Get(); }

private:
    ComPtr<IStream> inner_;
};

// Reads a stream from its start up to the size its Stat reports (which must
// fit in 32 bits). The buffer grows with what is read, so a stream that
// claims more than it holds gives only its bytes. False when the stream
// cannot be asked; anything is false for a stream that reports no bytes.
bool ReadWholeStream(IStream* stream, std::vector<uint8_t>& out, bool& anything);
// The bytes of a storage copied into a compound file in memory, read as
// ReadWholeStream reads; a failing OLE call raises the OLE error.
bool ReadStorageAsFile(IStorage* storage, std::vector<uint8_t>& out, bool& anything);

// The start-up of this unit: the feedback and stream data formats and the
// drop-effect formats.
void InitialiseDragDropFormats();

} // namespace pem
