#pragma once
// Fake windows: rectangles on an imaginary screen with parents, scroll bars
// and a log of the messages they were sent, and the window system that holds
// them (scripted input, a cursor, mouse buttons, a capture). The emulated
// drag loop and the headless tests of the drag-and-drop library run on them.
#include "OleWindows.h"

#include <deque>
#include <vector>

namespace pem {

class TFakeWindow : public Window {
public:
    // rect: for a top-level window on the screen, for a child relative to
    // its parent's client area. A window's client area is its whole rect.
    TFakeWindow(std::string name, RECT rect, TFakeWindow* parent = nullptr);
    ~TFakeWindow() override;

    HWND Parent() const override { return parent_; }
    RECT WindowRect() const override;
    RECT ClientRect() const override;
    POINT ClientOrigin() const override;
    DWORD Style() const override { return style_; }
    bool GetScrollInfo(int bar, SCROLLINFO* info) const override;
    LRESULT Perform(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool IsRichEdit() const override { return richEdit_; }
    std::string Name() const override { return name_; }
    std::shared_ptr<Bitmap> Grab(const RECT& clientArea) const override;

    void SetStyle(DWORD style) { style_ = style; }
    void SetRichEdit(bool on) { richEdit_ = on; }
    // A scroll bar of the given range, page and position (also sets the
    // window's style bit for that bar).
    void SetScrollBar(int bar, int min, int max, unsigned page, int pos);
    int ScrollPos(int bar) const { return scroll_[bar].nPos; }
    const std::vector<TFakeWindow*>& Children() const { return children_; }
    bool Hidden = false;

    struct Message {
        UINT msg;
        WPARAM wParam;
    };
    std::vector<Message> Messages;

private:
    std::string name_;
    RECT rect_;
    TFakeWindow* parent_;
    std::vector<TFakeWindow*> children_;
    DWORD style_ = 0;
    bool richEdit_ = false;
    SCROLLINFO scroll_[2];
};

class TFakeWindowSystem : public IWindowSystem {
public:
    // The one instance the emulation falls back to.
    static TFakeWindowSystem& Default();

    HWND WindowFromPoint(POINT screen) override;
    POINT GetCursorPos() override { return Cursor; }
    bool IsKeyDown(int virtualKey) override;
    bool SetCapture(HWND window) override;
    HWND GetCapture() override { return capture_; }
    void ReleaseCapture() override { capture_ = nullptr; }
    int GetSystemMetrics(int index) override;
    TInputMessage WaitInput(unsigned timeoutMs) override;
    void PostQuitMessage(int exitCode) override { QuitPosted = exitCode; }

    // Top-level windows register themselves; the last one is on top.
    void AddTopLevel(TFakeWindow* w);
    void RemoveTopLevel(TFakeWindow* w);
    // A window going away loses the capture.
    void Forget(TFakeWindow* w);

    POINT Cursor;
    DWORD Buttons = 0; // MK_LBUTTON, MK_RBUTTON, MK_MBUTTON
    bool CaptureRefused = false;
    int QuitPosted = -1;
    // Input handed out by WaitInput, first to last; then every wait times out.
    std::deque<TInputMessage> Input;
    int DragWidth = 4;
    int DragHeight = 4;
    int ScrollBarSize = 17;

private:
    std::vector<TFakeWindow*> topLevel_;
    HWND capture_ = nullptr;
};

} // namespace pem
