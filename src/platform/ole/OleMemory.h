#pragma once
// Memory media of the emulation: a global handle is an owned byte block; a
// stream is an in-memory IStream over such a block; lock bytes and storages
// ("compound files in memory") are held the same way. Live counts let tests
// see that every medium is released exactly once.
#include "OleInterfaces.h"

#include <cstddef>
#include <vector>

namespace pem {

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

struct GlobalBlock {
    std::vector<uint8_t> bytes;
    int locks = 0;
};

// A new block of size bytes, zero-filled; none when the size cannot be had.
HGLOBAL GlobalAlloc(UINT flags, size_t size);
HGLOBAL GlobalReAlloc(HGLOBAL h, size_t size, UINT flags);
// The block's bytes (none for an empty block or no handle).
void* GlobalLock(HGLOBAL h);
bool GlobalUnlock(HGLOBAL h);
size_t GlobalSize(HGLOBAL h);
// Frees the block; gives none.
HGLOBAL GlobalFree(HGLOBAL h);
// Blocks allocated and not yet freed.
long GlobalBlocksAlive();

// A stream over a block (a new empty one when h is none). With
// deleteOnRelease the block goes with the last reference to the stream.
HRESULT CreateStreamOnHGlobal(HGLOBAL h, BOOL deleteOnRelease, IStream** out);
HRESULT GetHGlobalFromStream(IStream* stream, HGLOBAL* out);
// Streams made by CreateStreamOnHGlobal (and their clones) still referenced.
long StreamsAlive();

HRESULT CreateILockBytesOnHGlobal(HGLOBAL h, BOOL deleteOnRelease, ILockBytes** out);
HRESULT GetHGlobalFromILockBytes(ILockBytes* lockBytes, HGLOBAL* out);

// A new storage whose serialised form is written to the lock bytes whenever
// it is committed, copied into, or released.
HRESULT StgCreateDocfileOnILockBytes(ILockBytes* lockBytes, DWORD mode, DWORD reserved, IStorage** out);
// A storage held in memory only.
HRESULT CreateMemoryStorage(IStorage** out);

// Releases what the medium holds (a block, a stream, a storage, or the
// releasing object) and empties it.
void ReleaseStgMedium(STGMEDIUM* medium);
// Copies a medium: a block is duplicated, a stream or storage shared with a
// new reference.
HRESULT CopyStgMedium(const STGMEDIUM* source, STGMEDIUM* dest);

void* CoTaskMemAlloc(size_t cb);
void* CoTaskMemRealloc(void* p, size_t cb);
void CoTaskMemFree(void* p);

// The bytes of a block, or all bytes of a stream from its start (its position
// is left at the end); empty on failure.
std::vector<uint8_t> GlobalBytes(HGLOBAL h);
// A new block holding the bytes.
HGLOBAL GlobalFromBytes(const void* data, size_t size);
// A new block made of the vector's bytes (taken over, not copied).
HGLOBAL GlobalFromVector(std::vector<uint8_t>&& bytes);

} // namespace pem
