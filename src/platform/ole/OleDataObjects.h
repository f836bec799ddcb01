#pragma once
// Ready-made data objects of the emulation: a format enumerator over a fixed
// list, and a data object holding a fixed set of formats as bytes (what a
// flushed clipboard keeps, and what tests offer to a drop target).
#include "OleMemory.h"

#include <vector>

namespace pem {

// An enumerator over a copy of the formats.
ComPtr<IEnumFORMATETC> CreateFormatEnumerator(std::vector<FORMATETC> formats);

// Formats held as bytes. GetData hands out a fresh block (or a stream when
// only a stream is asked for); SetData stores or replaces a format, so a
// target can report back to it.
class TStaticDataObject : public ComObject<IDataObject> {
public:
    struct Entry {
        FORMATETC format;
        std::vector<uint8_t> bytes;
    };
    TStaticDataObject() = default;

    void Set(CLIPFORMAT id, std::vector<uint8_t> bytes, DWORD media = TYMED_HGLOBAL | TYMED_ISTREAM);
    void Set(CLIPFORMAT id, const std::string& bytes, DWORD media = TYMED_HGLOBAL | TYMED_ISTREAM);
    const Entry* Find(CLIPFORMAT id) const;
    const std::vector<Entry>& Entries() const { return entries_; }
    // Counts of the calls made on it.
    int GetDataCalls = 0;
    int SetDataCalls = 0;

    HRESULT GetData(const FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT GetDataHere(const FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT QueryGetData(const FORMATETC* format) override;
    HRESULT GetCanonicalFormatEtc(const FORMATETC*, FORMATETC* out) override;
    HRESULT SetData(const FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
    HRESULT DAdvise(const FORMATETC*, DWORD, IUnknown*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT EnumDAdvise(IUnknown** out) override;

    // Renders every format another data object offers for reading (as a
    // block or a stream) into a new static object.
    static ComPtr<TStaticDataObject> Snapshot(IDataObject* source);

private:
    std::vector<Entry> entries_;
};

// The bytes of a medium of a block or a stream (the stream read from its
// start); false for other media.
bool MediumBytes(const STGMEDIUM& medium, std::vector<uint8_t>& out);

} // namespace pem
