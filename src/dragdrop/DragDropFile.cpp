#include "DragDropFile.h"

#include "DragDropPIDL.h"
#include "Exceptions.h"
#include "OleClipboardFormats.h"
#include "OleCodePages.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace pem {

// ---- TUnicodeStrings

void TUnicodeStrings::Assign(const TUnicodeStrings& source) {
    if (&source == this) return;
    BeginUpdate();
    try {
        Clear();
        SetCapacity(source.Count());
        for (int i = 0; i < source.Count(); ++i) Add(source.Get(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TUnicodeStrings::Assign(const TStringList& source) {
    BeginUpdate();
    try {
        Clear();
        SetCapacity(source.Count());
        for (int i = 0; i < source.Count(); ++i) Add(MultiByteToWideChar(CP_ACP, source[i]));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TUnicodeStrings::AssignTo(TStringList& dest) const {
    dest.Clear();
    for (int i = 0; i < Count(); ++i) dest.Add(WideCharToMultiByte(CP_ACP, Get(i)));
}

int TUnicodeStrings::Add(const std::u16string& s) {
    int i = Count();
    Insert(i, s);
    return i;
}

int TUnicodeStrings::IndexOf(const std::u16string& s) const {
    for (int i = Count() - 1; i >= 0; --i)
        if (Get(i) == s) return i;
    return -1;
}

void TUnicodeStrings::Exchange(int i, int j) {
    std::u16string a = Get(i);
    Put(i, Get(j));
    Put(j, a);
}

void TUnicodeStrings::Move(int from, int to) {
    if (from == to) return;
    std::u16string s = Get(from);
    BeginUpdate();
    Delete(from);
    Insert(to, s);
    EndUpdate();
}

void TUnicodeStrings::BeginUpdate() {
    if (updateCount_ == 0) Changing();
    ++updateCount_;
}

void TUnicodeStrings::EndUpdate() {
    if (updateCount_ == 0) return;
    if (--updateCount_ == 0) Changed();
}

void TUnicodeStrings::Changed() {
    if (updateCount_ == 0 && OnChange) OnChange(this);
}

void TUnicodeStrings::Changing() {
    if (updateCount_ == 0 && OnChanging) OnChanging(this);
}

// ---- TUnicodeStringList

void TUnicodeStringList::Assign(const TUnicodeStrings& source) {
    auto* list = dynamic_cast<const TUnicodeStringList*>(&source);
    if (!list) {
        TUnicodeStrings::Assign(source);
        return;
    }
    if (list == this) return;
    // The same steps as any assignment, with the strings copied at once.
    BeginUpdate();
    try {
        Clear();
        SetCapacity(list->Count());
        items_ = list->items_;
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TUnicodeStringList::IndexError(int index) {
    throw Exception("List index out of bounds (" + std::to_string(index) + ")");
}

void TUnicodeStringList::SetCapacity(int capacity) {
    if (capacity < Count()) throw std::logic_error("Capacity below the count");
    capacity_ = capacity;
    items_.reserve(static_cast<size_t>(capacity));
}

void TUnicodeStringList::Grow() {
    int delta = capacity_ > 64 ? capacity_ / 4 : capacity_ > 8 ? 16 : 4;
    SetCapacity(capacity_ + delta);
}

std::u16string TUnicodeStringList::Get(int index) const {
    if (index < 0 || index >= Count()) IndexError(index);
    return items_[static_cast<size_t>(index)];
}

void TUnicodeStringList::Put(int index, const std::u16string& s) {
    if (index < 0 || index >= Count()) IndexError(index);
    Changing();
    items_[static_cast<size_t>(index)] = s;
    Changed();
}

void TUnicodeStringList::Insert(int index, const std::u16string& s) {
    if (index < 0 || index > Count()) IndexError(index);
    Changing();
    if (Count() == capacity_) Grow();
    items_.insert(items_.begin() + index, s);
    Changed();
}

void TUnicodeStringList::Clear() {
    if (items_.empty() && capacity_ == 0) return;
    Changing();
    items_.clear();
    capacity_ = 0;
    Changed();
}

void TUnicodeStringList::Delete(int index) {
    if (index < 0 || index >= Count()) IndexError(index);
    Changing();
    items_.erase(items_.begin() + index);
    Changed();
}

void TUnicodeStringList::Exchange(int i, int j) {
    if (i < 0 || i >= Count()) IndexError(i);
    if (j < 0 || j >= Count()) IndexError(j);
    Changing();
    std::swap(items_[static_cast<size_t>(i)], items_[static_cast<size_t>(j)]);
    Changed();
}

// ---- TUnicodeStringsAdapter

std::u16string TUnicodeStringsAdapter::Get(int index) const {
    return MultiByteToWideChar(CP_ACP, strings_[index]);
}

void TUnicodeStringsAdapter::Put(int index, const std::u16string& s) {
    strings_.Put(index, WideCharToMultiByte(CP_ACP, s));
}

void TUnicodeStringsAdapter::Insert(int index, const std::u16string& s) {
    strings_.Insert(index, WideCharToMultiByte(CP_ACP, s));
}

// ---- helpers

namespace {

uint32_t Get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

char16_t Get16(const uint8_t* p) { return static_cast<char16_t>(p[0] | (p[1] << 8)); }

void Put16(uint8_t* p, char16_t c) {
    p[0] = static_cast<uint8_t>(c & 0xFF);
    p[1] = static_cast<uint8_t>(c >> 8);
}

CLIPFORMAT Registered(CLIPFORMAT& id, const char* name) {
    if (!id) id = static_cast<CLIPFORMAT>(RegisterClipboardFormatA(name));
    return id;
}

// Names ended by NUL characters in a block, each handed on as it is read:
// the list ends at the first empty name or where the block ends (a last
// name without its NUL ends there too, never past it). Wide names take two
// bytes a character; an odd last byte is ignored.
template <class OnName>
void ScanWideNames(const uint8_t* p, size_t bytes, OnName onName) {
    const size_t chars = bytes / 2;
    size_t i = 0;
    while (i < chars) {
        const size_t start = i;
        while (i < chars && (p[2 * i] | p[2 * i + 1]) != 0) ++i;
        if (i == start) break;
        std::u16string name(i - start, u'\0');
        for (size_t k = 0; k < name.size(); ++k) name[k] = Get16(p + 2 * (start + k));
        onName(std::move(name));
        ++i;
    }
}

template <class OnName>
void ScanAnsiNames(const uint8_t* p, size_t bytes, OnName onName) {
    size_t i = 0;
    while (i < bytes) {
        const size_t start = i;
        while (i < bytes && p[i] != 0) ++i;
        if (i == start) break;
        onName(std::string(reinterpret_cast<const char*>(p + start), i - start));
        ++i;
    }
}

// Writes wide names, each ended by a NUL, and a closing NUL, as far as the
// buffer (already zeroed) reaches.
void PutWideNames(uint8_t* p, size_t bytes, const TUnicodeStrings& names) {
    size_t at = 0;
    for (int n = 0; n < names.Count(); ++n) {
        const std::u16string name = names.Get(n);
        for (size_t k = 0; k < name.size() && at + 2 <= bytes; ++k, at += 2) Put16(p + at, name[k]);
        if (at + 2 <= bytes) at += 2;
    }
}

void PutAnsiNames(uint8_t* p, size_t bytes, const TStringList& names) {
    size_t at = 0;
    for (int n = 0; n < names.Count(); ++n) {
        const std::string& name = names[n];
        const size_t len = std::min(name.size(), bytes - at);
        std::memcpy(p + at, name.data(), len);
        at += len;
        if (at < bytes) ++at;
    }
}

} // namespace

// ---- CF_HDROP

PEM_DEFINE_CLIPBOARD_FORMAT(TFileClipboardFormat, TCustomSimpleClipboardFormat,
                            &CreateClipboardFormat<TFileClipboardFormat>, ddRead, nullptr)

CLIPFORMAT TFileClipboardFormat::GetClipboardFormat() { return CF_HDROP; }

bool TFileClipboardFormat::ReadData(const void* value, size_t size) {
    files_.Clear();
    if (size < 21) return false;
    const auto* block = static_cast<const uint8_t*>(value);
    const uint32_t pFiles = Get32(block);
    const bool wide = Get32(block + 16) != 0;
    // The names must start after the header and inside the block.
    if (pFiles < 20 || pFiles >= size) return false;
    files_.BeginUpdate();
    try {
        if (wide)
            ScanWideNames(block + pFiles, size - pFiles, [this](std::u16string&& n) { files_.Add(n); });
        else
            ScanAnsiNames(block + pFiles, size - pFiles,
                          [this](std::string&& n) { files_.Add(MultiByteToWideChar(CP_ACP, n)); });
    } catch (...) {
        files_.EndUpdate();
        throw;
    }
    files_.EndUpdate();
    return files_.Count() > 0;
}

size_t TFileClipboardFormat::GetSize() {
    size_t chars = 0;
    for (int i = 0; i < files_.Count(); ++i)
        chars += (wide_ ? files_.Get(i).size() : WideCharToMultiByte(CP_ACP, files_.Get(i)).size()) + 1;
    return chars * (wide_ ? 2 : 1) + 22;
}

bool TFileClipboardFormat::WriteData(void* value, size_t size) {
    if (size < 21) return false;
    auto* block = static_cast<uint8_t*>(value);
    std::memset(block, 0, size);
    Put32(block, 20);
    Put32(block + 16, wide_ ? 1 : 0);
    if (wide_) {
        PutWideNames(block + 20, size - 20, files_);
    } else {
        TStringList names;
        files_.AssignTo(names);
        PutAnsiNames(block + 20, size - 20, names);
    }
    return true;
}

// ---- "FileName" and "FileNameW"

namespace {
void RegisterAnsiFilename() {
    RegisterCompatibleFormat(TFileDataFormat::StaticClass(), TAnsiFilenameClipboardFormat::StaticClass(), 2,
                             ddReadWrite);
}
void RegisterUnicodeFilename() {
    RegisterCompatibleFormat(TFileDataFormat::StaticClass(), TUnicodeFilenameClipboardFormat::StaticClass(), 3,
                             ddReadWrite);
}
} // namespace

PEM_DEFINE_CLIPBOARD_FORMAT(TAnsiFilenameClipboardFormat, TCustomAnsiTextClipboardFormat,
                            &CreateClipboardFormat<TAnsiFilenameClipboardFormat>, ddRead, &RegisterAnsiFilename)
PEM_DEFINE_CLIPBOARD_FORMAT(TUnicodeFilenameClipboardFormat, TCustomUnicodeTextClipboardFormat,
                            &CreateClipboardFormat<TUnicodeFilenameClipboardFormat>, ddRead, &RegisterUnicodeFilename)

CLIPFORMAT TAnsiFilenameClipboardFormat::GetClipboardFormat() {
    static CLIPFORMAT id = 0;
    return Registered(id, "FileName");
}

CLIPFORMAT TUnicodeFilenameClipboardFormat::GetClipboardFormat() {
    static CLIPFORMAT id = 0;
    return Registered(id, "FileNameW");
}

// ---- file-name maps

PEM_DEFINE_CLIPBOARD_FORMAT(TAnsiFilenameMapClipboardFormat, TCustomSimpleClipboardFormat,
                            &CreateClipboardFormat<TAnsiFilenameMapClipboardFormat>, ddRead, nullptr)
PEM_DEFINE_CLIPBOARD_FORMAT(TUnicodeFilenameMapClipboardFormat, TCustomSimpleClipboardFormat,
                            &CreateClipboardFormat<TUnicodeFilenameMapClipboardFormat>, ddRead, nullptr)

CLIPFORMAT TAnsiFilenameMapClipboardFormat::GetClipboardFormat() {
    static CLIPFORMAT id = 0;
    return Registered(id, "FileNameMap");
}

bool TAnsiFilenameMapClipboardFormat::ReadData(const void* value, size_t size) {
    names_.Clear();
    ScanAnsiNames(static_cast<const uint8_t*>(value), size, [this](std::string&& n) { names_.Add(n); });
    return names_.Count() > 0;
}

size_t TAnsiFilenameMapClipboardFormat::GetSize() {
    size_t chars = 1;
    for (int i = 0; i < names_.Count(); ++i) chars += names_[i].size() + 1;
    return chars;
}

bool TAnsiFilenameMapClipboardFormat::WriteData(void* value, size_t size) {
    std::memset(value, 0, size);
    PutAnsiNames(static_cast<uint8_t*>(value), size, names_);
    return true;
}

CLIPFORMAT TUnicodeFilenameMapClipboardFormat::GetClipboardFormat() {
    static CLIPFORMAT id = 0;
    return Registered(id, "FileNameMapW");
}

bool TUnicodeFilenameMapClipboardFormat::ReadData(const void* value, size_t size) {
    names_.Clear();
    names_.BeginUpdate();
    ScanWideNames(static_cast<const uint8_t*>(value), size, [this](std::u16string&& n) { names_.Add(n); });
    names_.EndUpdate();
    return names_.Count() > 0;
}

size_t TUnicodeFilenameMapClipboardFormat::GetSize() {
    size_t chars = 1;
    for (int i = 0; i < names_.Count(); ++i) chars += names_.Get(i).size() + 1;
    return 2 * chars;
}

bool TUnicodeFilenameMapClipboardFormat::WriteData(void* value, size_t size) {
    std::memset(value, 0, size);
    PutWideNames(static_cast<uint8_t*>(value), size, names_);
    return true;
}

// ---- file group descriptors

PEM_DEFINE_CLIPBOARD_FORMAT(TFileGroupDescriptorCustomClipboardFormat, TCustomSimpleClipboardFormat, nullptr, ddRead,
                            nullptr)
PEM_DEFINE_CLIPBOARD_FORMAT(TAnsiFileGroupDescriptorClipboardFormat, TFileGroupDescriptorCustomClipboardFormat,
                            &CreateClipboardFormat<TAnsiFileGroupDescriptorClipboardFormat>, ddRead, nullptr)
PEM_DEFINE_CLIPBOARD_FORMAT(TUnicodeFileGroupDescriptorClipboardFormat, TFileGroupDescriptorCustomClipboardFormat,
                            &CreateClipboardFormat<TUnicodeFileGroupDescriptorClipboardFormat>, ddRead, nullptr)

uint32_t TFileGroupDescriptorCustomClipboardFormat::Count() const {
    return block_.size() >= 4 ? Get32(block_.data()) : 0;
}

void TFileGroupDescriptorCustomClipboardFormat::SetCount(uint32_t count) {
    block_.assign(static_cast<size_t>(BlockSize(count)), 0);
    Put32(block_.data(), count);
}

void TFileGroupDescriptorCustomClipboardFormat::CheckIndex(uint32_t index) const {
    if (index >= Count()) throw Exception("Filename index out of bounds (" + std::to_string(index) + ")");
}

uint8_t* TFileGroupDescriptorCustomClipboardFormat::Record(uint32_t index) {
    CheckIndex(index);
    return block_.data() + 4 + static_cast<size_t>(index) * RecordSize();
}

bool TFileGroupDescriptorCustomClipboardFormat::ReadData(const void* value, size_t size) {
    block_.clear();
    if (size < 4) return false;
    const auto* block = static_cast<const uint8_t*>(value);
    // In 64 bits: a count near 2^31 (or one whose size wraps in 32 bits to
    // a small number) needs more than any block holds.
    const uint64_t need = BlockSize(Get32(block));
    if (size < need) return false;
    block_.assign(block, block + need);
    return true;
}

bool TFileGroupDescriptorCustomClipboardFormat::WriteData(void* value, size_t size) {
    if (size < block_.size()) return false;
    std::memset(value, 0, size);
    std::memcpy(value, block_.data(), block_.size());
    return true;
}

CLIPFORMAT TAnsiFileGroupDescriptorClipboardFormat::GetClipboardFormat() {
    static CLIPFORMAT id = 0;
    return Registered(id, "FileGroupDescriptor");
}

std::string TAnsiFileGroupDescriptorClipboardFormat::Filename(uint32_t index) const {
    CheckIndex(index);
    const uint8_t* name = block_.data() + 4 + static_cast<size_t>(index) * kFileDescriptorASize + kDescriptorNameOffset;
    size_t len = 0;
    while (len < kDescriptorNameChars && name[len] != 0) ++len;
    return std::string(reinterpret_cast<const char*>(name), len);
}

void TAnsiFileGroupDescriptorClipboardFormat::SetFilename(uint32_t index, const std::string& name) {
    uint8_t* field = Record(index) + kDescriptorNameOffset;
    std::memset(field, 0, kDescriptorNameChars);
    std::memcpy(field, name.data(), std::min(name.size(), kDescriptorNameChars - 1));
}

CLIPFORMAT TUnicodeFileGroupDescriptorClipboardFormat::GetClipboardFormat() {
    static CLIPFORMAT id = 0;
    return Registered(id, "FileGroupDescriptorW");
}

std::u16string DescriptorFilenameW(const uint8_t* record) {
    const uint8_t* name = record + kDescriptorNameOffset;
    std::u16string s;
    for (size_t i = 0; i < kDescriptorNameChars; ++i) {
        char16_t c = Get16(name + 2 * i);
        if (c == 0) break;
        s.push_back(c);
    }
    return s;
}

void SetDescriptorFilenameW(uint8_t* record, const std::u16string& name) {
    uint8_t* field = record + kDescriptorNameOffset;
    std::memset(field, 0, 2 * kDescriptorNameChars);
    const size_t len = std::min(name.size(), kDescriptorNameChars - 1);
    for (size_t i = 0; i < len; ++i) Put16(field + 2 * i, name[i]);
}

std::u16string TUnicodeFileGroupDescriptorClipboardFormat::Filename(uint32_t index) const {
    CheckIndex(index);
    return DescriptorFilenameW(block_.data() + 4 + static_cast<size_t>(index) * kFileDescriptorWSize);
}

void TUnicodeFileGroupDescriptorClipboardFormat::SetFilename(uint32_t index, const std::u16string& name) {
    SetDescriptorFilenameW(Record(index), name);
}

// ---- "FileContents"

namespace {
CLIPFORMAT FileContentsId() {
    static CLIPFORMAT id = 0;
    return Registered(id, "FileContents");
}

void RegisterContentsStreams() {
    TClipboardFormat::RegisterDataConversion(TFileContentsStreamClipboardFormat::StaticClass(),
                                             TDataStreamDataFormat::StaticClass());
}
} // namespace

PEM_DEFINE_CLIPBOARD_FORMAT(TFileContentsClipboardFormat, TCustomAnsiStringClipboardFormat,
                            &CreateClipboardFormat<TFileContentsClipboardFormat>, ddRead, nullptr)
PEM_DEFINE_CLIPBOARD_FORMAT(TFileContentsStreamClipboardFormat, TClipboardFormat,
                            &CreateClipboardFormat<TFileContentsStreamClipboardFormat>, ddRead,
                            &RegisterContentsStreams)
PEM_DEFINE_CLIPBOARD_FORMAT(TFileContentsStreamOnDemandClipboardFormat, TClipboardFormat,
                            &CreateClipboardFormat<TFileContentsStreamOnDemandClipboardFormat>, ddRead, nullptr)
PEM_DEFINE_CLIPBOARD_FORMAT(TFileContentsStorageClipboardFormat, TClipboardFormat,
                            &CreateClipboardFormat<TFileContentsStorageClipboardFormat>, ddRead, nullptr)

TFileContentsClipboardFormat::TFileContentsClipboardFormat() { formatEtc_.lindex = 0; }
CLIPFORMAT TFileContentsClipboardFormat::GetClipboardFormat() { return FileContentsId(); }

TFileContentsStreamClipboardFormat::TFileContentsStreamClipboardFormat()
    : TClipboardFormat(TYMED_ISTREAM | TYMED_ISTORAGE) {}
CLIPFORMAT TFileContentsStreamClipboardFormat::GetClipboardFormat() { return FileContentsId(); }

bool TFileContentsStreamClipboardFormat::AddContents(const STGMEDIUM& medium, const std::string& name) {
    std::vector<uint8_t> bytes;
    bool anything = false;
    bool ok = false;
    if (medium.tymed == TYMED_ISTREAM)
        ok = ReadWholeStream(medium.pstm, bytes, anything);
    else if (medium.tymed == TYMED_ISTORAGE)
        ok = ReadStorageAsFile(medium.pstg, bytes, anything);
    if (ok) streams_.Add(name, std::move(bytes));
    return ok;
}

bool TFileContentsStreamClipboardFormat::GetData(IDataObject* data) {
    Clear();
    if (!data) return false;
    // How many files, and their names: the wide descriptors first.
    std::vector<std::string> names;
    TUnicodeFileGroupDescriptorClipboardFormat wide;
    if (wide.GetData(data) && wide.HasData()) {
        for (uint32_t i = 0; i < wide.Count(); ++i) names.push_back(WideCharToMultiByte(CP_ACP, wide.Filename(i)));
    } else {
        TAnsiFileGroupDescriptorClipboardFormat ansi;
        if (ansi.GetData(data) && ansi.HasData())
            for (uint32_t i = 0; i < ansi.Count(); ++i) names.push_back(ansi.Filename(i));
    }
    for (size_t i = 0; i < names.size(); ++i) {
        FORMATETC f = FormatEtc();
        f.lindex = static_cast<LONG>(i);
        STGMEDIUM medium;
        if (FAILED(data->GetData(&f, &medium))) break;
        bool ok = false;
        try {
            ok = AddContents(medium, names[i]);
        } catch (...) {
            ReleaseStgMedium(&medium);
            throw;
        }
        ReleaseStgMedium(&medium);
        if (!ok) break;
    }
    return HasData();
}

bool TFileContentsStreamClipboardFormat::AssignTo(TCustomDataFormat* dest) {
    auto* streams = dynamic_cast<TDataStreamDataFormat*>(dest);
    if (!streams) return TClipboardFormat::AssignTo(dest);
    streams->Streams().Clear();
    for (int i = 0; i < streams_.Count(); ++i) streams->Streams().Add(streams_[i].Name, streams_[i].Data);
    return true;
}

TFileContentsStreamOnDemandClipboardFormat::TFileContentsStreamOnDemandClipboardFormat()
    : TClipboardFormat(TYMED_HGLOBAL | TYMED_ISTREAM) {}
CLIPFORMAT TFileContentsStreamOnDemandClipboardFormat::GetClipboardFormat() { return FileContentsId(); }

bool TFileContentsStreamOnDemandClipboardFormat::GetData(IDataObject* data) {
    offered_ = HasDataIn(data);
    return offered_;
}

bool TFileContentsStreamOnDemandClipboardFormat::WriteMedium(const FORMATETC& request, STGMEDIUM& medium) {
    const DWORD media = request.tymed & FormatEtc().tymed;
    if (request.lindex < 0 || !media || !OnGetStream) return false;
    DataRequested = true;
    ComPtr<IStream> stream;
    OnGetStream(static_cast<int>(request.lindex), stream);
    if (!stream) return false;
    if (media & TYMED_ISTREAM) {
        medium.tymed = TYMED_ISTREAM;
        medium.pstm = stream.Detach();
        return true;
    }
    // Only a block will do: the stream's bytes from its start, all of them.
    STATSTG stat;
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize > 0xFFFFFFFFu) return false;
    if (FAILED(stream->Seek(0, STREAM_SEEK_SET, nullptr))) return false;
    const size_t size = static_cast<size_t>(stat.cbSize);
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!h) return false;
    auto* bytes = static_cast<uint8_t*>(GlobalLock(h));
    size_t done = 0;
    while (done < size) {
        ULONG got = 0;
        ULONG want = static_cast<ULONG>(std::min<size_t>(size - done, 1u << 20));
        if (FAILED(stream->Read(bytes + done, want, &got)) || got == 0) break;
        done += got;
    }
    GlobalUnlock(h);
    if (done != size) {
        GlobalFree(h);
        return false;
    }
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = h;
    return true;
}

TFileContentsStorageClipboardFormat::TFileContentsStorageClipboardFormat() : TClipboardFormat(TYMED_ISTORAGE) {}
CLIPFORMAT TFileContentsStorageClipboardFormat::GetClipboardFormat() { return FileContentsId(); }

bool TFileContentsStorageClipboardFormat::ReadMedium(const FORMATETC&, const STGMEDIUM& medium) {
    if (medium.tymed != TYMED_ISTORAGE || !medium.pstg) return false;
    STATSTG stat;
    std::string name;
    if (SUCCEEDED(medium.pstg->Stat(&stat, STATFLAG_DEFAULT))) name = WideCharToMultiByte(CP_ACP, stat.name);
    storages_.Add(name, medium.pstg);
    return true;
}

bool TFileContentsStorageClipboardFormat::WriteMedium(const FORMATETC& request, STGMEDIUM& medium) {
    if (!(request.tymed & TYMED_ISTORAGE)) return false;
    const LONG index = request.lindex == -1 ? 0 : request.lindex;
    if (index < 0 || index >= storages_.Count()) return false;
    medium.tymed = TYMED_ISTORAGE;
    medium.pstg = storages_.Items(index);
    medium.pstg->AddRef();
    return true;
}

// ---- descriptors as names

void TFileDescriptorToFilenameStrings::CheckIndex(int index, int limit) const {
    if (index < 0 || index > limit) throw Exception("Filename index out of bounds (" + std::to_string(index) + ")");
}

std::u16string TFileDescriptorToFilenameStrings::Get(int index) const {
    CheckIndex(index, Count() - 1);
    return DescriptorFilenameW(records_[index].data());
}

void TFileDescriptorToFilenameStrings::Put(int index, const std::u16string& s) {
    CheckIndex(index, Count() - 1);
    Changing();
    SetDescriptorFilenameW(records_[index].data(), s);
    Changed();
}

void TFileDescriptorToFilenameStrings::Insert(int index, const std::u16string& s) {
    CheckIndex(index, Count());
    Changing();
    std::vector<uint8_t> record(kFileDescriptorWSize, 0);
    SetDescriptorFilenameW(record.data(), s);
    records_.Insert(index, std::move(record));
    Changed();
}

void TFileDescriptorToFilenameStrings::Clear() {
    Changing();
    records_.Clear();
    Changed();
}

void TFileDescriptorToFilenameStrings::Delete(int index) {
    CheckIndex(index, Count() - 1);
    Changing();
    records_.Delete(index);
    Changed();
}

// ---- TFileDataFormat

namespace {
void RegisterFileFormats() {
    const TDataFormatClass& df = TFileDataFormat::StaticClass();
    RegisterCompatibleFormat(df, TFileClipboardFormat::StaticClass(), 0, ddReadWrite);
    RegisterCompatibleFormat(df, TPIDLClipboardFormat::StaticClass(), 1, ddReadWrite);
}

void RegisterFileMapFormats() {
    const TDataFormatClass& df = TFileMapDataFormat::StaticClass();
    RegisterCompatibleFormat(df, TAnsiFilenameMapClipboardFormat::StaticClass(), -1, ddReadWrite);
    RegisterCompatibleFormat(df, TUnicodeFilenameMapClipboardFormat::StaticClass(), 0, ddReadWrite);
}

void RegisterVirtualFileFormats() {
    const TDataFormatClass& df = TVirtualFileStreamDataFormat::StaticClass();
    RegisterCompatibleFormat(df, TFileContentsStreamOnDemandClipboardFormat::StaticClass(), 0, ddReadWrite);
    RegisterCompatibleFormat(df, TAnsiFileGroupDescriptorClipboardFormat::StaticClass(), 1, ddReadWrite);
    RegisterCompatibleFormat(df, TUnicodeFileGroupDescriptorClipboardFormat::StaticClass(), 0, ddReadWrite);
}
} // namespace

PEM_DEFINE_DATA_FORMAT(TFileDataFormat, TCustomDataFormat, &RegisterFileFormats)
PEM_DEFINE_DATA_FORMAT(TFileMapDataFormat, TCustomDataFormat, &RegisterFileMapFormats)
PEM_DEFINE_DATA_FORMAT(TVirtualFileStreamDataFormat, TCustomDataFormat, &RegisterVirtualFileFormats)

TFileDataFormat::TFileDataFormat(TDragDropComponent* owner) : TCustomDataFormat(owner) { Hook(); }
TFileDataFormat::TFileDataFormat(TDragDropComponentRole role) : TCustomDataFormat(role) { Hook(); }

// The data format hears of a change of its names before it happens, so a
// source can first flush what it put on the clipboard.
void TFileDataFormat::Hook() {
    files_.OnChanging = [this](TUnicodeStrings*) { Changing(); };
}

bool TFileDataFormat::Assign(TClipboardFormat* source) {
    if (auto* f = dynamic_cast<TFileClipboardFormat*>(source)) {
        files_.Assign(f->Files());
    } else if (auto* f = dynamic_cast<TPIDLClipboardFormat*>(source)) {
        files_.Assign(f->Filenames());
    } else if (auto* f = dynamic_cast<TAnsiFilenameClipboardFormat*>(source)) {
        files_.BeginUpdate();
        files_.Clear();
        files_.Add(MultiByteToWideChar(CP_ACP, f->Filename()));
        files_.EndUpdate();
    } else if (auto* f = dynamic_cast<TUnicodeFilenameClipboardFormat*>(source)) {
        files_.BeginUpdate();
        files_.Clear();
        files_.Add(f->Filename());
        files_.EndUpdate();
    } else {
        return TCustomDataFormat::Assign(source);
    }
    return true;
}

bool TFileDataFormat::AssignTo(TClipboardFormat* dest) {
    if (auto* f = dynamic_cast<TFileClipboardFormat*>(dest)) {
        f->Files().Assign(files_);
    } else if (auto* f = dynamic_cast<TPIDLClipboardFormat*>(dest)) {
        f->Filenames().Assign(files_);
    } else if (auto* f = dynamic_cast<TAnsiFilenameClipboardFormat*>(dest)) {
        if (files_.Count() > 0) f->SetFilename(WideCharToMultiByte(CP_ACP, files_.Get(0)));
    } else if (auto* f = dynamic_cast<TUnicodeFilenameClipboardFormat*>(dest)) {
        if (files_.Count() > 0) f->SetFilename(files_.Get(0));
    } else {
        return TCustomDataFormat::AssignTo(dest);
    }
    return true;
}

// ---- TFileMapDataFormat

TFileMapDataFormat::TFileMapDataFormat(TDragDropComponent* owner) : TCustomDataFormat(owner) { Hook(); }
TFileMapDataFormat::TFileMapDataFormat(TDragDropComponentRole role) : TCustomDataFormat(role) { Hook(); }

void TFileMapDataFormat::Hook() {
    names_.OnChanging = [this](TUnicodeStrings*) { Changing(); };
}

bool TFileMapDataFormat::Assign(TClipboardFormat* source) {
    if (auto* f = dynamic_cast<TAnsiFilenameMapClipboardFormat*>(source)) {
        names_.Assign(f->FileMaps());
    } else if (auto* f = dynamic_cast<TUnicodeFilenameMapClipboardFormat*>(source)) {
        names_.Assign(f->FileMaps());
    } else {
        return TCustomDataFormat::Assign(source);
    }
    return true;
}

bool TFileMapDataFormat::AssignTo(TClipboardFormat* dest) {
    if (auto* f = dynamic_cast<TAnsiFilenameMapClipboardFormat*>(dest)) {
        names_.AssignTo(f->FileMaps());
    } else if (auto* f = dynamic_cast<TUnicodeFilenameMapClipboardFormat*>(dest)) {
        f->FileMaps().Assign(names_);
    } else {
        return TCustomDataFormat::AssignTo(dest);
    }
    return true;
}

// ---- TVirtualFileStreamDataFormat

TVirtualFileStreamDataFormat::TVirtualFileStreamDataFormat(TDragDropComponent* owner) : TCustomDataFormat(owner) {
    LookUpFormats();
}

TVirtualFileStreamDataFormat::TVirtualFileStreamDataFormat(TDragDropComponentRole role) : TCustomDataFormat(role) {
    LookUpFormats();
}

void TVirtualFileStreamDataFormat::LookUpFormats() {
    TClipboardFormats& list = CompatibleFormats();
    contents_ = static_cast<TFileContentsStreamOnDemandClipboardFormat*>(
        list.GetFormat(TFileContentsStreamOnDemandClipboardFormat::StaticClass()));
    ansi_ = static_cast<TAnsiFileGroupDescriptorClipboardFormat*>(
        list.GetFormat(TAnsiFileGroupDescriptorClipboardFormat::StaticClass()));
    wide_ = static_cast<TUnicodeFileGroupDescriptorClipboardFormat*>(
        list.GetFormat(TUnicodeFileGroupDescriptorClipboardFormat::StaticClass()));
}

void TVirtualFileStreamDataFormat::Clear() {
    Changing();
    descriptors_.Clear();
    hasContents_ = false;
}

bool TVirtualFileStreamDataFormat::HasData() {
    return descriptors_.Count() > 0 && (hasContents_ || (contents_ && contents_->OnGetStream));
}

bool TVirtualFileStreamDataFormat::NeedsData() { return descriptors_.Count() == 0 || !hasContents_; }

bool TVirtualFileStreamDataFormat::Assign(TClipboardFormat* source) {
    if (auto* f = dynamic_cast<TUnicodeFileGroupDescriptorClipboardFormat*>(source)) {
        Changing();
        descriptors_.Clear();
        for (uint32_t i = 0; i < f->Count(); ++i) {
            const uint8_t* r = f->Record(i);
            descriptors_.Add(std::vector<uint8_t>(r, r + kFileDescriptorWSize));
        }
    } else if (auto* f = dynamic_cast<TAnsiFileGroupDescriptorClipboardFormat*>(source)) {
        Changing();
        descriptors_.Clear();
        for (uint32_t i = 0; i < f->Count(); ++i) {
            std::vector<uint8_t> record(kFileDescriptorWSize, 0);
            std::memcpy(record.data(), f->Record(i), kDescriptorNameOffset);
            SetDescriptorFilenameW(record.data(), MultiByteToWideChar(CP_ACP, f->Filename(i)));
            descriptors_.Add(std::move(record));
        }
    } else if (dynamic_cast<TFileContentsStreamOnDemandClipboardFormat*>(source)) {
        hasContents_ = true;
    } else {
        return TCustomDataFormat::Assign(source);
    }
    return true;
}

bool TVirtualFileStreamDataFormat::AssignTo(TClipboardFormat* dest) {
    const auto count = static_cast<uint32_t>(descriptors_.Count());
    if (auto* f = dynamic_cast<TUnicodeFileGroupDescriptorClipboardFormat*>(dest)) {
        f->SetCount(count);
        for (uint32_t i = 0; i < count; ++i)
            std::memcpy(f->Record(i), descriptors_[static_cast<int>(i)].data(), kFileDescriptorWSize);
    } else if (auto* f = dynamic_cast<TAnsiFileGroupDescriptorClipboardFormat*>(dest)) {
        f->SetCount(count);
        for (uint32_t i = 0; i < count; ++i) {
            const std::vector<uint8_t>& record = descriptors_[static_cast<int>(i)];
            std::memcpy(f->Record(i), record.data(), kDescriptorNameOffset);
            f->SetFilename(i, WideCharToMultiByte(CP_ACP, DescriptorFilenameW(record.data())));
        }
    } else if (auto* f = dynamic_cast<TFileContentsStreamOnDemandClipboardFormat*>(dest)) {
        f->GotData = true;
    } else {
        return TCustomDataFormat::AssignTo(dest);
    }
    return true;
}

// ---- components

TDropFileTarget::TDropFileTarget() {
    OptimizedMove = true;
    files_ = new TFileDataFormat(this);
    maps_ = new TFileMapDataFormat(this);
}

DWORD TDropFileTarget::GetPreferredDropEffect() {
    DWORD effect = TCustomDropMultiTarget::GetPreferredDropEffect();
    return effect != DROPEFFECT_NONE ? effect : DROPEFFECT_COPY;
}

TDropFileSource::TDropFileSource() {
    files_ = new TFileDataFormat(this);
    maps_ = new TFileMapDataFormat(this);
}

void InitialiseDragDropFile() {
    RegisterDataFormat(TFileDataFormat::StaticClass());
    TClipboardFormat::RegisterFormat(TAnsiFilenameClipboardFormat::StaticClass());
    TClipboardFormat::RegisterFormat(TUnicodeFilenameClipboardFormat::StaticClass());
    RegisterDataFormat(TFileMapDataFormat::StaticClass());
    RegisterDataFormat(TVirtualFileStreamDataFormat::StaticClass());
    TClipboardFormat::RegisterFormat(TFileContentsStreamClipboardFormat::StaticClass());
}

} // namespace pem
