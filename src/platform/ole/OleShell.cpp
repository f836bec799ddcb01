#include "OleShell.h"

#include <cstring>
#include <vector>

namespace pem {

namespace {

uint16_t ReadCb(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

class TaskMalloc : public ComObject<IMalloc> {
public:
    void* Alloc(size_t cb) override { return CoTaskMemAlloc(cb); }
    void Free(void* p) override { CoTaskMemFree(p); }
};

class DesktopFolder : public ComObject<IShellFolder> {
public:
    // An absolute path: a leading "/", components between separators (empty
    // ones are skipped). "." and ".." and NUL characters are refused: a list
    // names a place, it does not walk to one.
    HRESULT ParseDisplayName(HWND, IBindCtx*, const std::u16string& name, ULONG* eaten, PIDLIST* pidl,
                             ULONG*) override {
        if (!pidl) return E_INVALIDARG;
        *pidl = nullptr;
        if (name.empty() || name[0] != u'/') return E_INVALIDARG;
        std::vector<uint8_t> bytes;
        size_t i = 0;
        while (i < name.size()) {
            size_t j = name.find(u'/', i);
            if (j == std::u16string::npos) j = name.size();
            std::u16string_view part(name.data() + i, j - i);
            i = j + 1;
            if (part.empty()) continue;
            if (part == u"." || part == u".." || part.find(u'\0') != std::u16string_view::npos) return E_INVALIDARG;
            size_t cb = 2 + part.size() * 2;
            if (cb > 0xFFFF) return E_INVALIDARG;
            bytes.push_back(static_cast<uint8_t>(cb));
            bytes.push_back(static_cast<uint8_t>(cb >> 8));
            for (char16_t c : part) {
                bytes.push_back(static_cast<uint8_t>(c));
                bytes.push_back(static_cast<uint8_t>(c >> 8));
            }
        }
        bytes.push_back(0);
        bytes.push_back(0);
        *pidl = static_cast<PIDLIST>(CoTaskMemAlloc(bytes.size()));
        std::memcpy(*pidl, bytes.data(), bytes.size());
        if (eaten) *eaten = static_cast<ULONG>(name.size());
        return S_OK;
    }
};

} // namespace

size_t ILGetSizeBounded(PCIDLIST pidl, size_t maxBytes) {
    if (!pidl) return 0;
    size_t at = 0;
    for (;;) {
        if (at > maxBytes || maxBytes - at < 2) return 0;
        uint16_t cb = ReadCb(pidl + at);
        if (cb == 0) return at + 2;
        if (cb < 2 || cb > maxBytes - at) return 0;
        at += cb;
    }
}

size_t ILGetSize(PCIDLIST pidl) { return ILGetSizeBounded(pidl, SIZE_MAX); }

PIDLIST ILClone(PCIDLIST pidl) {
    size_t n = ILGetSize(pidl);
    return n ? ILFromBytes(pidl, n) : nullptr;
}

PIDLIST ILFromBytes(const uint8_t* data, size_t size) {
    if (!data || size == 0 || ILGetSizeBounded(data, size) != size) return nullptr;
    auto* p = static_cast<PIDLIST>(CoTaskMemAlloc(size));
    std::memcpy(p, data, size);
    return p;
}

HRESULT SHGetMalloc(IMalloc** out) {
    if (!out) return E_INVALIDARG;
    // One allocator for the process; its own reference keeps it.
    static auto* m = [] {
        auto* a = new TaskMalloc;
        a->AddRef();
        return a;
    }();
    *out = m;
    m->AddRef();
    return S_OK;
}

HRESULT SHGetDesktopFolder(IShellFolder** out) {
    if (!out) return E_INVALIDARG;
    *out = MakeCom<DesktopFolder>().Detach();
    return S_OK;
}

bool SHGetPathFromIDListW(PCIDLIST pidl, std::u16string& path, size_t maxChars) {
    path.clear();
    size_t size = ILGetSize(pidl);
    if (!size) return false;
    std::u16string out;
    for (size_t at = 0; ReadCb(pidl + at) != 0;) {
        uint16_t cb = ReadCb(pidl + at);
        if (cb % 2 != 0 || cb == 2) return false; // a component is whole UTF-16 and not empty
        out += u'/';
        for (size_t k = at + 2; k < at + cb; k += 2) {
            auto c = static_cast<char16_t>(pidl[k] | (pidl[k + 1] << 8));
            if (c == u'/' || c == 0) return false;
            out += c;
        }
        at += cb;
    }
    if (out.empty()) out.push_back(u'/');
    if (out.size() + 1 > maxChars) return false;
    path = std::move(out);
    return true;
}

} // namespace pem
