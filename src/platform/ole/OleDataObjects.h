#pragma once
// Ready-made data objects of the emulation: a format enumerator over a fixed
// list; a data object base that offers formats as bytes; and a data object
// holding a fixed set of formats (what a flushed clipboard keeps, and what
// tests offer to a drop target).
#include "OleMemory.h"

#include <vector>

namespace pem {

// An enumerator over a copy of a list of formats.
class TFormatEnumerator : public ComObject<IEnumFORMATETC> {
public:
    explicit TFormatEnumerator(std::vector<FORMATETC> formats = {}, size_t cursor = 0)
        : formats_(std::move(formats)), cursor_(cursor) {}
    // Gives S_FALSE when fewer than asked were left.
    HRESULT Next(ULONG celt, FORMATETC* rgelt, ULONG* fetched) override;
    // Past the end it stops at the end with S_FALSE.
    HRESULT Skip(ULONG celt) override;
    HRESULT Reset() override;
    HRESULT Clone(IEnumFORMATETC** out) override;

protected:
    std::vector<FORMATETC> formats_;
    size_t cursor_;
};
ComPtr<IEnumFORMATETC> CreateFormatEnumerator(std::vector<FORMATETC> formats);

// A data object whose formats are rendered as bytes on request. GetData
// hands out a block (or a stream when only a stream is asked for); SetData
// takes what a target gives back.
class TBytesDataObject : public ComObject<IDataObject> {
public:
    HRESULT GetData(const FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT GetDataHere(const FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT QueryGetData(const FORMATETC* format) override;
    HRESULT GetCanonicalFormatEtc(const FORMATETC*, FORMATETC* out) override;
    HRESULT SetData(const FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
    HRESULT DAdvise(const FORMATETC*, DWORD, IUnknown*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT EnumDAdvise(IUnknown** out) override;

protected:
    // The formats offered for reading, each with the media it comes in.
    virtual std::vector<FORMATETC> Offers() const = 0;
    // The bytes of an offered format; false when none can be had.
    virtual bool Render(CLIPFORMAT id, std::vector<uint8_t>& out) = 0;
    virtual void Take(CLIPFORMAT id, std::vector<uint8_t>&& bytes) = 0;
};

// Formats held as bytes; a format set again replaces the one held.
class TStaticDataObject : public TBytesDataObject {
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
    HRESULT SetData(const FORMATETC* format, STGMEDIUM* medium, BOOL release) override;

    // Renders every format another data object offers for reading (as a
    // block or a stream) into a new static object.
    static ComPtr<TStaticDataObject> Snapshot(IDataObject* source);

protected:
    std::vector<FORMATETC> Offers() const override;
    bool Render(CLIPFORMAT id, std::vector<uint8_t>& out) override;
    void Take(CLIPFORMAT id, std::vector<uint8_t>&& bytes) override { Set(id, std::move(bytes)); }

private:
    std::vector<Entry> entries_;
};

// The bytes of a medium of a block or a stream (the stream read from its
// start); false for other media.
bool MediumBytes(const STGMEDIUM& medium, std::vector<uint8_t>& out);

} // namespace pem
