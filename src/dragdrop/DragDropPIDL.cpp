#include "DragDropPIDL.h"

#include "OleClipboardFormats.h"
#include "OleCodePages.h"

#include <cstring>

namespace pem {

namespace {

uint16_t Cb(PCIDLIST p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t Get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

// The items of a list one by one (without the terminating zero).
std::vector<std::vector<uint8_t>> Items(PCIDLIST pidl) {
    std::vector<std::vector<uint8_t>> out;
    for (size_t at = 0; Cb(pidl + at) != 0; at += Cb(pidl + at)) out.emplace_back(pidl + at, pidl + at + Cb(pidl + at));
    return out;
}

PIDLIST FromItems(const std::vector<std::vector<uint8_t>>& items, size_t from) {
    size_t size = 2;
    for (size_t i = from; i < items.size(); ++i) size += items[i].size();
    auto* p = static_cast<PIDLIST>(CoTaskMemAlloc(size));
    size_t at = 0;
    for (size_t i = from; i < items.size(); ++i) {
        std::memcpy(p + at, items[i].data(), items[i].size());
        at += items[i].size();
    }
    p[at] = p[at + 1] = 0;
    return p;
}

std::string Narrow(const std::u16string& s) { return WideCharToMultiByte(CP_ACP, s); }

} // namespace

// ---- TPIDLList

TPIDLList::~TPIDLList() {
    for (PIDLIST p : items_) CoTaskMemFree(p);
}

int TPIDLList::Add(PCIDLIST pidl) { return AddOwned(ILClone(pidl)); }

int TPIDLList::AddOwned(PIDLIST pidl) {
    items_.push_back(pidl);
    Changed();
    return Count() - 1;
}

void TPIDLList::Assign(const TPIDLList& other) {
    if (&other == this) return;
    for (PIDLIST p : items_) CoTaskMemFree(p);
    items_.clear();
    for (PIDLIST p : other.items_) items_.push_back(ILClone(p));
    Changed();
}

void TPIDLList::Clear() {
    for (PIDLIST p : items_) CoTaskMemFree(p);
    items_.clear();
    Changed();
}

std::u16string TPIDLList::FileName(int child) const {
    if (child < 1 || child >= Count()) return {};
    PCIDLIST parent = items_[0];
    PCIDLIST kid = items_[static_cast<size_t>(child)];
    size_t parentSize = ILGetSize(parent), kidSize = ILGetSize(kid);
    if (!parentSize || !kidSize) return {};
    // The parent's items without its terminating zero, then the child's.
    std::vector<uint8_t> joined(parent, parent + parentSize - 2);
    joined.insert(joined.end(), kid, kid + kidSize);
    std::u16string path;
    if (!SHGetPathFromIDListW(joined.data(), path)) path.clear();
    return path;
}

// ---- the file-name view

std::u16string TPIDLsToFilenamesStrings::Get(int index) const {
    if (index < 0 || index >= Count()) throw Exception("Filename index out of range");
    return list_.FileName(index + 1);
}

void TPIDLsToFilenamesStrings::Assign(const TUnicodeStrings& source) { FilenamesToPIDLs(source, list_); }

void TPIDLsToFilenamesStrings::Assign(const TStringList& source) {
    TStringList copy = source;
    TUnicodeStringsAdapter wide(copy);
    FilenamesToPIDLs(wide, list_);
}

bool FilenamesToPIDLs(const TUnicodeStrings& names, TPIDLList& list) {
    list.Clear();
    if (names.Count() == 0) return false;
    ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.Put())) || !desktop) throw Exception("Failed to get interface to Desktop");

    // The items every name's folder shares, from the top.
    std::vector<std::vector<uint8_t>> common;
    for (int i = 0; i < names.Count(); ++i) {
        std::u16string name = names.Get(i);
        size_t slash = name.rfind(u'/');
        std::u16string folder = slash == std::u16string::npos ? std::u16string() : name.substr(0, slash + 1);
        PIDLIST pidl = nullptr;
        if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, folder, nullptr, &pidl, nullptr)) || !pidl)
            throw Exception("Invalid filename: " + Narrow(folder));
        std::vector<std::vector<uint8_t>> items = Items(pidl);
        CoTaskMemFree(pidl);
        if (i == 0) {
            common = std::move(items);
        } else {
            size_t n = 0;
            while (n < common.size() && n < items.size() && common[n] == items[n]) ++n;
            common.resize(n);
        }
    }
    list.AddOwned(FromItems(common, 0));
    for (int i = 0; i < names.Count(); ++i) {
        PIDLIST pidl = nullptr;
        if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, names.Get(i), nullptr, &pidl, nullptr)) || !pidl) {
            list.Clear();
            return false;
        }
        std::vector<std::vector<uint8_t>> items = Items(pidl);
        CoTaskMemFree(pidl);
        list.AddOwned(FromItems(items, std::min(common.size(), items.size())));
    }
    return true;
}

// ---- TPIDLClipboardFormat

PEM_DEFINE_CLIPBOARD_FORMAT(TPIDLClipboardFormat, TCustomSimpleClipboardFormat,
                            &CreateClipboardFormat<TPIDLClipboardFormat>, ddRead, nullptr)

CLIPFORMAT TPIDLClipboardFormat::GetClipboardFormat() {
    static CLIPFORMAT id = static_cast<CLIPFORMAT>(RegisterClipboardFormatA("Shell IDList Array"));
    return id;
}

bool TPIDLClipboardFormat::ReadData(const void* value, size_t size) {
    pidls_.Clear();
    const auto* block = static_cast<const uint8_t*>(value);
    if (size < 4) return false;
    const uint64_t children = Get32(block);
    // The offset table and at least a zero per entry must fit (a parent
    // alone still needs its offset); the sums are taken in 64 bits so a huge
    // count cannot wrap into a small one.
    if (size < 8 * children + 4 || size < 4 * (children + 2)) return false;
    for (uint64_t i = 0; i <= children; ++i) {
        uint32_t offset = Get32(block + 4 + 4 * i);
        PIDLIST pidl = offset < size ? ILFromBytes(block + offset, ILGetSizeBounded(block + offset, size - offset))
                                     : nullptr;
        if (!pidl) {
            pidls_.Clear();
            return false;
        }
        pidls_.AddOwned(pidl);
    }
    if (pidls_.Count() >= 2) return true;
    pidls_.Clear(); // a parent alone names no file
    return false;
}

size_t TPIDLClipboardFormat::GetSize() {
    if (pidls_.Count() == 0) return 0;
    size_t size = 4 * (static_cast<size_t>(pidls_.Count()) + 1);
    for (int i = 0; i < pidls_.Count(); ++i) size += ILGetSize(pidls_[i]);
    return size;
}

bool TPIDLClipboardFormat::WriteData(void* value, size_t size) {
    if (pidls_.Count() == 0 || size < GetSize()) return false;
    auto* block = static_cast<uint8_t*>(value);
    Put32(block, static_cast<uint32_t>(pidls_.Count() - 1));
    size_t at = 4 * (static_cast<size_t>(pidls_.Count()) + 1);
    for (int i = 0; i < pidls_.Count(); ++i) {
        size_t n = ILGetSize(pidls_[i]);
        Put32(block + 4 + 4 * i, static_cast<uint32_t>(at));
        std::memcpy(block + at, pidls_[i], n);
        at += n;
    }
    return true;
}

// ---- TPIDLDataFormat

namespace {
void RegisterPIDLFormats() {
    RegisterCompatibleFormat(TPIDLDataFormat::StaticClass(), TPIDLClipboardFormat::StaticClass(), 0, ddReadWrite);
    RegisterCompatibleFormat(TPIDLDataFormat::StaticClass(), TFileClipboardFormat::StaticClass(), 1, ddReadWrite);
}
} // namespace

PEM_DEFINE_DATA_FORMAT(TPIDLDataFormat, TCustomDataFormat, &RegisterPIDLFormats)

TPIDLDataFormat::TPIDLDataFormat(TDragDropComponent* owner) : TCustomDataFormat(owner) {
    pidls_.OnChange = [this] { Changing(); };
}

TPIDLDataFormat::TPIDLDataFormat(TDragDropComponentRole role) : TCustomDataFormat(role) {
    pidls_.OnChange = [this] { Changing(); };
}

bool TPIDLDataFormat::Assign(TClipboardFormat* source) {
    if (auto* f = dynamic_cast<TPIDLClipboardFormat*>(source)) {
        pidls_.Assign(f->Pidls());
        return true;
    }
    if (auto* f = dynamic_cast<TFileClipboardFormat*>(source)) {
        // Dropped names that make no item-ID list (a relative name) read as
        // no data, as any malformed drop does.
        try {
            return FilenamesToPIDLs(f->Files(), pidls_);
        } catch (const Exception&) {
            pidls_.Clear();
            return false;
        }
    }
    return TCustomDataFormat::Assign(source);
}

bool TPIDLDataFormat::AssignTo(TClipboardFormat* dest) {
    if (auto* f = dynamic_cast<TPIDLClipboardFormat*>(dest)) {
        f->Pidls().Assign(pidls_);
        return true;
    }
    if (auto* f = dynamic_cast<TFileClipboardFormat*>(dest)) {
        f->Files().Assign(filenames_);
        return true;
    }
    return TCustomDataFormat::AssignTo(dest);
}

void InitialiseDragDropPIDL() { RegisterDataFormat(TPIDLDataFormat::StaticClass()); }

} // namespace pem
