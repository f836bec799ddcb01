#include "OleMemory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <variant>

namespace pem {

namespace {
std::atomic<long> g_blocks{0};
std::atomic<long> g_streams{0};
// Nothing in one process needs more than this in one block; larger requests
// fail as an allocation would.
constexpr size_t kMaxBlock = size_t(1) << 31;
} // namespace

HGLOBAL GlobalAlloc(UINT, size_t size) {
    if (size > kMaxBlock) return nullptr;
    try {
        auto* b = new GlobalBlock;
        b->bytes.assign(size, 0);
        ++g_blocks;
        return b;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

HGLOBAL GlobalReAlloc(HGLOBAL h, size_t size, UINT) {
    if (!h || size > kMaxBlock) return nullptr;
    try {
        h->bytes.resize(size, 0);
        return h;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void* GlobalLock(HGLOBAL h) {
    if (!h || h->bytes.empty()) return nullptr;
    ++h->locks;
    return h->bytes.data();
}

bool GlobalUnlock(HGLOBAL h) {
    if (!h || h->locks == 0) return false;
    return --h->locks > 0;
}

size_t GlobalSize(HGLOBAL h) { return h ? h->bytes.size() : 0; }

HGLOBAL GlobalFree(HGLOBAL h) {
    if (h) {
        delete h;
        --g_blocks;
    }
    return nullptr;
}

long GlobalBlocksAlive() { return g_blocks; }

std::vector<uint8_t> GlobalBytes(HGLOBAL h) { return h ? h->bytes : std::vector<uint8_t>{}; }

HGLOBAL GlobalFromBytes(const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    return GlobalFromVector(std::vector<uint8_t>(p, p + (p ? size : 0)));
}

HGLOBAL GlobalFromVector(std::vector<uint8_t>&& bytes) {
    if (bytes.size() > kMaxBlock) return nullptr;
    try {
        auto* b = new GlobalBlock;
        b->bytes = std::move(bytes);
        ++g_blocks;
        return b;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// ---- streams over a block

namespace {

struct SharedBlock {
    SharedBlock(HGLOBAL block, bool del) : h(block), deleteOnRelease(del) {}
    SharedBlock(const SharedBlock&) = delete;
    SharedBlock& operator=(const SharedBlock&) = delete;
    HGLOBAL h;
    bool deleteOnRelease;
    ~SharedBlock() {
        if (deleteOnRelease) GlobalFree(h);
    }
};

class HGlobalStream : public ComObject<IStream> {
public:
    HGlobalStream(std::shared_ptr<SharedBlock> block, uint64_t pos) : block_(std::move(block)), pos_(pos) {
        ++g_streams;
    }
    HGLOBAL Handle() const { return block_->h; }

    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override {
        auto& bytes = block_->h->bytes;
        uint64_t avail = pos_ < bytes.size() ? bytes.size() - pos_ : 0;
        ULONG n = static_cast<ULONG>(std::min<uint64_t>(cb, avail));
        if (n) std::memcpy(pv, bytes.data() + pos_, n);
        pos_ += n;
        if (pcbRead) *pcbRead = n;
        return n < cb ? S_FALSE : S_OK;
    }
    HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override {
        auto& bytes = block_->h->bytes;
        if (pcbWritten) *pcbWritten = 0;
        if (pos_ + cb > kMaxBlock) return STG_E_MEDIUMFULL;
        try {
            if (pos_ + cb > bytes.size()) bytes.resize(pos_ + cb, 0);
        } catch (const std::bad_alloc&) {
            return STG_E_MEDIUMFULL;
        }
        if (cb) std::memcpy(bytes.data() + pos_, pv, cb);
        pos_ += cb;
        if (pcbWritten) *pcbWritten = cb;
        return S_OK;
    }
    HRESULT Seek(int64_t move, DWORD origin, uint64_t* newPosition) override {
        int64_t base = origin == STREAM_SEEK_SET   ? 0
                       : origin == STREAM_SEEK_CUR ? static_cast<int64_t>(pos_)
                       : origin == STREAM_SEEK_END ? static_cast<int64_t>(block_->h->bytes.size())
                                                   : -1;
        if (base < 0) return STG_E_INVALIDFUNCTION;
        int64_t to = base + move;
        if (to < 0) return STG_E_INVALIDFUNCTION;
        pos_ = static_cast<uint64_t>(to);
        if (newPosition) *newPosition = pos_;
        return S_OK;
    }
    HRESULT SetSize(uint64_t newSize) override {
        if (newSize > kMaxBlock) return STG_E_MEDIUMFULL;
        try {
            block_->h->bytes.resize(newSize, 0);
        } catch (const std::bad_alloc&) {
            return STG_E_MEDIUMFULL;
        }
        return S_OK;
    }
    HRESULT CopyTo(IStream* dest, uint64_t cb, uint64_t* pcbRead, uint64_t* pcbWritten) override {
        if (!dest) return STG_E_INVALIDPOINTER;
        auto& bytes = block_->h->bytes;
        uint64_t avail = pos_ < bytes.size() ? bytes.size() - pos_ : 0;
        uint64_t n = std::min(cb, avail);
        uint64_t written = 0;
        HRESULT hr = S_OK;
        while (written < n) {
            ULONG piece = static_cast<ULONG>(std::min<uint64_t>(n - written, 1u << 20));
            ULONG w = 0;
            hr = dest->Write(bytes.data() + pos_ + written, piece, &w);
            written += w;
            if (FAILED(hr) || w < piece) break;
        }
        pos_ += written;
        if (pcbRead) *pcbRead = written;
        if (pcbWritten) *pcbWritten = written;
        return FAILED(hr) ? hr : S_OK;
    }
    HRESULT Commit(DWORD) override { return S_OK; }
    HRESULT Revert() override { return S_OK; }
    HRESULT Stat(STATSTG* stat, DWORD) override {
        if (!stat) return STG_E_INVALIDPOINTER;
        *stat = STATSTG{};
        stat->type = STGTY_STREAM;
        stat->cbSize = block_->h->bytes.size();
        return S_OK;
    }
    HRESULT Clone(IStream** out) override {
        if (!out) return STG_E_INVALIDPOINTER;
        *out = new HGlobalStream(block_, pos_);
        (*out)->AddRef();
        return S_OK;
    }

protected:
    ~HGlobalStream() override { --g_streams; }

private:
    std::shared_ptr<SharedBlock> block_;
    uint64_t pos_;
};

class HGlobalLockBytes : public ComObject<ILockBytes> {
public:
    HGlobalLockBytes(HGLOBAL h, bool deleteOnRelease) : block_{h, deleteOnRelease} {}
    HGLOBAL Handle() const { return block_.h; }

    HRESULT ReadAt(uint64_t offset, void* pv, ULONG cb, ULONG* pcbRead) override {
        auto& bytes = block_.h->bytes;
        uint64_t avail = offset < bytes.size() ? bytes.size() - offset : 0;
        ULONG n = static_cast<ULONG>(std::min<uint64_t>(cb, avail));
        if (n) std::memcpy(pv, bytes.data() + offset, n);
        if (pcbRead) *pcbRead = n;
        return S_OK;
    }
    HRESULT WriteAt(uint64_t offset, const void* pv, ULONG cb, ULONG* pcbWritten) override {
        auto& bytes = block_.h->bytes;
        if (pcbWritten) *pcbWritten = 0;
        if (offset + cb > kMaxBlock) return STG_E_MEDIUMFULL;
        if (offset + cb > bytes.size()) bytes.resize(offset + cb, 0);
        if (cb) std::memcpy(bytes.data() + offset, pv, cb);
        if (pcbWritten) *pcbWritten = cb;
        return S_OK;
    }
    HRESULT Flush() override { return S_OK; }
    HRESULT SetSize(uint64_t size) override {
        if (size > kMaxBlock) return STG_E_MEDIUMFULL;
        block_.h->bytes.resize(size, 0);
        return S_OK;
    }
    HRESULT Stat(STATSTG* stat, DWORD) override {
        if (!stat) return STG_E_INVALIDPOINTER;
        *stat = STATSTG{};
        stat->type = STGTY_LOCKBYTES;
        stat->cbSize = block_.h->bytes.size();
        return S_OK;
    }

private:
    SharedBlock block_;
};

// ---- storages

class MemoryStorage : public ComObject<IStorage> {
public:
    explicit MemoryStorage(ComPtr<ILockBytes> backing = {}) : backing_(std::move(backing)) {}

    HRESULT CreateStream(const std::u16string& name, DWORD, IStream** out) override {
        if (!out) return STG_E_INVALIDPOINTER;
        *out = nullptr;
        ComPtr<IStream> s;
        HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, s.Put());
        if (FAILED(hr)) return hr;
        elements_[name] = s;
        *out = s.Detach();
        return S_OK;
    }
    HRESULT OpenStream(const std::u16string& name, DWORD, IStream** out) override {
        if (!out) return STG_E_INVALIDPOINTER;
        *out = nullptr;
        auto it = elements_.find(name);
        if (it == elements_.end() || !std::holds_alternative<ComPtr<IStream>>(it->second)) return STG_E_FILENOTFOUND;
        // Each opening starts at the beginning, as a fresh open would.
        HRESULT hr = std::get<ComPtr<IStream>>(it->second)->Clone(out);
        if (SUCCEEDED(hr)) (*out)->Seek(0, STREAM_SEEK_SET, nullptr);
        return hr;
    }
    HRESULT CreateStorage(const std::u16string& name, DWORD, IStorage** out) override {
        if (!out) return STG_E_INVALIDPOINTER;
        auto sub = MakeCom<MemoryStorage>();
        elements_[name] = ComPtr<IStorage>(sub.Get());
        *out = sub.Detach();
        return S_OK;
    }
    HRESULT OpenStorage(const std::u16string& name, DWORD, IStorage** out) override {
        if (!out) return STG_E_INVALIDPOINTER;
        *out = nullptr;
        auto it = elements_.find(name);
        if (it == elements_.end() || !std::holds_alternative<ComPtr<IStorage>>(it->second)) return STG_E_FILENOTFOUND;
        *out = std::get<ComPtr<IStorage>>(it->second).Get();
        (*out)->AddRef();
        return S_OK;
    }
    HRESULT CopyTo(IStorage* dest) override {
        if (!dest) return STG_E_INVALIDPOINTER;
        for (auto& [name, el] : elements_) {
            if (auto* s = std::get_if<ComPtr<IStream>>(&el)) {
                ComPtr<IStream> from, to;
                HRESULT hr = (*s)->Clone(from.Put());
                if (SUCCEEDED(hr)) hr = from->Seek(0, STREAM_SEEK_SET, nullptr);
                if (SUCCEEDED(hr)) hr = dest->CreateStream(name, STGM_CREATE | STGM_READWRITE, to.Put());
                if (SUCCEEDED(hr)) hr = from->CopyTo(to.Get(), UINT64_MAX, nullptr, nullptr);
                if (FAILED(hr)) return hr;
            } else {
                ComPtr<IStorage> to;
                HRESULT hr = dest->CreateStorage(name, STGM_CREATE | STGM_READWRITE, to.Put());
                if (SUCCEEDED(hr)) hr = std::get<ComPtr<IStorage>>(el)->CopyTo(to.Get());
                if (FAILED(hr)) return hr;
            }
        }
        return dest->Commit(0);
    }
    HRESULT Commit(DWORD) override {
        if (!backing_) return S_OK;
        std::vector<uint8_t> out{'P', 'E', 'M', 'S', 'T', 'G', '1', 0};
        Serialise(out);
        ULONG w = 0;
        HRESULT hr = backing_->SetSize(out.size());
        if (SUCCEEDED(hr)) hr = backing_->WriteAt(0, out.data(), static_cast<ULONG>(out.size()), &w);
        return hr;
    }
    HRESULT Stat(STATSTG* stat, DWORD) override {
        if (!stat) return STG_E_INVALIDPOINTER;
        *stat = STATSTG{};
        stat->type = STGTY_STORAGE;
        return S_OK;
    }

protected:
    ~MemoryStorage() override { Commit(0); }

private:
    static void Put32(std::vector<uint8_t>& out, uint64_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    // Our own flat form of a storage tree: per element a kind byte, the name
    // in UTF-16 with its length, then the stream's bytes or the sub-storage.
    void Serialise(std::vector<uint8_t>& out) {
        Put32(out, elements_.size(), 4);
        for (auto& [name, el] : elements_) {
            bool isStream = std::holds_alternative<ComPtr<IStream>>(el);
            out.push_back(isStream ? 2 : 1);
            Put32(out, name.size(), 4);
            for (char16_t c : name) Put32(out, c, 2);
            if (isStream) {
                HGLOBAL h = nullptr;
                GetHGlobalFromStream(std::get<ComPtr<IStream>>(el).Get(), &h);
                Put32(out, GlobalSize(h), 8);
                if (h) out.insert(out.end(), h->bytes.begin(), h->bytes.end());
            } else {
                static_cast<MemoryStorage*>(std::get<ComPtr<IStorage>>(el).Get())->Serialise(out);
            }
        }
    }

    ComPtr<ILockBytes> backing_;
    std::map<std::u16string, std::variant<ComPtr<IStream>, ComPtr<IStorage>>> elements_;
};

} // namespace

HRESULT CreateStreamOnHGlobal(HGLOBAL h, BOOL deleteOnRelease, IStream** out) {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (!h) {
        h = GlobalAlloc(GHND, 0);
        if (!h) return E_OUTOFMEMORY;
    }
    auto block = std::make_shared<SharedBlock>(h, deleteOnRelease != FALSE);
    *out = new HGlobalStream(std::move(block), 0);
    (*out)->AddRef();
    return S_OK;
}

HRESULT GetHGlobalFromStream(IStream* stream, HGLOBAL* out) {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    auto* s = dynamic_cast<HGlobalStream*>(stream);
    if (!s) return E_INVALIDARG;
    *out = s->Handle();
    return S_OK;
}

long StreamsAlive() { return g_streams; }

HRESULT CreateILockBytesOnHGlobal(HGLOBAL h, BOOL deleteOnRelease, ILockBytes** out) {
    if (!out) return E_INVALIDARG;
    if (!h) {
        h = GlobalAlloc(GHND, 0);
        if (!h) return E_OUTOFMEMORY;
    }
    *out = new HGlobalLockBytes(h, deleteOnRelease != FALSE);
    (*out)->AddRef();
    return S_OK;
}

HRESULT GetHGlobalFromILockBytes(ILockBytes* lockBytes, HGLOBAL* out) {
    if (!out) return E_INVALIDARG;
    auto* l = dynamic_cast<HGlobalLockBytes*>(lockBytes);
    *out = l ? l->Handle() : nullptr;
    return l ? S_OK : E_INVALIDARG;
}

HRESULT StgCreateDocfileOnILockBytes(ILockBytes* lockBytes, DWORD, DWORD, IStorage** out) {
    if (!out || !lockBytes) return STG_E_INVALIDPOINTER;
    auto s = MakeCom<MemoryStorage>(ComPtr<ILockBytes>(lockBytes));
    HRESULT hr = s->Commit(0);
    if (FAILED(hr)) return hr;
    *out = s.Detach();
    return S_OK;
}

HRESULT CreateMemoryStorage(IStorage** out) {
    if (!out) return STG_E_INVALIDPOINTER;
    *out = MakeCom<MemoryStorage>().Detach();
    return S_OK;
}

void ReleaseStgMedium(STGMEDIUM* m) {
    if (!m) return;
    switch (m->tymed) {
    case TYMED_HGLOBAL:
        if (!m->pUnkForRelease) GlobalFree(m->hGlobal);
        break;
    case TYMED_ISTREAM:
        if (m->pstm) m->pstm->Release();
        break;
    case TYMED_ISTORAGE:
        if (m->pstg) m->pstg->Release();
        break;
    default:
        break;
    }
    if (m->pUnkForRelease) m->pUnkForRelease->Release();
    *m = STGMEDIUM{};
}

HRESULT CopyStgMedium(const STGMEDIUM* src, STGMEDIUM* dst) {
    if (!src || !dst) return E_POINTER;
    STGMEDIUM out;
    out.tymed = src->tymed;
    switch (src->tymed) {
    case TYMED_NULL:
        break;
    case TYMED_HGLOBAL:
        if (src->hGlobal) {
            out.hGlobal = GlobalFromBytes(src->hGlobal->bytes.data(), src->hGlobal->bytes.size());
            if (!out.hGlobal) return E_OUTOFMEMORY;
        }
        break;
    case TYMED_ISTREAM:
        out.pstm = src->pstm;
        if (out.pstm) out.pstm->AddRef();
        break;
    case TYMED_ISTORAGE:
        out.pstg = src->pstg;
        if (out.pstg) out.pstg->AddRef();
        break;
    default:
        return DV_E_TYMED;
    }
    out.pUnkForRelease = src->pUnkForRelease;
    if (out.pUnkForRelease) out.pUnkForRelease->AddRef();
    *dst = out;
    return S_OK;
}

void* CoTaskMemAlloc(size_t cb) { return std::malloc(cb ? cb : 1); }
void* CoTaskMemRealloc(void* p, size_t cb) { return std::realloc(p, cb ? cb : 1); }
void CoTaskMemFree(void* p) { std::free(p); }

} // namespace pem
