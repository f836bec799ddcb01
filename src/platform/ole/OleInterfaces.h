#pragma once
// The OLE interfaces the drag-and-drop library implements or calls: data
// objects and their format enumerators, drop sources and targets, the
// asynchronous-operation interface, streams, lock bytes and storages, the
// shell's drag-image helpers and folders. Interface ids are private to this
// program.
#include "OleTypes.h"

#include <string>

namespace pem {

class Window;
using HWND = Window*;
struct GlobalBlock;
using HGLOBAL = GlobalBlock*;
struct Bitmap;
using HBITMAP = Bitmap*;

constexpr IID MakePemIid(uint32_t n) { return IID{0x50454D00u + n, 0x4F4C, 0x4500, {0x80, 0, 0, 0, 0, 0, 0, 0x01}}; }

struct IStream;
struct IStorage;

// A storage medium: which member holds the data is said by tymed. The
// medium's owner releases it with ReleaseStgMedium.
struct STGMEDIUM {
    DWORD tymed = TYMED_NULL;
    HGLOBAL hGlobal = nullptr;
    IStream* pstm = nullptr;
    IStorage* pstg = nullptr;
    IUnknown* pUnkForRelease = nullptr;
};

constexpr DWORD STGTY_STORAGE = 1;
constexpr DWORD STGTY_STREAM = 2;
constexpr DWORD STGTY_LOCKBYTES = 3;
constexpr DWORD STATFLAG_DEFAULT = 0;
constexpr DWORD STATFLAG_NONAME = 1;
constexpr DWORD STREAM_SEEK_SET = 0;
constexpr DWORD STREAM_SEEK_CUR = 1;
constexpr DWORD STREAM_SEEK_END = 2;

constexpr DWORD STGM_READ = 0x0;
constexpr DWORD STGM_WRITE = 0x1;
constexpr DWORD STGM_READWRITE = 0x2;
constexpr DWORD STGM_SHARE_EXCLUSIVE = 0x10;
constexpr DWORD STGM_CREATE = 0x1000;

struct STATSTG {
    std::u16string name; // empty with STATFLAG_NONAME
    DWORD type = 0;
    uint64_t cbSize = 0;
    DWORD grfMode = 0;
};

struct IStream : IUnknown {
    static constexpr IID iid = MakePemIid(1);
    virtual HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) = 0;
    virtual HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) = 0;
    virtual HRESULT Seek(int64_t move, DWORD origin, uint64_t* newPosition) = 0;
    virtual HRESULT SetSize(uint64_t newSize) = 0;
    virtual HRESULT CopyTo(IStream* dest, uint64_t cb, uint64_t* pcbRead, uint64_t* pcbWritten) = 0;
    virtual HRESULT Commit(DWORD flags) = 0;
    virtual HRESULT Revert() = 0;
    virtual HRESULT Stat(STATSTG* stat, DWORD flags) = 0;
    virtual HRESULT Clone(IStream** out) = 0;
};

struct ILockBytes : IUnknown {
    static constexpr IID iid = MakePemIid(2);
    virtual HRESULT ReadAt(uint64_t offset, void* pv, ULONG cb, ULONG* pcbRead) = 0;
    virtual HRESULT WriteAt(uint64_t offset, const void* pv, ULONG cb, ULONG* pcbWritten) = 0;
    virtual HRESULT Flush() = 0;
    virtual HRESULT SetSize(uint64_t size) = 0;
    virtual HRESULT Stat(STATSTG* stat, DWORD flags) = 0;
};

// A storage: named streams and sub-storages.
struct IStorage : IUnknown {
    static constexpr IID iid = MakePemIid(3);
    virtual HRESULT CreateStream(const std::u16string& name, DWORD mode, IStream** out) = 0;
    virtual HRESULT OpenStream(const std::u16string& name, DWORD mode, IStream** out) = 0;
    virtual HRESULT CreateStorage(const std::u16string& name, DWORD mode, IStorage** out) = 0;
    virtual HRESULT OpenStorage(const std::u16string& name, DWORD mode, IStorage** out) = 0;
    virtual HRESULT CopyTo(IStorage* dest) = 0;
    virtual HRESULT Commit(DWORD flags) = 0;
    virtual HRESULT Stat(STATSTG* stat, DWORD flags) = 0;
};

struct IEnumFORMATETC : IUnknown {
    static constexpr IID iid = MakePemIid(4);
    virtual HRESULT Next(ULONG celt, FORMATETC* rgelt, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG celt) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumFORMATETC** out) = 0;
};

struct IBindCtx; // never used: always passed as none

struct IDataObject : IUnknown {
    static constexpr IID iid = MakePemIid(5);
    virtual HRESULT GetData(const FORMATETC* format, STGMEDIUM* medium) = 0;
    virtual HRESULT GetDataHere(const FORMATETC* format, STGMEDIUM* medium) = 0;
    virtual HRESULT QueryGetData(const FORMATETC* format) = 0;
    virtual HRESULT GetCanonicalFormatEtc(const FORMATETC* in, FORMATETC* out) = 0;
    virtual HRESULT SetData(const FORMATETC* format, STGMEDIUM* medium, BOOL release) = 0;
    virtual HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) = 0;
    virtual HRESULT DAdvise(const FORMATETC* format, DWORD advf, IUnknown* sink, DWORD* connection) = 0;
    virtual HRESULT DUnadvise(DWORD connection) = 0;
    virtual HRESULT EnumDAdvise(IUnknown** out) = 0;
};

struct IDropSource : IUnknown {
    static constexpr IID iid = MakePemIid(6);
    virtual HRESULT QueryContinueDrag(BOOL escapePressed, DWORD keyState) = 0;
    virtual HRESULT GiveFeedback(DWORD effect) = 0;
};

struct IDropTarget : IUnknown {
    static constexpr IID iid = MakePemIid(7);
    virtual HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) = 0;
    virtual HRESULT DragOver(DWORD keyState, POINTL pt, DWORD* effect) = 0;
    virtual HRESULT DragLeave() = 0;
    virtual HRESULT Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) = 0;
};

struct IAsyncOperation : IUnknown {
    static constexpr IID iid = MakePemIid(8);
    virtual HRESULT SetAsyncMode(BOOL doOpAsync) = 0;
    virtual HRESULT GetAsyncMode(BOOL* isOpAsync) = 0;
    virtual HRESULT StartOperation(IBindCtx* reserved) = 0;
    virtual HRESULT InOperation(BOOL* inAsyncOp) = 0;
    virtual HRESULT EndOperation(HRESULT result, IBindCtx* reserved, DWORD effects) = 0;
};

// A drag image: a bitmap, the cursor's offset in it and the colour shown
// transparent.
struct SHDRAGIMAGE {
    SIZE sizeDragImage;
    POINT ptOffset;
    HBITMAP hbmpDragImage = nullptr;
    COLORREF crColorKey = 0;
};

struct IDragSourceHelper : IUnknown {
    static constexpr IID iid = MakePemIid(9);
    // On success the helper owns the bitmap.
    virtual HRESULT InitializeFromBitmap(SHDRAGIMAGE* image, IDataObject* data) = 0;
    virtual HRESULT InitializeFromWindow(HWND window, POINT* pt, IDataObject* data) = 0;
};

struct IDropTargetHelper : IUnknown {
    static constexpr IID iid = MakePemIid(10);
    virtual HRESULT DragEnter(HWND target, IDataObject* data, POINT* pt, DWORD effect) = 0;
    virtual HRESULT DragLeave() = 0;
    virtual HRESULT DragOver(POINT* pt, DWORD effect) = 0;
    virtual HRESULT Drop(IDataObject* data, POINT* pt, DWORD effect) = 0;
    virtual HRESULT Show(BOOL show) = 0;
};

// Item-ID lists: a sequence of items, each a 16-bit size (counting itself)
// and its data, ended by a 16-bit zero.
using ITEMIDLIST = uint8_t;
using PIDLIST = ITEMIDLIST*;
using PCIDLIST = const ITEMIDLIST*;

struct IShellFolder : IUnknown {
    static constexpr IID iid = MakePemIid(11);
    virtual HRESULT ParseDisplayName(HWND owner, IBindCtx* bindCtx, const std::u16string& name, ULONG* eaten,
                                     PIDLIST* pidl, ULONG* attributes) = 0;
};

struct IMalloc : IUnknown {
    static constexpr IID iid = MakePemIid(12);
    virtual void* Alloc(size_t cb) = 0;
    virtual void Free(void* p) = 0;
};

// The shell's drag-and-drop helper class (drag images on both sides).
inline constexpr CLSID CLSID_DragDropHelper = MakePemIid(100);

} // namespace pem
