#include "FakeWindows.h"

#include <algorithm>

namespace pem {

TFakeWindow::TFakeWindow(std::string name, RECT rect, TFakeWindow* parent)
    : name_(std::move(name)), rect_(rect), parent_(parent) {
    if (parent_)
        parent_->children_.push_back(this);
    else
        TFakeWindowSystem::Default().AddTopLevel(this);
}

TFakeWindow::~TFakeWindow() {
    for (TFakeWindow* c : children_) c->parent_ = nullptr;
    if (parent_) {
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    } else {
        TFakeWindowSystem::Default().RemoveTopLevel(this);
    }
    TFakeWindowSystem::Default().Forget(this);
}

RECT TFakeWindow::WindowRect() const {
    if (!parent_) return rect_;
    POINT o = parent_->ClientOrigin();
    return {rect_.left + o.x, rect_.top + o.y, rect_.right + o.x, rect_.bottom + o.y};
}

RECT TFakeWindow::ClientRect() const { return {0, 0, rect_.right - rect_.left, rect_.bottom - rect_.top}; }

POINT TFakeWindow::ClientOrigin() const {
    RECT r = WindowRect();
    return {r.left, r.top};
}

bool TFakeWindow::GetScrollInfo(int bar, SCROLLINFO* info) const {
    if (!info || (bar != SB_HORZ && bar != SB_VERT)) return false;
    if (!(style_ & (bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL))) return false;
    *info = scroll_[bar];
    return true;
}

void TFakeWindow::SetScrollBar(int bar, int min, int max, unsigned page, int pos) {
    scroll_[bar] = SCROLLINFO{SIF_ALL, min, max, page, pos, pos};
    style_ |= bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
}

LRESULT TFakeWindow::Perform(UINT msg, WPARAM wParam, LPARAM) {
    Messages.push_back({msg, wParam});
    if (msg != WM_VSCROLL && msg != WM_HSCROLL) return 0;
    SCROLLINFO& s = scroll_[msg == WM_VSCROLL ? SB_VERT : SB_HORZ];
    int last = s.nMax - std::max(0, static_cast<int>(s.nPage) - 1);
    if (wParam == SB_LINEUP) s.nPos = std::max(s.nMin, s.nPos - 1);
    if (wParam == SB_LINEDOWN) s.nPos = std::min(last, s.nPos + 1);
    return 0;
}

std::shared_ptr<Bitmap> TFakeWindow::Grab(const RECT& area) const {
    auto b = std::make_shared<Bitmap>();
    b->width = std::max(0, area.right - area.left);
    b->height = std::max(0, area.bottom - area.top);
    b->pixels.assign(static_cast<size_t>(b->width) * static_cast<size_t>(b->height), 0xFFC0C0C0u);
    return b;
}

TFakeWindowSystem& TFakeWindowSystem::Default() {
    static auto* s = new TFakeWindowSystem; // lives as long as the process
    return *s;
}

namespace {
HWND Deepest(TFakeWindow* w, POINT screen) {
    if (w->Hidden || !PtInRect(w->WindowRect(), screen)) return nullptr;
    const auto& kids = w->Children();
    for (auto it = kids.rbegin(); it != kids.rend(); ++it)
        if (HWND hit = Deepest(*it, screen)) return hit;
    return w;
}
} // namespace

HWND TFakeWindowSystem::WindowFromPoint(POINT screen) {
    for (auto it = topLevel_.rbegin(); it != topLevel_.rend(); ++it)
        if (HWND hit = Deepest(*it, screen)) return hit;
    return nullptr;
}

bool TFakeWindowSystem::IsKeyDown(int vk) {
    switch (vk) {
    case VK_LBUTTON:
        return Buttons & MK_LBUTTON;
    case VK_RBUTTON:
        return Buttons & MK_RBUTTON;
    case VK_MBUTTON:
        return Buttons & MK_MBUTTON;
    default:
        return false;
    }
}

bool TFakeWindowSystem::SetCapture(HWND window) {
    if (CaptureRefused || !window) return false;
    capture_ = window;
    return true;
}

int TFakeWindowSystem::GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXDRAG:
        return DragWidth;
    case SM_CYDRAG:
        return DragHeight;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CXHSCROLL:
        return ScrollBarSize;
    default:
        return 0;
    }
}

TInputMessage TFakeWindowSystem::WaitInput(unsigned) {
    if (Input.empty()) {
        TInputMessage m;
        m.timedOut = true;
        return m;
    }
    TInputMessage m = Input.front();
    Input.pop_front();
    if (m.message == WM_CAPTURECHANGED) capture_ = nullptr;
    return m;
}

void TFakeWindowSystem::AddTopLevel(TFakeWindow* w) { topLevel_.push_back(w); }

void TFakeWindowSystem::RemoveTopLevel(TFakeWindow* w) {
    topLevel_.erase(std::remove(topLevel_.begin(), topLevel_.end(), w), topLevel_.end());
}

void TFakeWindowSystem::Forget(TFakeWindow* w) {
    if (capture_ == w) capture_ = nullptr;
}

} // namespace pem
