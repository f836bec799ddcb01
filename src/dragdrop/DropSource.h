#pragma once
// The drop source: a component that offers data to other windows and
// programs through drag and drop and through the clipboard. TCustomDropSource
// is the data object, the drop source and the asynchronous-operation object
// of a drag and runs the drag; TCustomDropMultiSource serves the data of a
// list of data formats and keeps the shell's feedback values.
#include "DragDropFormats.h"
#include "OleDataObjects.h"
#include "OleImageList.h"

#include <functional>

namespace pem {

class TCustomDropSource;

using TFeedbackEvent = std::function<void(TCustomDropSource* sender, DWORD effect, bool& useDefaultCursors)>;
using TDropEvent = std::function<void(TCustomDropSource* sender, TDragType dragType, bool& continueDrop)>;
using TAfterDropEvent = std::function<void(TCustomDropSource* sender, TDragResult result, bool optimized)>;
using TDropDataEvent =
    std::function<void(TCustomDropSource* sender, const FORMATETC& format, STGMEDIUM& medium, bool& handled)>;
using TPasteEvent = std::function<void(TCustomDropSource* sender, TDragResult action, bool deleteOnPaste)>;
using TGetDragImageEvent =
    std::function<void(TCustomDropSource* sender, IDragSourceHelper* helper, bool& handled)>;

class TCustomDropSource : public TDragDropComponent,
                          public IAsyncOperation,
                          public IDataObject,
                          public IDropSource {
public:
    PEM_COMPONENT_IUNKNOWN
    TCustomDropSource();
    // Flushes the clipboard when the source is on it.
    ~TCustomDropSource() override;

    HRESULT GetInterface(REFIID iid, void** out) override;

    TDragTypes DragTypes{TDragType::dtCopy};
    TFeedbackEvent OnFeedback;
    TDropEvent OnDrop;
    TAfterDropEvent OnAfterDrop;
    TDropDataEvent OnGetData;
    TDropDataEvent OnSetData;
    TPasteEvent OnPaste;
    TGetDragImageEvent OnGetDragImage;
    bool ShowImage = false;
    int ImageHotSpotX = 16;
    int ImageHotSpotY = 16;

    HIMAGELIST Images() const { return images_; }
    // Keeps ImageIndex only while it is below the new list's count.
    void SetImages(HIMAGELIST images);
    int ImageIndex() const { return imageIndex_; }
    // A negative index, or no (or an empty) list, gives -1; an index not
    // below the count is ignored.
    void SetImageIndex(int index);
    bool AllowAsyncTransfer() const { return allowAsync_; }
    // Turning it off also ends the asynchronous mode and operation.
    void SetAllowAsyncTransfer(bool on);
    bool Dragging() const { return dragging_; }

    // Runs a drag. Raises "A drag and drop operation is already in progress"
    // while one runs, "An asynchronous drag and drop operation is in
    // progress" during an asynchronous operation; an asynchronous drag needs
    // a transfer thread, which this program has not, and raises "Failed to
    // initiate asynchronouse drag and drop operation".
    virtual TDragResult Execute(bool asynchronous = false);
    // The clipboard: preferred effect move (cut) or copy, then put there.
    virtual bool CutToClipboard();
    virtual bool CopyToClipboard();
    // While the source is on the clipboard: leaves its data there for good,
    // or empties the clipboard. A failure raises the OLE error.
    virtual void FlushClipboard();
    virtual void EmptyClipboard();

    // The feedback values (base: none kept).
    virtual DWORD PerformedDropEffect() { return 0; }
    virtual DWORD LogicalPerformedDropEffect() { return 0; }
    virtual void SetPerformedDropEffect(DWORD) {}
    virtual DWORD PreferredDropEffect() { return 0; }
    virtual void SetPreferredDropEffect(DWORD) {}
    virtual bool InShellDragLoop() { return false; }
    virtual CLSID TargetCLSID() { return GUID_NULL; }
    virtual void SetInShellDragLoop(bool) {}

    // IDataObject
    HRESULT GetData(const FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT GetDataHere(const FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT QueryGetData(const FORMATETC* format) override;
    HRESULT GetCanonicalFormatEtc(const FORMATETC* in, FORMATETC* out) override;
    HRESULT SetData(const FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
    HRESULT DAdvise(const FORMATETC* format, DWORD advf, IUnknown* sink, DWORD* connection) override;
    HRESULT DUnadvise(DWORD connection) override;
    HRESULT EnumDAdvise(IUnknown** out) override;
    // IDropSource
    HRESULT QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
    HRESULT GiveFeedback(DWORD effect) override;
    // IAsyncOperation
    HRESULT SetAsyncMode(BOOL doOpAsync) override;
    HRESULT GetAsyncMode(BOOL* isOpAsync) override;
    HRESULT StartOperation(IBindCtx* reserved) override;
    HRESULT InOperation(BOOL* inAsyncOp) override;
    HRESULT EndOperation(HRESULT result, IBindCtx* reserved, DWORD effects) override;

    IDataObject* DataObject() { return static_cast<IDataObject*>(this); }

protected:
    virtual HRESULT DoGetData(const FORMATETC& format, STGMEDIUM& medium) = 0;
    // Base: fires OnSetData; handled gives S_OK, otherwise E_NOTIMPL.
    virtual HRESULT DoSetData(const FORMATETC& format, STGMEDIUM& medium);
    virtual bool HasFormat(const FORMATETC& format) = 0;
    virtual ComPtr<IEnumFORMATETC> GetEnumFormatEtc(DWORD direction) = 0;
    // Runs the drag on this thread.
    virtual TDragResult DoExecute();
    // A data format is about to change: what is on the clipboard stays as it was.
    virtual void DataChanging(TCustomDataFormat* format);
    virtual bool PutOnClipboard();
    virtual void DoOnPaste(TDragResult action, bool deleteOnPaste);
    // The drag image: OnGetDragImage, else the image of Images.
    virtual bool GetDragImage(IDragSourceHelper* helper);

    bool inOperation_ = false;

private:
    friend class TSourceDataFormats;
    DWORD lastFeedback_ = 0;
    bool asyncMode_ = false;
    bool dragging_ = false;
    bool allowAsync_ = false;
    bool operationEnded_ = false; // the end signal of an asynchronous operation
    HIMAGELIST images_ = nullptr;
    int imageIndex_ = -1;
};

// The data formats of a multi source: each one's changes reach the source.
class TSourceDataFormats : public TDataFormats {
public:
    explicit TSourceDataFormats(TCustomDropSource* source) : source_(source) {}
    int Add(TCustomDataFormat* format) override;

private:
    TCustomDropSource* source_;
};

class TCustomDropMultiSource : public TCustomDropSource {
public:
    TCustomDropMultiSource();
    // Flushes the clipboard, then frees every data format, last first.
    ~TCustomDropMultiSource() override;

    void InitializeDataFormat(TCustomDataFormat* format, TClipboardFormats& list) override;
    TFeedbackDataFormat& FeedbackDataFormat() { return *feedback_; }
    TRawDataFormat& RawDataFormat() { return *raw_; }

    DWORD PerformedDropEffect() override { return feedback_->PerformedDropEffect(); }
    DWORD LogicalPerformedDropEffect() override { return feedback_->LogicalPerformedDropEffect(); }
    void SetPerformedDropEffect(DWORD v) override { feedback_->SetPerformedDropEffect(v); }
    DWORD PreferredDropEffect() override { return feedback_->PreferredDropEffect(); }
    void SetPreferredDropEffect(DWORD v) override { feedback_->SetPreferredDropEffect(v); }
    bool InShellDragLoop() override { return feedback_->InShellDragLoop(); }
    CLSID TargetCLSID() override { return feedback_->TargetCLSID(); }
    void SetInShellDragLoop(bool v) override { feedback_->SetInShellDragLoop(v); }

protected:
    HRESULT DoGetData(const FORMATETC& format, STGMEDIUM& medium) override;
    HRESULT DoSetData(const FORMATETC& format, STGMEDIUM& medium) override;
    bool HasFormat(const FORMATETC& format) override;
    ComPtr<IEnumFORMATETC> GetEnumFormatEtc(DWORD direction) override;

private:
    void ProcessFeedback(TClipboardFormat* format);
    TFeedbackDataFormat* feedback_;
    TRawDataFormat* raw_;
};

// Lists the formats of a source's data formats that have data: per data
// format each compatible format whose class states the asked direction,
// once per id (the first one wins).
class TEnumFormatEtc : public TFormatEnumerator {
public:
    TEnumFormatEtc(TCustomDropMultiSource* source, DWORD direction);
};

} // namespace pem
