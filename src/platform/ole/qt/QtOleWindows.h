#pragma once
// Qt widgets as the windows of the drag-and-drop code, and the window system
// behind them: the widget under a point, the cursor and the mouse buttons,
// the capture, the system sizes, and the input that drag-start detection
// waits for (a nested event loop with a time-out on the one clock).
#include "OleWindows.h"

#include <QPoint>
#include <QPointer>
#include <QWidget>

class QWidget;

namespace pem {

// The window of a widget (made on first use, gone with the widget); none for
// no widget.
HWND WindowOf(QWidget* widget);
// The widget of a window made by WindowOf, or none.
QWidget* WidgetOf(HWND window);

// A Qt widget as a window. A scroll area's client area is its viewport; its
// scroll bars give the scroll styles and the scroll information in the
// platform's terms (the range's maximum includes the page).
class TQtWindow : public Window {
public:
    explicit TQtWindow(QWidget* widget);
    QWidget* Widget() const { return alive_ ? widget_ : nullptr; }
    void WidgetGone() { alive_ = false; }

    HWND Parent() const override;
    RECT WindowRect() const override;
    RECT ClientRect() const override;
    POINT ClientOrigin() const override;
    DWORD Style() const override;
    bool GetScrollInfo(int bar, SCROLLINFO* info) const override;
    LRESULT Perform(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool IsRichEdit() const override;
    bool HandleAllocated() const override { return alive_; }
    std::string Name() const override;
    std::shared_ptr<Bitmap> Grab(const RECT& clientArea) const override;
    void DropRegistrationChanged(bool registered) override;

private:
    QWidget* ClientWidget() const;
    QWidget* widget_;
    bool alive_ = true;
};

class TQtWindowSystem : public IWindowSystem {
public:
    static TQtWindowSystem& Instance();

    HWND WindowFromPoint(POINT screen) override;
    POINT GetCursorPos() override;
    bool IsKeyDown(int virtualKey) override;
    bool SetCapture(HWND window) override;
    HWND GetCapture() override;
    void ReleaseCapture() override;
    int GetSystemMetrics(int index) override;
    TInputMessage WaitInput(unsigned timeoutMs) override;
    void PostQuitMessage(int exitCode) override;

    // While a drag event is handed to a target, the widget it arrived at
    // answers for its own position.
    void SetDropSite(QWidget* widget, POINT screen);
    void ClearDropSite() { site_ = nullptr; }
    // What the program's mouse events say about the buttons and the cursor.
    void NoteMouse(Qt::MouseButtons buttons, QPoint global);

private:
    QPointer<QWidget> site_;
    POINT sitePoint_;
    QPointer<QWidget> capture_;
    Qt::MouseButtons buttons_;
    QPoint cursor_;
    bool cursorKnown_ = false;
};

} // namespace pem
