#pragma once
// The small part of the OLE and COM vocabulary the drag-and-drop library
// speaks: result codes, formats and media, points, GUIDs, IUnknown with its
// reference counting, and a smart pointer. Everything here is our own
// emulation for one process; nothing crosses to another program except
// through the Qt bridge.
#include "Exceptions.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <utility>

namespace pem {

using HRESULT = int32_t;
using DWORD = uint32_t;
using ULONG = uint32_t;
using LONG = int32_t;
using UINT = uint32_t;
using BOOL = int32_t;
using CLIPFORMAT = uint16_t;
using LCID = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using COLORREF = uint32_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

constexpr HRESULT Hr(uint32_t v) { return static_cast<HRESULT>(v); }
constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = Hr(0x80004001u);
constexpr HRESULT E_NOINTERFACE = Hr(0x80004002u);
constexpr HRESULT E_POINTER = Hr(0x80004003u);
constexpr HRESULT E_FAIL = Hr(0x80004005u);
constexpr HRESULT E_UNEXPECTED = Hr(0x8000FFFFu);
constexpr HRESULT E_OUTOFMEMORY = Hr(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = Hr(0x80070057u);
constexpr HRESULT OLE_E_ADVISENOTSUPPORTED = Hr(0x80040003u);
constexpr HRESULT OLE_E_NOTRUNNING = Hr(0x80040005u);
constexpr HRESULT DV_E_FORMATETC = Hr(0x80040064u);
constexpr HRESULT DV_E_LINDEX = Hr(0x80040068u);
constexpr HRESULT DV_E_TYMED = Hr(0x80040069u);
constexpr HRESULT DV_E_CLIPFORMAT = Hr(0x8004006Au);
constexpr HRESULT DV_E_DVASPECT = Hr(0x8004006Bu);
constexpr HRESULT DATA_S_SAMEFORMATETC = Hr(0x00040130u);
constexpr HRESULT DRAGDROP_S_DROP = Hr(0x00040100u);
constexpr HRESULT DRAGDROP_S_CANCEL = Hr(0x00040101u);
constexpr HRESULT DRAGDROP_S_USEDEFAULTCURSORS = Hr(0x00040102u);
constexpr HRESULT DRAGDROP_E_NOTREGISTERED = Hr(0x80040100u);
constexpr HRESULT DRAGDROP_E_ALREADYREGISTERED = Hr(0x80040101u);
constexpr HRESULT DRAGDROP_E_INVALIDHWND = Hr(0x80040102u);
constexpr HRESULT CLIPBRD_E_CANT_OPEN = Hr(0x800401D0u);
constexpr HRESULT STG_E_INVALIDFUNCTION = Hr(0x80030001u);
constexpr HRESULT STG_E_FILENOTFOUND = Hr(0x80030002u);
constexpr HRESULT STG_E_INVALIDPOINTER = Hr(0x80030009u);
constexpr HRESULT STG_E_MEDIUMFULL = Hr(0x80030070u);
constexpr HRESULT STG_E_FILEALREADYEXISTS = Hr(0x80030050u);
constexpr HRESULT STG_E_INVALIDPARAMETER = Hr(0x80030057u);
constexpr HRESULT CO_E_CLASSSTRING = Hr(0x800401F3u);
constexpr HRESULT REGDB_E_CLASSNOTREG = Hr(0x80040154u);

// Media (TYMED) bits.
constexpr DWORD TYMED_NULL = 0;
constexpr DWORD TYMED_HGLOBAL = 1;
constexpr DWORD TYMED_FILE = 2;
constexpr DWORD TYMED_ISTREAM = 4;
constexpr DWORD TYMED_ISTORAGE = 8;
constexpr DWORD TYMED_GDI = 16;
constexpr DWORD TYMED_MFPICT = 32;
constexpr DWORD TYMED_ENHMF = 64;

constexpr DWORD DVASPECT_CONTENT = 1;
constexpr DWORD DATADIR_GET = 1;
constexpr DWORD DATADIR_SET = 2;

constexpr DWORD DROPEFFECT_NONE = 0;
constexpr DWORD DROPEFFECT_COPY = 1;
constexpr DWORD DROPEFFECT_MOVE = 2;
constexpr DWORD DROPEFFECT_LINK = 4;
constexpr DWORD DROPEFFECT_SCROLL = 0x80000000u;

// Key state bits of the drag calls.
constexpr DWORD MK_LBUTTON = 0x01;
constexpr DWORD MK_RBUTTON = 0x02;
constexpr DWORD MK_SHIFT = 0x04;
constexpr DWORD MK_CONTROL = 0x08;
constexpr DWORD MK_MBUTTON = 0x10;
constexpr DWORD MK_ALT = 0x20;

struct DVTARGETDEVICE; // never used: requests naming a device are refused

struct FORMATETC {
    CLIPFORMAT cfFormat = 0;
    DVTARGETDEVICE* ptd = nullptr;
    DWORD dwAspect = DVASPECT_CONTENT;
    LONG lindex = -1;
    DWORD tymed = TYMED_NULL;
};

struct POINT {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const POINT&) const = default;
};
using POINTL = POINT;

struct RECT {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const RECT&) const = default;
};

struct SIZE {
    int32_t cx = 0;
    int32_t cy = 0;
};

inline bool PtInRect(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }
inline RECT InflateRect(RECT r, int dx, int dy) { return {r.left - dx, r.top - dy, r.right + dx, r.bottom + dy}; }

struct GUID {
    uint32_t Data1 = 0;
    uint16_t Data2 = 0;
    uint16_t Data3 = 0;
    uint8_t Data4[8] = {};
    bool operator==(const GUID& o) const = default;
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
inline constexpr GUID GUID_NULL{};

// ---- IUnknown and reference counting

struct IUnknown {
    static constexpr IID iid{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    virtual HRESULT QueryInterface(REFIID riid, void** out) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

// An owning interface pointer: AddRef on copy, Release on reset.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a new reference to p.
    explicit ComPtr(T* p) : p_(p) {
        if (p_) p_->AddRef();
    }
    ComPtr(const ComPtr& o) : p_(o.p_) {
        if (p_) p_->AddRef();
    }
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ~ComPtr() { Reset(); }
    ComPtr& operator=(const ComPtr& o) {
        ComPtr(o).Swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& o) noexcept {
        ComPtr(std::move(o)).Swap(*this);
        return *this;
    }
    ComPtr& operator=(std::nullptr_t) {
        Reset();
        return *this;
    }
    // Takes over a reference the caller already owns.
    static ComPtr Attach(T* p) {
        ComPtr c;
        c.p_ = p;
        return c;
    }
    T* Detach() { return std::exchange(p_, nullptr); }
    void Reset() {
        if (T* p = std::exchange(p_, nullptr)) p->Release();
    }
    void Swap(ComPtr& o) noexcept { std::swap(p_, o.p_); }
    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out parameters: releases what is held and gives the slot.
    T** Put() {
        Reset();
        return &p_;
    }
    template <class U>
    ComPtr<U> As() const {
        ComPtr<U> out;
        if (p_) p_->QueryInterface(U::iid, reinterpret_cast<void**>(out.Put()));
        return out;
    }

private:
    T* p_ = nullptr;
};

// A reference-counted object implementing the given interfaces; freed when
// the last reference goes.
template <class... Interfaces>
class ComObject : public Interfaces... {
public:
    ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid == IUnknown::iid) {
            *out = static_cast<IUnknown*>(static_cast<FirstInterface*>(this));
        } else {
            ((riid == Interfaces::iid && !*out ? (void)(*out = static_cast<Interfaces*>(this)) : (void)0), ...);
        }
        if (!*out) return QueryOther(riid, out);
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    ULONG RefCount() const { return refs_; }

protected:
    virtual ~ComObject() = default;
    // Further interfaces a derived class answers for; it AddRefs what it
    // hands out.
    virtual HRESULT QueryOther(REFIID, void**) { return E_NOINTERFACE; }

private:
    template <class First, class...>
    struct Head {
        using type = First;
    };
    using FirstInterface = typename Head<Interfaces...>::type;
    std::atomic<ULONG> refs_{0};
};

// Makes a ComObject and hands out its first reference.
template <class T, class... Args>
ComPtr<T> MakeCom(Args&&... args) {
    return ComPtr<T>(new T(std::forward<Args>(args)...));
}

// A failed OLE call turned into an exception ("raises the OLE error").
class EOleSysError : public Exception {
public:
    explicit EOleSysError(HRESULT hr);
    HRESULT ErrorCode() const { return hr_; }

private:
    HRESULT hr_;
};

// The text of a result code.
std::string OleErrorMessage(HRESULT hr);
// Raises EOleSysError when hr failed.
void OleCheck(HRESULT hr);

} // namespace pem
