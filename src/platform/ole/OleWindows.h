#pragma once
// Windows as the drag-and-drop code sees them: a rectangle on the screen, a
// client area, a parent, scroll bars and the scroll messages, and a drop
// target registered for it. The window system behind them is replaceable:
// fake windows in the emulation (tests, the emulated drag loop), Qt widgets
// through the bridge in the program.
#include "OleInterfaces.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pem {

constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_VSCROLL = 0x00200000;

constexpr int SB_HORZ = 0;
constexpr int SB_VERT = 1;
constexpr WPARAM SB_LINEUP = 0;
constexpr WPARAM SB_LINEDOWN = 1;
constexpr WPARAM SB_LINELEFT = 0;
constexpr WPARAM SB_LINERIGHT = 1;

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_CANCELMODE = 0x001F;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_CAPTURECHANGED = 0x0215;

constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_MBUTTON = 0x04;
constexpr int VK_ESCAPE = 0x1B;

constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CXHSCROLL = 21;
constexpr int SM_CXDRAG = 68;
constexpr int SM_CYDRAG = 69;

constexpr UINT SIF_RANGE = 0x1;
constexpr UINT SIF_PAGE = 0x2;
constexpr UINT SIF_POS = 0x4;
constexpr UINT SIF_ALL = 0x17;

struct SCROLLINFO {
    UINT fMask = SIF_ALL;
    int nMin = 0;
    int nMax = 0;
    UINT nPage = 0;
    int nPos = 0;
    int nTrackPos = 0;
};

// A drag image or a window's picture: 32-bit ARGB pixels, row by row.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

class Window {
public:
    Window() = default;
    // A window going away takes its drop-target registration with it.
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    virtual HWND Parent() const = 0;
    // The whole window in screen coordinates.
    virtual RECT WindowRect() const = 0;
    // The client area in client coordinates (its top left is 0,0).
    virtual RECT ClientRect() const = 0;
    // The screen position of the client area's top left corner.
    virtual POINT ClientOrigin() const = 0;
    virtual DWORD Style() const { return 0; }
    virtual bool GetScrollInfo(int bar, SCROLLINFO* info) const;
    // Sends a message to the window: the scroll messages scroll it.
    virtual LRESULT Perform(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual bool IsRichEdit() const { return false; }
    virtual bool HandleAllocated() const { return true; }
    virtual std::string Name() const { return {}; }
    // A picture of part of the client area (for drag images); none when the
    // window cannot draw itself.
    virtual std::shared_ptr<Bitmap> Grab(const RECT& clientArea) const;
    // Told when a drop target is registered for the window or revoked.
    virtual void DropRegistrationChanged(bool registered) { (void)registered; }

    POINT ClientToScreen(POINT p) const;
    POINT ScreenToClient(POINT p) const;
    // True when this window is w or lies inside it.
    bool IsWithin(const Window* w) const;
};

// Input seen by drag-start detection: a message, where (screen) and when (the
// one clock). timedOut marks a wait that ended without input.
struct TInputMessage {
    UINT message = WM_NULL;
    POINT pt;
    DWORD time = 0;
    WPARAM wParam = 0;
    bool timedOut = false;
};

class IWindowSystem {
public:
    virtual ~IWindowSystem() = default;
    // The innermost window at a screen point, or none.
    virtual HWND WindowFromPoint(POINT screen) = 0;
    virtual POINT GetCursorPos() = 0;
    // Whether a mouse button (VK_LBUTTON, VK_RBUTTON, VK_MBUTTON) is down.
    virtual bool IsKeyDown(int virtualKey) = 0;
    virtual bool SetCapture(HWND window) = 0;
    virtual HWND GetCapture() = 0;
    virtual void ReleaseCapture() = 0;
    virtual int GetSystemMetrics(int index) = 0;
    // Waits at most timeoutMs for the next button, key or mouse-move input
    // (or the loss of the capture, a cancel-mode or a quit request). Button
    // input is only looked at: the window it is meant for still gets it.
    virtual TInputMessage WaitInput(unsigned timeoutMs) = 0;
    virtual void PostQuitMessage(int exitCode) = 0;
};

// The window system in use (the fake one unless another was installed).
IWindowSystem& WindowSystem();
// Installs a window system; none returns to the fake one.
void SetWindowSystem(IWindowSystem* system);

HWND WindowFromPoint(POINT screen);
bool GetCursorPos(POINT* pt);
// The high bit is set while the key or button is down.
int16_t GetKeyState(int virtualKey);
bool SetCapture(HWND window);
HWND GetCapture();
void ReleaseCapture();
int GetSystemMetrics(int index);
void PostQuitMessage(int exitCode);
bool GetScrollInfo(HWND window, int bar, SCROLLINFO* info);
LRESULT SendMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

// Told of every window going away (after its drop target was revoked), so
// that lists of windows forget it. The key removes the listener again.
void AddWindowDestroyedListener(const void* key, std::function<void(HWND)> listener);
void RemoveWindowDestroyedListener(const void* key);

// Drop targets by window. The registration holds a reference to the target.
HRESULT RegisterDragDrop(HWND window, IDropTarget* target);
HRESULT RevokeDragDrop(HWND window);
// The target registered for exactly this window, or none.
IDropTarget* RegisteredDropTarget(HWND window);
// The nearest window at or above this one that has a target, or none.
HWND FindDropTargetWindow(HWND window);

} // namespace pem
