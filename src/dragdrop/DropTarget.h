#pragma once
// The drop target: a component that makes one or more windows accept drops
// and clipboard pastes. It decides the drop effect from the offered effects,
// the allowed drag types and the keys held, shows the drag image, scrolls a
// scrollable window while the mouse rests near its edge, and reads the
// dropped data. TCustomDropMultiTarget reads into a list of data formats;
// TDropDummy accepts nothing and only shows drag images.
#include "DragDropFormats.h"
#include "OleImageList.h"
#include "OleTimers.h"

#include <functional>
#include <memory>
#include <vector>

namespace pem {

class TCustomDropTarget;

using TScrollDirections = uint8_t;
constexpr TScrollDirections sdUp = 1;
constexpr TScrollDirections sdDown = 2;
constexpr TScrollDirections sdLeft = 4;
constexpr TScrollDirections sdRight = 8;

using TDropTargetEvent = std::function<void(TCustomDropTarget* sender, TShiftState shift, POINT pt, DWORD& effect)>;
using TDropTargetScrollEvent =
    std::function<void(TCustomDropTarget* sender, POINT pt, TScrollDirections& scroll, int& interval)>;
using TTargetNotifyEvent = std::function<void(TCustomDropTarget* sender)>;
using TAcceptFormatEvent = std::function<void(TCustomDropTarget* sender, TCustomDataFormat* format, bool& accept)>;

// Registers its window's drop target for as long as it lives.
class TWinControlProxy {
public:
    TWinControlProxy(TCustomDropTarget* target, HWND control);
    ~TWinControlProxy();
    TWinControlProxy(const TWinControlProxy&) = delete;
    TWinControlProxy& operator=(const TWinControlProxy&) = delete;
    HWND Control() const { return control_; }
    // The window went away (and its registration with it).
    void Detach() { control_ = nullptr; }

private:
    HWND control_;
};

class TCustomDropTarget : public TDragDropComponent, public IDropTarget {
public:
    PEM_COMPONENT_IUNKNOWN
    TCustomDropTarget();
    ~TCustomDropTarget() override;

    HRESULT GetInterface(REFIID iid, void** out) override;

    TDragTypes DragTypes;
    bool GetDataOnEnter = false;
    bool Enabled = true;
    TDropTargetEvent OnEnter;
    TDropTargetEvent OnDragOver;
    TDropTargetEvent OnDrop;
    TDropTargetEvent OnGetDropEffect;
    TTargetNotifyEvent OnLeave;
    TDropTargetScrollEvent OnScroll;
    TTargetNotifyEvent OnStartAsyncTransfer;
    TTargetNotifyEvent OnEndAsyncTransfer;
    bool MultiTarget = false;
    bool AutoRegister = true;
    bool AutoScroll = true;
    bool OptimizedMove = false;
    // Asynchronous transfer needs a transfer thread, which this program has
    // not: with the flag set the data is still read on the calling thread.
    bool AllowAsyncTransfer = false;

    bool ShowImage() const { return showImage_; }
    // Stores the flag and shows or hides the current drag image.
    void SetShowImage(bool show);
    HWND Target() const { return target_; }
    // With MultiTarget every control is unregistered first; then the control
    // is registered.
    void SetTarget(HWND control);

    // Registers a window: without MultiTarget every other one goes first.
    void RegisterTargetControl(HWND control);
    // Unregisters one window, or (none) all of them, last first.
    void UnregisterTarget(HWND control = nullptr);
    const std::vector<HWND>& Targets() const { return targets_; }

    // IDropTarget
    HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;
    HRESULT DragOver(DWORD keyState, POINTL pt, DWORD* effect) override;
    HRESULT DragLeave() override;
    HRESULT Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;

    // Pastes the clipboard's data as a drop; gives the effect.
    virtual DWORD PasteFromClipboard();
    virtual bool CanPasteFromClipboard();
    // Takes a data object as if dropped with the copy effect.
    bool AssignFrom(IDataObject* data);

    IDataObject* DataObject() const { return dataObject_.Get(); }
    HWND CurrentTarget() const { return currentTarget_; }
    bool AsyncTransfer() const { return asyncTransfer_; }
    // The auto-scroll timer's tick (run by the timer).
    void AutoScrollTick();

protected:
    virtual void DoEnter(TShiftState shift, POINT pt, DWORD& effect);
    virtual void DoDragOver(TShiftState shift, POINT pt, DWORD& effect);
    // Fires OnDrop, then reports the performed effect to the source.
    virtual void DoDrop(TShiftState shift, POINT pt, DWORD& effect);
    virtual void DoLeave();
    virtual void DoScroll(POINT pt, TScrollDirections& scroll, int& interval);
    virtual bool StartTransfer(DWORD effect);
    virtual bool DoGetData() = 0;
    virtual void ClearData() = 0;
    virtual DWORD GetValidDropEffect(TShiftState shift, POINT pt, DWORD offered);
    virtual DWORD GetPreferredDropEffect();
    virtual bool SetPerformedDropEffect(DWORD effect);
    virtual bool SetPasteSucceeded(DWORD effect);
    virtual HWND FindTarget(POINT screen);
    virtual bool HasValidFormats(IDataObject* data) = 0;
    virtual void PrepareAutoScroll();

    ComPtr<IDataObject> dataObject_;
    bool asyncTransfer_ = false;

private:
    bool MouseRests(POINT pt);
    void ResetSamples(POINT pt);
    void HideImage();
    void ShowImageAgain();
    void WindowGone(HWND w);

    bool showImage_ = true;
    HWND target_ = nullptr;
    HWND currentTarget_ = nullptr;
    POINT lastPoint_;
    std::vector<HWND> targets_;
    std::vector<std::unique_ptr<TWinControlProxy>> proxies_;
    ComPtr<IDropTargetHelper> helper_;
    bool imageListDrag_ = false;
    POINT imageHotSpot_;
    ImageList cursorImages_{32, 32};
    TOleTimer timer_;
    uint8_t scrollBars_ = 0; // 1 horizontal, 2 vertical
    RECT noScroll_;
    struct Sample {
        DWORD time = 0;
        POINT pt;
        bool valid = false;
    };
    Sample older_, newer_;
};

class TCustomDropMultiTarget : public TCustomDropTarget {
public:
    TCustomDropMultiTarget();
    // Frees every data format, last first.
    ~TCustomDropMultiTarget() override;

    void InitializeDataFormat(TCustomDataFormat* format, TClipboardFormats& list) override;
    TAcceptFormatEvent OnAcceptFormat;

protected:
    bool HasValidFormats(IDataObject* data) override;
    bool DoGetData() override;
    // Refused with "Can't clear data while async data transfer is in
    // progress" while a transfer runs.
    void ClearData() override;
    virtual void DoAcceptFormat(TCustomDataFormat* format, bool& accept);
};

// Accepts nothing: over its windows the drag shows its image, with effect 0.
class TDropDummy : public TCustomDropTarget {
protected:
    bool HasValidFormats(IDataObject*) override { return false; }
    void ClearData() override {}
    bool DoGetData() override { return false; }
};

} // namespace pem
